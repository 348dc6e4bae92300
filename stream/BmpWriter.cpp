// Writing BMP files.
#include "stream/BmpWriter.h"

#include <cstdint>

namespace {

void WriteU16(std::string& out, uint16_t value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>(value >> 8);
}
void WriteU32(std::string& out, uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>((value >> shift) & 0xFF);
}

}  // namespace

std::string WriteBmp(const BmpImage& image) {
  using namespace bmp_layout;
  const size_t tableBytes = image.colours.size() * kColourEntrySize;
  const size_t bitsOffset = kFileHeaderSize + kInfoHeaderSize + tableBytes;
  const bool fullTable = image.bitCount > 8 || image.colours.size() == (1u << image.bitCount);
  std::string out;
  out.reserve(bitsOffset + image.bits.size());
  out += "BM";
  WriteU32(out, static_cast<uint32_t>(bitsOffset + image.bits.size()));
  WriteU32(out, 0);  // the two reserved words
  WriteU32(out, static_cast<uint32_t>(bitsOffset));
  WriteU32(out, kInfoHeaderSize);
  WriteU32(out, static_cast<uint32_t>(image.width));
  WriteU32(out, static_cast<uint32_t>(image.height));
  WriteU16(out, 1);
  WriteU16(out, static_cast<uint16_t>(image.bitCount));
  WriteU32(out, kUncompressed);
  WriteU32(out, static_cast<uint32_t>(image.bits.size()));
  WriteU32(out, 0);  // no resolution recorded
  WriteU32(out, 0);
  WriteU32(out, fullTable ? 0 : static_cast<uint32_t>(image.colours.size()));
  WriteU32(out, 0);
  for (const BmpColour& colour : image.colours) {
    out += static_cast<char>(colour.blue);
    out += static_cast<char>(colour.green);
    out += static_cast<char>(colour.red);
    out += '\0';
  }
  out.append(reinterpret_cast<const char*>(image.bits.data()), image.bits.size());
  return out;
}
