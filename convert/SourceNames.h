// What the conversion's command line names as sources: wildcard patterns and
// list files, turned into the files to convert.
#pragma once

#include <string>
#include <vector>

// True when the last component of a path (after its last "\", double-byte
// aware) holds "*" or "?".
bool HasWildcardInName(const std::string& path);

// True when a component before the last one holds "*" or "?"; the "?" of a
// leading "\\?\" is part of the prefix, not a wildcard.
bool HasWildcardInFolder(const std::string& path);

// A file found for a pattern: its full path in the ANSI code page, and whether
// that stands for exactly the name on the disk. When it does not, the path
// holds "?" for what the code page lacks and must not be used.
struct FoundFile {
  std::string path;
  bool exactName = true;
};

// The files a pattern's last component matches in its folder (the folder part
// of `pattern` followed by each name found), in the order the file list shows
// them: case-insensitive in the user's locale. A file matches by its long name
// only. Folders and hidden or system files are left out, as the file list
// leaves them out. Empty when nothing matches; *error then holds the system's
// reason.
std::vector<FoundFile> FilesMatching(const std::string& pattern, unsigned long* error);

// The lines of a list file, each without its line end; lines that are empty or
// hold only spaces and tabs are left out. A file that begins with a UTF-16
// (either byte order) or UTF-8 byte-order mark is read in that encoding, and so
// is one that is valid UTF-8 and holds a character beyond ASCII, as Notepad and
// PowerShell write lists; any other file in the ANSI code page. Read as the
// text mode reads: lines end at LF, CRs are dropped, a Ctrl-Z ends the text.
// False when the file cannot be read; *error then holds the system's reason.
bool ReadListFile(const std::string& path, std::vector<std::wstring>* lines, unsigned long* error);
