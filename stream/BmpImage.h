// A device-independent image as a BMP file stores it, and the layout of the
// file's two headers (BITMAPFILEHEADER and BITMAPINFOHEADER, little-endian,
// without padding). No platform calls: the reader is fuzzed natively.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

// One entry of the colour table, stored blue, green, red and a zero byte.
struct BmpColour {
  uint8_t blue = 0, green = 0, red = 0;
  bool operator==(const BmpColour&) const = default;
};

// An uncompressed image with its rows bottom-up, each padded to 4 bytes.
struct BmpImage {
  int width = 0, height = 0;
  int bitCount = 0;
  std::vector<BmpColour> colours;  // up to 8 bits per pixel; may be shorter than 2^bitCount
  std::vector<uint8_t> bits;
  bool operator==(const BmpImage&) const = default;
};

namespace bmp_layout {
// The file header: "BM", file size, two reserved words, offset of the rows.
constexpr size_t kFileHeaderSize = 14;
constexpr size_t kBitsOffsetAt = 10;
// The info header that follows it; older and newer header sizes are not read.
constexpr size_t kInfoHeaderSize = 40;
constexpr size_t kWidthAt = 4;
constexpr size_t kHeightAt = 8;  // negative for rows stored top-down
constexpr size_t kPlanesAt = 12;
constexpr size_t kBitCountAt = 14;
constexpr size_t kCompressionAt = 16;
constexpr size_t kColoursUsedAt = 32;  // 0: the full table of 2^bitCount
constexpr uint32_t kUncompressed = 0;  // BI_RGB
constexpr size_t kColourEntrySize = 4;
}  // namespace bmp_layout

inline size_t BmpRowBytes(int width, int bitCount) {
  return (static_cast<size_t>(width) * static_cast<size_t>(bitCount) + 31) / 32 * 4;
}

inline bool IsSupportedBmpBitCount(int bitCount) {
  return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 || bitCount == 24 || bitCount == 32;
}

// Fills `image.bits` from `rows`, the image's width, height and bit count
// being set: taken as they are when stored bottom-up, turned over when top-down.
inline void StoreBmpRows(BmpImage& image, const uint8_t* rows, bool topDown) {
  const size_t rowBytes = BmpRowBytes(image.width, image.bitCount);
  const size_t height = static_cast<size_t>(image.height);
  image.bits.resize(rowBytes * height);
  if (!topDown) {
    std::memcpy(image.bits.data(), rows, image.bits.size());
    return;
  }
  for (size_t row = 0; row < height; ++row)
    std::memcpy(&image.bits[rowBytes * (height - 1 - row)], rows + rowBytes * row, rowBytes);
}
