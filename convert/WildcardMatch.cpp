// The wildcard match of file names, free of any platform call.
#include "convert/WildcardMatch.h"

namespace {

bool IsHighSurrogate(wchar_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}

bool IsLowSurrogate(wchar_t unit) {
  return unit >= 0xDC00 && unit <= 0xDFFF;
}

// The units of the character that begins at `at`: two for a surrogate pair.
size_t CharacterLength(std::wstring_view text, size_t at) {
  return IsHighSurrogate(text[at]) && at + 1 < text.size() && IsLowSurrogate(text[at + 1]) ? 2 : 1;
}

// True when the rest of the pattern can match the end of a name: nothing but
// "*"s, or a "." that only "*"s follow.
bool RestMatchesEnd(std::wstring_view pattern, size_t at) {
  if (at < pattern.size() && pattern[at] == L'.') ++at;
  return pattern.find_first_not_of(L'*', at) == std::wstring_view::npos;
}

}  // namespace

bool MatchesWildcard(std::wstring_view pattern, std::wstring_view name) {
  if (pattern.ends_with(L'.'))
    return name.find(L'.') == std::wstring_view::npos && MatchesWildcard(pattern.substr(0, pattern.size() - 1), name);
  size_t p = 0, n = 0;
  // Where the last "*" was seen, and how far into the name it reaches: on a
  // mismatch it takes one character more and the rest is tried again.
  size_t afterStar = std::wstring_view::npos, starReach = 0;
  for (;;) {
    if (p < pattern.size() && pattern[p] == L'*') {
      afterStar = ++p;
      starReach = n;
      continue;
    }
    if (n == name.size() && RestMatchesEnd(pattern, p)) return true;
    if (n < name.size() && p < pattern.size()) {
      const size_t length = CharacterLength(name, n);
      if (pattern[p] == L'?' || pattern.substr(p, length) == name.substr(n, length)) {
        p += pattern[p] == L'?' ? 1 : length;
        n += length;
        continue;
      }
    }
    if (afterStar == std::wstring_view::npos || starReach == name.size()) return false;
    starReach += CharacterLength(name, starReach);
    p = afterStar;
    n = starReach;
  }
}
