// Cuts panose groups ("{\*\panose" up to the next "}") out of RTF text, one line
// buffer at a time, replacing each group with one space.
#pragma once

#include <cstddef>
#include <cstdint>

// The filter state of one conversion. A group can open in one buffer and close
// in a later one; the state carries that from buffer to buffer.
class PanoseFilter {
public:
  static constexpr char kOpeningMarker[] = "{\\*\\panose";
  static constexpr size_t kOpeningMarkerLength = sizeof(kOpeningMarker) - 1;  // 10
  static constexpr char kClosingMarker = '}';

  // Back to "outside a group"; done once before the first buffer of a document.
  void Reset();

  // Rewrites buffer[0, length) in place and returns the new length, which is
  // never greater. Zero bytes are ordinary bytes here. When capacity is greater
  // than the new length, a terminating zero is stored after the text.
  size_t FilterBuffer(char* buffer, size_t length, size_t capacity = 0);

  // For a long line read in pieces: the number of bytes at the end of a
  // filtered piece that may be the start of an opening marker completed by the
  // next piece. The caller holds them back and puts them in front of the next
  // piece, so that no marker is missed where a line is split. 0 inside a group
  // (a group's end is one byte and cannot be split) and after a line feed.
  size_t PartialMarkerAtEnd(const char* filtered, size_t length) const;

  bool inside() const { return inside_; }
  // Groups whose closing marker has been seen since the last Reset().
  uint64_t groupsRemoved() const { return groupsRemoved_; }

private:
  bool inside_ = false;  // an opened group's "}" has not been seen yet
  uint64_t groupsRemoved_ = 0;
};
