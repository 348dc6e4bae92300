// Names as the program uses them: in the ANSI code page, and only when that
// form stands for exactly the name on the disk. The platform's own wide-to-ANSI
// conversion takes a best fit, so that "é.rtf" would become "e.rtf" and the
// yen sign a backslash: another file, or a path into another folder.
#pragma once

#include <string>
#include <string_view>

// The ANSI form of a wide name. True when it turns back into exactly the same
// name. Otherwise *ansi holds the name with "?" for every character the code
// page lacks (never a best fit), which names no file, and the result is false.
bool ToExactAnsi(std::wstring_view wide, std::string* ansi);

// The wide form of an ANSI text.
std::wstring ToWide(std::string_view ansi);

// The prefix of a path ("\\?\C:\...") that the platform takes as it stands,
// without parsing it.
constexpr std::string_view kVerbatimPrefix = "\\\\?\\";

// True when a path holds "?" or "*" outside a leading "\\?\" prefix: no file
// name holds them, so the path is a name the code page could not hold (or a
// pattern), never a file.
bool HasUnusableCharacter(std::string_view path);

// The advice for a name the code page cannot hold: what is wrong, the path and
// what to do, on three lines.
std::string UnusableNameText(std::string_view path);

// The order of the program's lists of names, which quorvel-convert follows for
// the files a pattern names: the user's locale, letter case ignored, as a
// sorted list box orders the file list. The ANSI form compares as the wide one
// does for the names it holds exactly.
bool ListedBefore(std::wstring_view a, std::wstring_view b);
bool ListedBefore(std::string_view a, std::string_view b);
