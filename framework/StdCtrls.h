// The plain controls over the system's window classes: push button, list
// box, combo box, label and edit.
#pragma once

#include "framework/Button.h"
#include "framework/CustomComboBox.h"
#include "framework/CustomListBox.h"
#include "framework/Edit.h"
#include "framework/Label.h"
