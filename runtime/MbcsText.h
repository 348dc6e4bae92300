// Double-byte aware scanning of ANSI (Shift-JIS) text: a lead byte and the byte
// after it are one character, so a trail byte 0x5C is never taken for "\".
#pragma once

#include <string>
#include <string_view>

// The system's lead-byte test for the ANSI code page.
bool IsLeadByte(char byte);

// Offset of the last "\" that is a character of its own, or npos.
size_t LastBackslash(std::string_view text);

// The part of a path after its last "\" (the whole path when there is none).
std::string_view FileNamePart(std::string_view path);

// The part of a path before its last "\" (empty when there is none).
std::string_view FolderPart(std::string_view path);
