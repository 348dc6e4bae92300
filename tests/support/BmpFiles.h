// BMP files written independently of the code under test, byte by byte. No
// platform calls: the reader's tests run natively too.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// A colour as 0x00BBGGRR, the layout of COLORREF.
constexpr uint32_t BmpRgb(unsigned red, unsigned green, unsigned blue) {
  return (red & 0xFF) | ((green & 0xFF) << 8) | ((blue & 0xFF) << 16);
}

inline void PutU16(std::string& bytes, size_t at, uint32_t value) {
  bytes[at] = static_cast<char>(value & 0xFF);
  bytes[at + 1] = static_cast<char>((value >> 8) & 0xFF);
}
inline void PutU32(std::string& bytes, size_t at, uint32_t value) {
  for (size_t i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

// A BMP file: BITMAPFILEHEADER, BITMAPINFOHEADER, colour table (0x00BBGGRR
// colours; a full table is counted as 0), bottom-up rows (top-down when
// asked). `pixel(x, y)`, y counted from the top, is a table index up to 8 bits
// per pixel, else a 0x00BBGGRR colour.
inline std::string MakeBmp(int width, int height, int bitCount, const std::vector<uint32_t>& palette,
                           const std::function<uint32_t(int, int)>& pixel, bool topDown = false) {
  const size_t rowBytes = (static_cast<size_t>(width) * bitCount + 31) / 32 * 4;
  const size_t offset = 14 + 40 + 4 * palette.size();
  std::string bytes(offset + rowBytes * height, '\0');
  bytes[0] = 'B';
  bytes[1] = 'M';
  PutU32(bytes, 2, static_cast<uint32_t>(bytes.size()));
  PutU32(bytes, 10, static_cast<uint32_t>(offset));
  PutU32(bytes, 14, 40);
  PutU32(bytes, 18, static_cast<uint32_t>(width));
  PutU32(bytes, 22, static_cast<uint32_t>(topDown ? -height : height));
  PutU16(bytes, 26, 1);
  PutU16(bytes, 28, static_cast<uint16_t>(bitCount));
  PutU32(bytes, 34, static_cast<uint32_t>(rowBytes * height));
  const bool fullTable = bitCount <= 8 && palette.size() == (1u << bitCount);
  PutU32(bytes, 46, fullTable ? 0 : static_cast<uint32_t>(palette.size()));
  for (size_t i = 0; i < palette.size(); ++i) {
    bytes[54 + 4 * i] = static_cast<char>(palette[i] >> 16);
    bytes[54 + 4 * i + 1] = static_cast<char>(palette[i] >> 8);
    bytes[54 + 4 * i + 2] = static_cast<char>(palette[i]);
  }
  for (int y = 0; y < height; ++y) {
    const int fileRow = topDown ? y : height - 1 - y;
    char* row = &bytes[offset + rowBytes * fileRow];
    for (int x = 0; x < width; ++x) {
      const uint32_t value = pixel(x, y);
      switch (bitCount) {
        case 1:
          row[x / 8] = static_cast<char>(row[x / 8] | ((value & 1) << (7 - x % 8)));
          break;
        case 4:
          row[x / 2] = static_cast<char>(row[x / 2] | ((value & 15) << (x % 2 ? 0 : 4)));
          break;
        case 8:
          row[x] = static_cast<char>(value);
          break;
        case 24:
          row[3 * x] = static_cast<char>(value >> 16);
          row[3 * x + 1] = static_cast<char>(value >> 8);
          row[3 * x + 2] = static_cast<char>(value);
          break;
        default:
          ADD_FAILURE() << "MakeBmp: no " << bitCount << "-bit writer";
          break;
      }
    }
  }
  return bytes;
}

// Sixteen colours no VGA palette has, so that nothing can match by accident.
inline std::vector<uint32_t> OddPalette() {
  std::vector<uint32_t> palette;
  for (unsigned i = 0; i < 16; ++i) palette.push_back(BmpRgb(10 + i * 15, 200 - i * 7, 33 + i * 13));
  return palette;
}

inline uint32_t FourBitPattern(int x, int y) {
  return static_cast<uint32_t>((x * 3 + y * 5) % 16);
}
inline uint32_t TrueColourPattern(int x, int y) {
  const auto channel = [](int value) { return static_cast<unsigned>(value); };
  return BmpRgb(channel(x * 40 + 7), channel(y * 60 + 3), channel((x ^ y) * 20 + 1));
}

// 5 x 3 pictures of those patterns: 4 bits with OddPalette, and 24 bits.
inline std::string FourBitBmp() {
  return MakeBmp(5, 3, 4, OddPalette(), FourBitPattern);
}
inline std::string TrueColourBmp() {
  return MakeBmp(5, 3, 24, {}, TrueColourPattern);
}
