// Whether a file name matches a pattern of "*" and "?", judged on the name
// itself. The platform's search also lets a pattern match a file's short
// (8.3) name, so that "*.rtf" finds "x.rtfx" through "X~1.RTF".
#pragma once

#include <string_view>

// True when `name` matches `pattern`: "*" stands for any run of characters
// (none too), "?" for exactly one, every other character for itself. A "."
// that only "*"s follow also matches the end of the name, so that "*.*" keeps
// its usual meaning of every name, one without a dot too; a "." at the end
// asks for a name without a dot ("*." is every such name). The match is
// exact: callers fold the letter case of both first. Both are UTF-16 text, in
// which a double-byte character of the ANSI code page is one unit, and a
// surrogate pair counts as one character for "?".
bool MatchesWildcard(std::wstring_view pattern, std::wstring_view name);
