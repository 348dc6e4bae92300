// The file-browsing controls, linked drive -> folders -> files: one header
// for all three.
#pragma once

#include "FileCtrl/DirectoryListBox.h"
#include "FileCtrl/DriveComboBox.h"
#include "FileCtrl/FileListBox.h"
