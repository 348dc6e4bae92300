// The byte translations of text-mode reading and writing.
#include "textfile/TextTranslation.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

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

// Reads CRs as line ends over the text cut into pieces at `cuts`, the run
// state carried from piece to piece as a file's fills carry it.
std::string WithCarriageReturnLineEnds(const std::string& text, const std::vector<size_t>& cuts = {}) {
  std::string output;
  bool inRun = false;
  size_t from = 0;
  std::vector<size_t> ends = cuts;
  ends.push_back(text.size());
  for (size_t to : ends) {
    std::vector<char> piece(text.begin() + from, text.begin() + to);  // exactly sized, for the sanitizers
    output.append(piece.data(), textmode::TranslateCarriageReturnLineEnds(piece.data(), piece.size(), &inRun));
    from = to;
  }
  return output;
}

TEST(TextTranslation, CarriageReturnRunsReadAsOneLineEnd) {
  EXPECT_EQ(WithCarriageReturnLineEnds("a\r\nb\r\r\nc\nd"), "a\nb\nc\nd");  // as when CRs are removed
  EXPECT_EQ(WithCarriageReturnLineEnds("\\b\rbold\rend\r"), "\\b\nbold\nend\n");
  EXPECT_EQ(WithCarriageReturnLineEnds("a\r\r\rb\n\nc\r\n\n"), "a\nb\n\nc\n\n");
  EXPECT_EQ(WithCarriageReturnLineEnds("\r\r"), "\n");
  EXPECT_EQ(WithCarriageReturnLineEnds(""), "");
  // Runs cut by the ends of fills wherever they fall, also with a fill that
  // holds nothing but the middle of a run.
  const std::string text = "xy\r\r\r\nz\r\r\r\rw\r";
  for (size_t cut = 0; cut <= text.size(); ++cut)
    for (size_t second = cut; second <= text.size(); ++second)
      EXPECT_EQ(WithCarriageReturnLineEnds(text, {cut, second}), "xy\nz\nw\n") << cut << " " << second;
}

TEST(TextTranslation, EndOfFileMark) {
  EXPECT_EQ(textmode::FindEndOfFileMark("abc\x1A"
                                        "def",
                                        7),
            3u);
  EXPECT_EQ(textmode::FindEndOfFileMark("abc", 3), 3u);
  EXPECT_TRUE(textmode::OnlyEndOfFileMarks("\x1A\x1A", 2));
  EXPECT_TRUE(textmode::OnlyEndOfFileMarks("", 0));
  EXPECT_FALSE(
      textmode::OnlyEndOfFileMarks("\x1A"
                                   "a",
                                   2));
}

// Expands a whole text block by block, checking each block's limits; the
// blocks one by one.
std::vector<std::string> ExpandIntoBlocks(const std::string& source, size_t blockSize = kOutputBlockSize) {
  std::vector<std::string> blocks;
  size_t consumed = 0;
  while (consumed < source.size()) {
    std::vector<char> block(blockSize);  // exactly sized, for the sanitizers
    const textmode::ExpandedBlock expanded =
        textmode::ExpandLineFeeds(source.data() + consumed, source.size() - consumed, block.data(), blockSize);
    EXPECT_GT(expanded.consumed, 0u);
    EXPECT_LE(expanded.blockLength, blockSize);
    blocks.emplace_back(block.data(), expanded.blockLength);
    consumed += expanded.consumed;
  }
  return blocks;
}

std::string ExpandAll(const std::string& source, size_t* blocks = nullptr) {
  const std::vector<std::string> pieces = ExpandIntoBlocks(source);
  if (blocks) *blocks = pieces.size();
  std::string output;
  for (const std::string& piece : pieces) output += piece;
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
  textmode::ExpandedBlock expanded = textmode::ExpandLineFeeds(fits.data(), fits.size(), block, sizeof block);
  EXPECT_EQ(expanded.blockLength, 128u);
  EXPECT_EQ(expanded.consumed, 127u);
  EXPECT_EQ(std::string(block + 126, 2), "\r\n");
  // With one byte free the block ends before it, one byte short.
  std::string spills = std::string(127, 'x') + "\nrest";
  expanded = textmode::ExpandLineFeeds(spills.data(), spills.size(), block, sizeof block);
  EXPECT_EQ(expanded.blockLength, 127u);
  EXPECT_EQ(expanded.consumed, 127u);
  // A long run fills the block exactly.
  std::string run(300, 'y');
  expanded = textmode::ExpandLineFeeds(run.data(), run.size(), block, sizeof block);
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

// The block rule told byte by byte: each LF becomes CR LF where two bytes are
// free, else it starts the next block; other bytes fill a block to the end.
std::vector<std::string> ModelBlocks(const std::string& source, size_t blockSize) {
  std::vector<std::string> blocks(source.empty() ? 0 : 1);
  for (char c : source) {
    const size_t need = c == '\n' ? 2 : 1;
    if (blocks.back().size() + need > blockSize) blocks.emplace_back();
    blocks.back() += c == '\n' ? std::string("\r\n") : std::string(1, c);
  }
  return blocks;
}

// Random texts, line ends sparse or dense, against plain models: the same
// blocks for blocks of any size, the same bytes without CRs, the same line
// ends from CR runs however the text is cut.
TEST(TextTranslation, RandomTextTranslatesLikeThePlainModels) {
  std::mt19937 random(7);
  for (int round = 0; round < 1500; ++round) {
    const char* alphabet = round % 2 ? "ab\n\r" : "abcdefghijklmnopqrstuvwxyz\n\r";
    std::string source(random() % 700, 'a');
    for (char& c : source) c = alphabet[random() % std::strlen(alphabet)];
    const size_t blockSize = round % 3 == 0 ? kOutputBlockSize : 2 + random() % 300;
    ASSERT_EQ(ExpandIntoBlocks(source, blockSize), ModelBlocks(source, blockSize)) << "block size " << blockSize;

    std::string withoutCr;
    for (char c : source)
      if (c != '\r') withoutCr += c;
    ASSERT_EQ(WithoutCarriageReturns(source), withoutCr);

    std::string lineEnds;
    for (size_t i = 0; i < source.size(); ++i) {
      if (source[i] != '\r') {
        lineEnds += source[i];
        continue;
      }
      while (i + 1 < source.size() && source[i + 1] == '\r') ++i;
      if (i + 1 < source.size() && source[i + 1] == '\n') ++i;
      lineEnds += '\n';
    }
    std::vector<size_t> cuts;
    for (size_t at = random() % 40; at < source.size(); at += 1 + random() % 100) cuts.push_back(at);
    ASSERT_EQ(WithCarriageReturnLineEnds(source, cuts), lineEnds);
  }
}

}  // namespace
