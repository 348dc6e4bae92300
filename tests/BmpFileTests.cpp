// Reading and writing BMP files: what is refused, without a byte read past
// the data, and what is read comes back as the same file.
#include "stream/BmpReader.h"
#include "stream/BmpWriter.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "runtime/Exceptions.h"
#include "tests/support/BmpFiles.h"

namespace {

// ReadBmp refuses the bytes with EInvalidGraphic and its fixed message. They
// are read from a heap block of exactly their size, so that a read past the
// end shows under the address sanitizer.
void ExpectInvalidBmp(const std::string& bytes, const std::string& what) {
  SCOPED_TRACE(what);
  const auto copy = std::make_unique<uint8_t[]>(bytes.size());
  if (!bytes.empty()) std::memcpy(copy.get(), bytes.data(), bytes.size());
  try {
    ReadBmp(std::span<const uint8_t>(copy.get(), bytes.size()));
    ADD_FAILURE() << "read";
  } catch (const EInvalidGraphic& error) {
    EXPECT_EQ(error.Message(), kInvalidBitmapImage);
  }
}

BmpImage Read(const std::string& file) {
  return ReadBmp(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(file.data()), file.size()));
}

}  // namespace

TEST(BmpReader, InvalidBmpRaisesEInvalidGraphicWithoutReadingPastTheData) {
  const std::string good = FourBitBmp();
  ExpectInvalidBmp("", "empty");
  ExpectInvalidBmp("B", "one byte");
  std::string wrong = good;
  wrong[1] = 'A';
  ExpectInvalidBmp(wrong, "BA");
  wrong = good;
  std::swap(wrong[0], wrong[1]);
  ExpectInvalidBmp(wrong, "MB");

  for (uint32_t headerSize : {12u, 108u, 124u, 0u, 41u}) {
    wrong = good;
    PutU32(wrong, 14, headerSize);
    ExpectInvalidBmp(wrong, "header size " + std::to_string(headerSize));
  }

  // Cut short anywhere: in the file header, the info header, the colour table, the rows.
  for (const std::string& whole : {good, TrueColourBmp()})
    for (size_t length = 0; length < whole.size(); ++length)
      ExpectInvalidBmp(whole.substr(0, length),
                       "cut at " + std::to_string(length) + " of " + std::to_string(whole.size()));

  const struct {
    size_t at;
    uint32_t value;
    const char* what;
  } fields[] = {
      {18, 0, "width 0"},
      {18, 0xFFFFFFFFu, "width -1"},
      {18, 0x7FFFFFFFu, "width 2^31-1"},
      {22, 0, "height 0"},
      {22, 0x80000000u, "height -2^31"},
      {22, 0x7FFFFFFFu, "height 2^31-1"},
      {22, 0x80000001u, "height -(2^31-1)"},
      {10, 10, "rows inside the file header"},
      {10, 60, "rows inside the colour table"},
      {10, 0xFFFFFFF0u, "rows past the end"},
      {30, 2 /* BI_RLE4 */, "run-length compressed"},
      {30, 3 /* BI_BITFIELDS */, "bit fields"},
      {46, 17, "17 colours for 4 bits"},
      {46, 0xFFFFFFFFu, "2^32-1 colours"},
  };
  for (const auto& field : fields) {
    wrong = good;
    PutU32(wrong, field.at, field.value);
    ExpectInvalidBmp(wrong, field.what);
  }
  wrong = good;
  PutU16(wrong, 26, 2);
  ExpectInvalidBmp(wrong, "two planes");
  for (uint16_t bits : {0, 2, 3, 5, 48, 0xFFFF}) {
    wrong = good;
    PutU16(wrong, 28, bits);
    ExpectInvalidBmp(wrong, std::to_string(bits) + " bits per pixel");
  }
  // 65536 x 65536 at 32 bits claims 16 GiB: its row count overflows 32-bit arithmetic.
  wrong = TrueColourBmp();
  PutU32(wrong, 18, 65536);
  PutU32(wrong, 22, 65536);
  PutU16(wrong, 28, 32);
  ExpectInvalidBmp(wrong, "65536 x 65536");
}

TEST(BmpWriter, WhatIsReadIsWrittenBackAsTheSameFileBottomUp) {
  const auto thirds = [](int x, int y) { return static_cast<uint32_t>((x + y) % 3); };
  const std::string files[] = {
      FourBitBmp(),
      TrueColourBmp(),
      MakeBmp(7, 2, 4, {BmpRgb(1, 2, 3), BmpRgb(200, 100, 50), BmpRgb(9, 250, 9)}, thirds),  // a short table
      MakeBmp(9, 4, 1, {BmpRgb(0, 0, 0), BmpRgb(255, 255, 255)}, thirds),
  };
  for (const std::string& file : files) EXPECT_EQ(WriteBmp(Read(file)), file);
  const BmpImage topDown = Read(MakeBmp(5, 3, 24, {}, TrueColourPattern, true));
  EXPECT_EQ(topDown.height, 3);
  EXPECT_EQ(WriteBmp(topDown), TrueColourBmp());
}
