// The byte translations of text-mode reading and writing.
#include "textfile/TextTranslation.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

using namespace std::string_literals;
using textmode::kOutputBlockSize;

std::string WithoutCarriageReturns(std::string text) {
  text.resize(textmode::RemoveCarriageReturns(text.data(), text.size()));
  return text;
}

TEST(TextTranslation, EveryCarriageReturnIsRemoved) {
  EXPECT_EQ(WithoutCarriageReturns("a\r\nb\r\n"), "a\nb\n");
  EXPECT_EQ(WithoutCarriageReturns("a\r\r\nb\rc\r"), "a\nbc");
  EXPECT_EQ(WithoutCarriageReturns("\r\r\r"), "");
  EXPECT_EQ(WithoutCarriageReturns("plain\0text"s), "plain\0text"s);
  EXPECT_EQ(WithoutCarriageReturns(""), "");
}

TEST(TextTranslation, EndOfFileMark) {
  EXPECT_EQ(textmode::FindEndOfFileMark("abc\x1A" "def", 7), 3u);
  EXPECT_EQ(textmode::FindEndOfFileMark("abc", 3), 3u);
  EXPECT_TRUE(textmode::OnlyEndOfFileMarks("\x1A\x1A", 2));
  EXPECT_TRUE(textmode::OnlyEndOfFileMarks("", 0));
  EXPECT_FALSE(textmode::OnlyEndOfFileMarks("\x1A" "a", 2));
}

// Expands a whole text block by block, checking each block's limits.
std::string ExpandAll(const std::string& source, size_t* blocks = nullptr) {
  std::string output;
  size_t consumed = 0, count = 0;
  while (consumed < source.size()) {
    char block[kOutputBlockSize];
    const textmode::ExpandedBlock expanded =
        textmode::ExpandLineFeeds(source.data() + consumed, source.size() - consumed, block);
    EXPECT_GT(expanded.consumed, 0u);
    EXPECT_LE(expanded.blockLength, kOutputBlockSize);
    output.append(block, expanded.blockLength);
    consumed += expanded.consumed;
    ++count;
  }
  if (blocks) *blocks = count;
  return output;
}

TEST(TextTranslation, LineFeedsBecomeCarriageReturnLineFeed) {
  EXPECT_EQ(ExpandAll("a\nb\n\n"), "a\r\nb\r\n\r\n");
  EXPECT_EQ(ExpandAll("a\rb\r\n"), "a\rb\r\r\n");  // a CR already there is not touched
  EXPECT_EQ(ExpandAll("no line end"), "no line end");
}

TEST(TextTranslation, BlocksNeverSplitTheLineEndPair) {
  char block[kOutputBlockSize];
  // An LF with two bytes free still fits.
  std::string fits = std::string(126, 'x') + "\nrest";
  textmode::ExpandedBlock expanded = textmode::ExpandLineFeeds(fits.data(), fits.size(), block);
  EXPECT_EQ(expanded.blockLength, 128u);
  EXPECT_EQ(expanded.consumed, 127u);
  EXPECT_EQ(std::string(block + 126, 2), "\r\n");
  // With one byte free the block ends before it, one byte short.
  std::string spills = std::string(127, 'x') + "\nrest";
  expanded = textmode::ExpandLineFeeds(spills.data(), spills.size(), block);
  EXPECT_EQ(expanded.blockLength, 127u);
  EXPECT_EQ(expanded.consumed, 127u);
  // A long run fills the block exactly.
  std::string run(300, 'y');
  expanded = textmode::ExpandLineFeeds(run.data(), run.size(), block);
  EXPECT_EQ(expanded.blockLength, 128u);
  EXPECT_EQ(expanded.consumed, 128u);
}

TEST(TextTranslation, FullBufferNeedsAtLeastFourBlocks) {
  size_t blocks = 0;
  EXPECT_EQ(ExpandAll(std::string(512, 'z'), &blocks), std::string(512, 'z'));
  EXPECT_EQ(blocks, 4u);
  ExpandAll(std::string(512, '\n'), &blocks);
  EXPECT_EQ(blocks, 8u);
}

TEST(TextTranslation, RandomTextExpandsLikeAPlainReplacement) {
  std::mt19937 random(7);
  for (int round = 0; round < 500; ++round) {
    std::string source(random() % 700, 'a');
    for (char& c : source) c = "ab\n\r"[random() % 4];
    std::string expected;
    for (char c : source) expected += c == '\n' ? "\r\n" : std::string(1, c);
    ASSERT_EQ(ExpandAll(source), expected);
  }
}

}  // namespace
