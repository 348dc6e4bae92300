// The panose group filter: a single forward pass that compacts the buffer.
#include "convert/PanoseFilter.h"

#include <cstring>

#include "runtime/ByteSearch.h"

namespace {

// First occurrence of the opening marker in [from, end), or end. The search
// runs for the marker's "*", which RTF text seldom holds outside "{\*\"
// destinations, and compares the whole marker only where one stands.
const char* FindOpeningMarker(const char* from, const char* end) {
  constexpr size_t markerLength = PanoseFilter::kOpeningMarkerLength;
  constexpr size_t star = 2;
  static_assert(PanoseFilter::kOpeningMarker[star] == '*');
  if (static_cast<size_t>(end - from) < markerLength) return end;
  const char* scan = from + star;
  const char* const lastStar = end - markerLength + star;
  while (scan <= lastStar) {
    const char* hit = FindByte(scan, static_cast<size_t>(lastStar - scan) + 1, '*');
    if (!hit) break;
    if (std::memcmp(hit - star, PanoseFilter::kOpeningMarker, markerLength) == 0) return hit - star;
    scan = hit + 1;
  }
  return end;
}

const char* FindClosingMarker(const char* from, const char* end) {
  const char* hit = FindByte(from, static_cast<size_t>(end - from), PanoseFilter::kClosingMarker);
  return hit ? hit : end;
}

}  // namespace

void PanoseFilter::Reset() {
  inside_ = false;
  groupsRemoved_ = 0;
}

// Reading and writing run through the buffer together: bytes outside groups are
// moved down over the removed ones, and each closing marker becomes the space
// that stands for its group. This gives the same text as cutting each group with
// an overlapping move and searching again from the start of the buffer, because
// the space left at the cut can never be part of a new opening marker. The
// write position is where an open group's cut begins, so no offset is kept:
// on a buffer after the one where the group opened, the cut begins at its start.
size_t PanoseFilter::FilterBuffer(char* buffer, size_t length, size_t capacity) {
  const char* read = buffer;
  const char* const end = buffer + length;
  char* write = buffer;

  while (read < end) {
    if (inside_) {
      const char* close = FindClosingMarker(read, end);
      if (close == end) break;
      *write++ = ' ';
      read = close + 1;
      inside_ = false;
      ++groupsRemoved_;
    } else {
      const char* open = FindOpeningMarker(read, end);
      const size_t kept = static_cast<size_t>(open - read);
      if (write != read) CopyBytes(write, read, kept);
      write += kept;
      if (open == end) {
        read = end;
        break;
      }
      // The group's own text is not searched for another opening marker.
      read = open + kOpeningMarkerLength;
      inside_ = true;
    }
  }

  // A group still open at the end of the buffer has taken the rest of it, line
  // feed included.
  const size_t newLength = static_cast<size_t>(write - buffer);
  if (capacity > newLength) buffer[newLength] = '\0';
  return newLength;
}

size_t PanoseFilter::PartialMarkerAtEnd(const char* filtered, size_t length) const {
  if (inside_ || length == 0 || filtered[length - 1] == '\n') return 0;
  const size_t longest = length < kOpeningMarkerLength - 1 ? length : kOpeningMarkerLength - 1;
  for (size_t candidate = longest; candidate > 0; --candidate)
    if (std::memcmp(filtered + length - candidate, kOpeningMarker, candidate) == 0) return candidate;
  return 0;
}
