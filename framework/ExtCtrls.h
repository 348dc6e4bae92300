// More plain controls: panel, group box, check box and memo (with the plain
// controls of StdCtrls.h).
#pragma once

#include "framework/CheckBox.h"
#include "framework/GroupBox.h"
#include "framework/Memo.h"
#include "framework/Panel.h"
#include "framework/StdCtrls.h"
