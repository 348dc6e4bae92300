// Byte-level reading of layout streams: every value kind, the integer sizes,
// skipping, and refusal of short, corrupt and too deeply nested data.
#include "stream/LayoutDecoder.h"
#include "tests/support/LayoutEncoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "runtime/Exceptions.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

Bytes Short(const std::string& text) {
  Bytes bytes(text.size() + 1);
  bytes[0] = static_cast<uint8_t>(text.size());
  std::copy(text.begin(), text.end(), bytes.begin() + 1);
  return bytes;
}

std::string MessageOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const EReadError& error) {
    return error.Message();
  }
  return "(no error)";
}

TEST(LayoutDecoder, IntegersOfEverySize) {
  // 302 as 16 and 32 bits, -15 as 8 bits, and the limits of each size.
  const Bytes data = {3, 0x2E, 0x01, 4, 0x2E, 0x01, 0, 0, 2, 0xF1, 2, 0x80, 3, 0x00, 0x80, 4, 0xFF, 0xFF, 0xFF, 0x7F};
  LayoutDecoder decoder(data);
  EXPECT_EQ(decoder.ReadInteger(), 302);
  EXPECT_EQ(decoder.ReadInteger(), 302);
  EXPECT_EQ(decoder.ReadInteger(), -15);
  EXPECT_EQ(decoder.ReadInteger(), -128);
  EXPECT_EQ(decoder.ReadInteger(), -32768);
  EXPECT_EQ(decoder.ReadInteger(), 2147483647);
  EXPECT_TRUE(decoder.AtEnd());
}

TEST(LayoutDecoder, TextsSetsBinaryAndFloats) {
  const Bytes longText(300, 'x');
  Bytes longString = {12, 44, 1, 0, 0};
  longString.insert(longString.end(), longText.begin(), longText.end());
  // 1.5 as an 80-bit extended float: mantissa 0xC000..., exponent 16383.
  const Bytes extended = {5, 0, 0, 0, 0, 0, 0, 0, 0xC0, 0xFF, 0x3F};
  const Bytes data = Concat({{6},
                             Short("Caption"),
                             longString,
                             {7},
                             Short("bsDialog"),
                             {8, 9, 13},
                             {11},
                             Short("biSystemMenu"),
                             Short("biHelp"),
                             {0},
                             {11, 0},
                             {10, 3, 0, 0, 0, 'B', 'M', 0},
                             extended,
                             {2, 7}});
  LayoutDecoder decoder(data);
  EXPECT_EQ(decoder.ReadString(), "Caption");
  EXPECT_EQ(decoder.ReadString(), std::string(300, 'x'));
  EXPECT_EQ(decoder.ReadIdentifier(), "bsDialog");
  EXPECT_EQ(decoder.ReadIdentifier(), "False");
  EXPECT_EQ(decoder.ReadIdentifier(), "True");
  EXPECT_EQ(decoder.ReadIdentifier(), "nil");
  EXPECT_EQ(decoder.ReadSet(), (std::vector<std::string>{"biSystemMenu", "biHelp"}));
  EXPECT_TRUE(decoder.ReadSet().empty());
  EXPECT_EQ(decoder.ReadBinary(), (Bytes{'B', 'M', 0}));
  EXPECT_DOUBLE_EQ(decoder.ReadFloat(), 1.5);
  EXPECT_DOUBLE_EQ(decoder.ReadFloat(), 7.0);  // an integer serves as a float
  EXPECT_TRUE(decoder.AtEnd());
}

TEST(LayoutDecoder, SignatureAndPrefix) {
  EXPECT_EQ(MessageOf([] {
              const Bytes data = {'T', 'P', 'F', '1', 0};
              LayoutDecoder(data).ReadSignature();
            }),
            layout_messages::kInvalidStreamFormat);
  EXPECT_EQ(MessageOf([] {
              const Bytes data = {'T', 'P'};
              LayoutDecoder(data).ReadSignature();
            }),
            layout_messages::kInvalidStreamFormat);
  const Bytes data =
      Concat({{'T', 'P', 'F', '0'}, {0xF3, 2, 4}, Short("TEdit"), {0xF1}, Short("TPanel"), Short("TLabel")});
  LayoutDecoder decoder(data);
  decoder.ReadSignature();
  ComponentPrefix prefix = decoder.ReadPrefix();
  EXPECT_TRUE(prefix.inherited);
  EXPECT_TRUE(prefix.hasPosition);
  EXPECT_EQ(prefix.position, 4);
  EXPECT_EQ(decoder.ReadShortString(), "TEdit");
  prefix = decoder.ReadPrefix();
  EXPECT_TRUE(prefix.inherited);
  EXPECT_FALSE(prefix.hasPosition);
  EXPECT_EQ(decoder.ReadShortString(), "TPanel");
  prefix = decoder.ReadPrefix();  // none: the byte is a length
  EXPECT_FALSE(prefix.inherited);
  EXPECT_EQ(decoder.ReadShortString(), "TLabel");
}

TEST(LayoutDecoder, SkippingPassesOverEveryKind) {
  const Bytes data = Concat({{1, 2, 5, 6},
                             Short("abc"),
                             {1, 3, 1, 0, 0, 0},  // nested lists
                             {5, 0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F},
                             {11},
                             Short("a"),
                             {0},
                             {10, 2, 0, 0, 0, 1, 2},
                             {12, 1, 0, 0, 0, 'z'},
                             {14, 2, 0, 1},
                             Short("Caption"),
                             {6, 1, 'q', 0, 1, 0, 0},  // collection: two items
                             {8, 9, 13, 4, 1, 2, 3, 4},
                             {2, 42}});
  LayoutDecoder decoder(data);
  for (int i = 0; i < 10; ++i) decoder.SkipValue();
  EXPECT_EQ(decoder.ReadInteger(), 42);
  EXPECT_TRUE(decoder.AtEnd());
}

TEST(LayoutDecoder, WrongKindsAndShortDataRaise) {
  const Bytes identifier = Concat({{7}, Short("clRed")});
  EXPECT_EQ(MessageOf([&] { LayoutDecoder(identifier).ReadInteger(); }), layout_messages::kInvalidPropertyValue);
  EXPECT_EQ(MessageOf([&] { LayoutDecoder(identifier).ReadString(); }), layout_messages::kInvalidPropertyValue);
  EXPECT_EQ(MessageOf([&] { LayoutDecoder(identifier).ReadBinary(); }), layout_messages::kInvalidPropertyValue);
  const std::vector<Bytes> cutShort = {
      {},           {3, 1},    {4, 1, 2, 3}, {6, 5, 'a'}, {10, 0xFF, 0xFF, 0xFF, 0x7F, 1}, {12, 2, 0, 0},
      {11, 3, 'a'}, {1, 2, 1}, {5, 1, 2, 3},
  };
  for (const Bytes& data : cutShort) {
    EXPECT_EQ(MessageOf([&] { LayoutDecoder(data).SkipValue(); }), layout_messages::kStreamReadError)
        << "type " << (data.empty() ? -1 : data[0]);
  }
  // A type byte that names no kind cannot be skipped.
  EXPECT_EQ(MessageOf([] {
              const Bytes data = {99};
              LayoutDecoder(data).SkipValue();
            }),
            layout_messages::kInvalidStreamFormat);
}

TEST(LayoutDecoder, NestingDeeperThanTheLimitIsRefused) {
  Bytes deep(LayoutDecoder::kMaxNesting + 1, 1);  // lists within lists
  deep.insert(deep.end(), LayoutDecoder::kMaxNesting + 1, 0);
  EXPECT_EQ(MessageOf([&] { LayoutDecoder(deep).SkipValue(); }), layout_messages::kInvalidStreamFormat);
  Bytes fine(LayoutDecoder::kMaxNesting, 1);
  fine.insert(fine.end(), LayoutDecoder::kMaxNesting, 0);
  LayoutDecoder decoder(fine);
  decoder.SkipValue();
  EXPECT_TRUE(decoder.AtEnd());
}

}  // namespace

namespace {

TEST(LayoutEncoder, WhatIsWrittenReadsBack) {
  LayoutEncoder encoder;
  encoder.WriteSignature();
  for (int32_t value : {0, -15, 127, -128, 302, -32768, 32767, 100000, -2147483647 - 1}) encoder.WriteInteger(value);
  encoder.WriteString("abc");
  encoder.WriteString(std::string(300, 'y'));
  encoder.WriteIdentifier("bsDialog");
  encoder.WriteIdentifier("True");
  encoder.WriteIdentifier("nil");
  encoder.WriteSet({"biSystemMenu", "biHelp"});
  encoder.WriteBinary({1, 2, 3});
  const std::vector<uint8_t>& bytes = encoder.Bytes();
  // Integers take the smallest kind: 302 as 16 bits right after the 8-bit ones.
  EXPECT_EQ(bytes[4], 2);
  EXPECT_EQ(bytes[4 + 2 * 4], 3);

  LayoutDecoder decoder(bytes);
  decoder.ReadSignature();
  for (int32_t value : {0, -15, 127, -128, 302, -32768, 32767, 100000, -2147483647 - 1})
    EXPECT_EQ(decoder.ReadInteger(), value);
  EXPECT_EQ(decoder.ReadString(), "abc");
  EXPECT_EQ(decoder.ReadString(), std::string(300, 'y'));
  EXPECT_EQ(decoder.ReadIdentifier(), "bsDialog");
  EXPECT_EQ(decoder.NextValueType(), LayoutValueType::kTrue);
  EXPECT_EQ(decoder.ReadIdentifier(), "True");
  EXPECT_EQ(decoder.NextValueType(), LayoutValueType::kNil);
  decoder.ReadIdentifier();
  EXPECT_EQ(decoder.ReadSet(), (std::vector<std::string>{"biSystemMenu", "biHelp"}));
  EXPECT_EQ(decoder.ReadBinary(), (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_TRUE(decoder.AtEnd());
}

}  // namespace
