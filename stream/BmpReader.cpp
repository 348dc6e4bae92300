// Reading BMP files.
#include "stream/BmpReader.h"

#include <cstdlib>

#include "runtime/Exceptions.h"

namespace {

[[noreturn]] void ThrowInvalidImage() {
  throw EInvalidGraphic(kInvalidBitmapImage);
}

uint16_t ReadU16(const uint8_t* at) {
  return static_cast<uint16_t>(at[0] | (at[1] << 8));
}
uint32_t ReadU32(const uint8_t* at) {
  return static_cast<uint32_t>(at[0]) | (static_cast<uint32_t>(at[1]) << 8) | (static_cast<uint32_t>(at[2]) << 16) |
         (static_cast<uint32_t>(at[3]) << 24);
}

}  // namespace

// Every size and offset is checked against the file's size before anything is read through it.
BmpImage ReadBmp(std::span<const uint8_t> file) {
  using namespace bmp_layout;
  const uint8_t* data = file.data();
  const size_t size = file.size();
  if (size < kFileHeaderSize + kInfoHeaderSize || data[0] != 'B' || data[1] != 'M') ThrowInvalidImage();
  const uint8_t* info = data + kFileHeaderSize;
  if (ReadU32(info) != kInfoHeaderSize) ThrowInvalidImage();
  const int32_t width = static_cast<int32_t>(ReadU32(info + kWidthAt));
  const int32_t height = static_cast<int32_t>(ReadU32(info + kHeightAt));
  const uint16_t planes = ReadU16(info + kPlanesAt);
  const uint16_t bitCount = ReadU16(info + kBitCountAt);
  const uint32_t compression = ReadU32(info + kCompressionAt);
  const uint32_t coloursUsed = ReadU32(info + kColoursUsedAt);
  // INT32_MIN has no positive counterpart: reject it before taking the magnitude.
  if (width <= 0 || height == 0 || height == INT32_MIN || planes != 1 || !IsSupportedBmpBitCount(bitCount) ||
      compression != kUncompressed)
    ThrowInvalidImage();

  // The colour table follows the header; above 8 bits a table is optional and unused.
  size_t colourCount = 0;
  if (bitCount <= 8) {
    const uint32_t maximum = 1u << bitCount;
    if (coloursUsed > maximum) ThrowInvalidImage();
    colourCount = coloursUsed == 0 ? maximum : coloursUsed;
  }
  const size_t tableEnd = kFileHeaderSize + kInfoHeaderSize + colourCount * kColourEntrySize;
  const size_t bitsOffset = ReadU32(data + kBitsOffsetAt);
  if (tableEnd > size || bitsOffset < tableEnd || bitsOffset > size) ThrowInvalidImage();

  BmpImage image;
  image.width = width;
  image.height = std::abs(height);
  image.bitCount = bitCount;
  const size_t rowBytes = BmpRowBytes(width, bitCount);
  // Divided rather than multiplied, so that absurd sizes cannot overflow.
  if (static_cast<size_t>(image.height) > (size - bitsOffset) / rowBytes) ThrowInvalidImage();

  image.colours.resize(colourCount);
  for (size_t i = 0; i < colourCount; ++i) {
    const uint8_t* entry = info + kInfoHeaderSize + i * kColourEntrySize;
    image.colours[i] = BmpColour{entry[0], entry[1], entry[2]};
  }
  // Stored top-down when the height is negative: turned over, so that every image read is bottom-up.
  StoreBmpRows(image, data + bitsOffset, height < 0);
  return image;
}
