// The type byte before each value of a layout stream. tools/layoutc.py, which
// compiles text layouts, keeps the same table; a test compares the two.
#pragma once

#include <cstdint>

enum class LayoutValueType : uint8_t {
  kEndOfList = 0,
  kList = 1,
  kInt8 = 2,
  kInt16 = 3,
  kInt32 = 4,
  kExtended = 5,
  kString = 6,
  kIdentifier = 7,
  kFalse = 8,
  kTrue = 9,
  kBinary = 10,
  kSet = 11,
  kLongString = 12,
  kNil = 13,
  kCollection = 14,
};
