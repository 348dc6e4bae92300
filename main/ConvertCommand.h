// The Convert button's command.
#pragma once

#include <windows.h>

#include <string>

// Converts the source into the destination folder; the overwrite question and
// failures are shown in message boxes owned by `owner`; success is silent.
void Convert(const std::string& sourcePath, const std::string& destinationFolder, bool appendSuffix,
             const std::string& suffix, HWND owner);
