// What the conversion's command line names as sources: wildcard patterns and
// list files, turned into the files to convert.
#pragma once

#include <string>
#include <vector>

// True when the last component of a path (after its last "\", double-byte
// aware) holds "*" or "?".
bool HasWildcardInName(const std::string& path);

// The files a pattern's last component matches in its folder, as full paths
// (the folder part of `pattern` followed by each name found), in the order the
// file list shows them: case-insensitive in the user's locale. Folders and
// hidden or system files are left out, as the file list leaves them out.
// Empty when nothing matches; *error then holds the system's reason.
std::vector<std::string> FilesMatching(const std::string& pattern, unsigned long* error);

// The lines of a list file, in the ANSI code page, each without its line end;
// lines that are empty or hold only spaces and tabs are left out. False when
// the file cannot be read; *error then holds the system's reason.
bool ReadListFile(const std::string& path, std::vector<std::string>* lines, unsigned long* error);
