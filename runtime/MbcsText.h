// Double-byte aware scanning and case folding of ANSI (Shift-JIS) text: a lead
// byte and the byte after it are one character, so a trail byte 0x5C is never
// taken for "\" and a trail byte 0x41 is never taken for "A".
#pragma once

#include <string>
#include <string_view>

// The system's lead-byte test for the ANSI code page.
bool IsLeadByte(char byte);

// Offset of the first "\" that is a character of its own, or npos.
size_t FirstBackslash(std::string_view text);
// Offset of the last "\" that is a character of its own, or npos.
size_t LastBackslash(std::string_view text);
// Offset of the last character that is one of `chars` (single-byte ones), or npos.
size_t LastOf(std::string_view text, std::string_view chars);
// True when the last character is `c`.
bool EndsWithChar(std::string_view text, char c);

// The part of a path after its last "\" (the whole path when there is none).
std::string_view FileNamePart(std::string_view path);

// The part of a path before its last "\" (empty when there is none).
std::string_view FolderPart(std::string_view path);

// "a" to "z" raised, every other byte as it is: the C library's toupper would
// follow a locale.
char UpperAsciiLetter(char c);
// "A" to "Z" lowered, every other byte as it is.
char LowerAsciiLetter(char c);

enum class LetterCase { kLower, kUpper };
// Text in one letter case. On a double-byte code page only the letters "A" to
// "Z" change and double-byte characters are copied as they are: the system's
// case mapping would also change trail bytes such as the 0x41 of "ア".
// Elsewhere the system's ANSI case mapping (CharLowerBuffA, CharUpperBuffA).
std::string FoldLetterCase(std::string text, LetterCase letterCase);
// File names folded for comparison: FoldLetterCase to lower case.
std::string LowerFileName(std::string_view name);
// The system's ANSI lower-casing (CharLowerBuffA), on every code page.
std::string LowerAnsi(std::string_view text);
// CompareStringA in the user's default locale with those flags (such as
// NORM_IGNORECASE): below, equal to or above 0 as a sorts before, with or after b.
int CompareWithLocale(std::string_view a, std::string_view b, unsigned long flags);
