// The panose group filter, buffer by buffer.
#include "convert/PanoseFilter.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "tests/PanoseReference.h"

namespace {

using namespace std::string_literals;

// Runs buffers through one filter state, as a conversion does, and joins the output.
std::string FilterBuffers(const std::vector<std::string>& buffers, PanoseFilter* filterOut = nullptr) {
  PanoseFilter filter;
  filter.Reset();
  std::string output;
  for (const std::string& input : buffers) {
    std::string buffer = input;
    buffer.push_back('\0');  // room for the terminating zero
    const size_t length = filter.FilterBuffer(buffer.data(), input.size(), buffer.size());
    EXPECT_LE(length, input.size());
    EXPECT_EQ(buffer[length], '\0');
    output.append(buffer.data(), length);
  }
  if (filterOut) *filterOut = filter;
  return output;
}

TEST(PanoseFilter, TextWithoutGroupsPassesUnchanged) {
  const std::vector<std::string> lines = {"{\\rtf1\\ansi\\deff0\n", "{\\fonttbl{\\f0\\froman Times;}}\n",
                                          "Hello } { \\panose world\n", "\n"};
  EXPECT_EQ(FilterBuffers(lines), lines[0] + lines[1] + lines[2] + lines[3]);
}

TEST(PanoseFilter, GroupWithinOneLineBecomesOneSpace) {
  EXPECT_EQ(FilterBuffers({"{\\f1\\fswiss{\\*\\panose 0a0b0c0d}Name;}\n"}), "{\\f1\\fswiss Name;}\n");
  EXPECT_EQ(FilterBuffers({"{\\*\\panose}"}), " ");
  EXPECT_EQ(FilterBuffers({"a{\\*\\panose}b{\\*\\panose 1}c{\\*\\panose 22}d\n"}), "a b c d\n");
}

TEST(PanoseFilter, MarkerIsMatchedByteForByte) {
  // More letters after the marker still open a group; another letter case does not.
  EXPECT_EQ(FilterBuffers({"x{\\*\\panosex 12}y\n"}), "x y\n");
  EXPECT_EQ(FilterBuffers({"x{\\*\\PANOSE 12}y\n"}), "x{\\*\\PANOSE 12}y\n");
  EXPECT_EQ(FilterBuffers({"x{\\*\\panos 12}y\n"}), "x{\\*\\panos 12}y\n");
}

TEST(PanoseFilter, FirstClosingBraceEndsTheGroup) {
  EXPECT_EQ(FilterBuffers({"a{\\*\\panose {inner} tail}b\n"}), "a  tail}b\n");
  // An opening marker inside a group is just part of the group.
  EXPECT_EQ(FilterBuffers({"a{\\*\\panose {\\*\\panose 1}b}c\n"}), "a b}c\n");
  // A "}" outside any group is left alone.
  EXPECT_EQ(FilterBuffers({"}a{\\*\\panose 1}}b}\n"}), "}a }b}\n");
}

TEST(PanoseFilter, GroupAcrossLinesJoinsTheSurroundingText) {
  EXPECT_EQ(FilterBuffers({"before{\\*\\panose 02\n", "0b0604020202020204\n", "}after\n"}), "before after\n");
  // The closing marker in the first byte of the next line.
  EXPECT_EQ(FilterBuffers({"a{\\*\\panose 1\n", "}rest\n"}), "a rest\n");
  EXPECT_EQ(FilterBuffers({"{\\*\\panose 1\n", "}\n", "next\n"}), " \nnext\n");
}

TEST(PanoseFilter, UnclosedGroupRemovesEverythingToTheEnd) {
  PanoseFilter filter;
  EXPECT_EQ(FilterBuffers({"keep{\\*\\panose 1\n", "gone\n", "gone too\n"}, &filter), "keep");
  EXPECT_TRUE(filter.inside());
  EXPECT_EQ(filter.groupsRemoved(), 0u);
  // The cut on a later buffer begins at that buffer's start, not where the
  // group began in the first one.
  char later[] = "gone}after\n";
  const size_t length = filter.FilterBuffer(later, sizeof later - 1, sizeof later);
  EXPECT_EQ(std::string(later, length), " after\n");
}

TEST(PanoseFilter, MarkerSplitBetweenBuffersIsNotRecognised) {
  EXPECT_EQ(FilterBuffers({"text{\\*\\pan", "ose 1}more\n"}), "text{\\*\\panose 1}more\n");
  // A group opened in the first piece of a long line runs on into the next piece.
  const std::string first = std::string(4080, 'a') + "{\\*\\panose 1";
  EXPECT_EQ(FilterBuffers({first, "234}tail\n"}), std::string(4080, 'a') + " tail\n");
}

TEST(PanoseFilter, PartialMarkerAtTheEndOfAPiece) {
  PanoseFilter filter;
  auto held = [&filter](const std::string& text) { return filter.PartialMarkerAtEnd(text.data(), text.size()); };
  EXPECT_EQ(held("text{"), 1u);
  EXPECT_EQ(held("text{\\*\\panos"), 9u);
  EXPECT_EQ(held("{\\*\\pa"), 6u);
  EXPECT_EQ(held("text{\\*\\panose"), 0u);  // a whole marker is the filter's business
  EXPECT_EQ(held("text{\\*\\x"), 0u);
  EXPECT_EQ(held("text{\\*\\pan\n"), 0u);  // a line end is never inside a marker
  EXPECT_EQ(held(""), 0u);
  char open[] = "a{\\*\\panose 1 {";
  filter.FilterBuffer(open, sizeof open - 1);
  EXPECT_EQ(filter.PartialMarkerAtEnd("{\\*", 3), 0u);  // inside a group nothing is held
}

TEST(PanoseFilter, ZeroBytesAreOrdinaryBytes) {
  EXPECT_EQ(FilterBuffers({"a\0b{\\*\\panose \0}c\0\n"s}), "a\0b c\0\n"s);
  EXPECT_EQ(FilterBuffers({"{\\*\\panose 1}\0"s}), " \0"s);
}

TEST(PanoseFilter, ResetForgetsAnOpenGroupAndTheCount) {
  PanoseFilter filter;
  char first[] = "{\\*\\panose}{\\*\\panose 1";
  filter.FilterBuffer(first, sizeof first - 1);
  EXPECT_TRUE(filter.inside());
  EXPECT_EQ(filter.groupsRemoved(), 1u);
  filter.Reset();
  EXPECT_FALSE(filter.inside());
  EXPECT_EQ(filter.groupsRemoved(), 0u);
  char second[] = "x}y";
  EXPECT_EQ(filter.FilterBuffer(second, 3), 3u);
  EXPECT_EQ(std::string(second, 3), "x}y");
}

TEST(PanoseFilter, EmptyBufferStaysEmpty) {
  PanoseFilter filter;
  char buffer[1] = {'q'};
  EXPECT_EQ(filter.FilterBuffer(buffer, 0, 1), 0u);
  EXPECT_EQ(buffer[0], '\0');
}

// Random documents, split at random places, against the plain model.
TEST(PanoseFilter, AgreesWithThePlainModelOnRandomDocuments) {
  std::mt19937 random(20261207);
  const std::vector<std::string> pieces = {"{\\*\\panose", "}", "{", "\\*", "\\panose", "a", "\n", "\0"s, "x y"};
  for (int round = 0; round < 3000; ++round) {
    std::string document;
    const int count = std::uniform_int_distribution<int>(0, 60)(random);
    for (int i = 0; i < count; ++i) document += pieces[random() % pieces.size()];
    std::vector<std::string> buffers;
    for (size_t at = 0; at < document.size();) {
      const size_t length = std::uniform_int_distribution<size_t>(1, round % 2 ? 24 : 120)(random);
      buffers.push_back(document.substr(at, length));
      at += length;
    }
    PanoseReference reference;
    std::string expected;
    for (const std::string& buffer : buffers) expected += reference.Filter(buffer);
    ASSERT_EQ(FilterBuffers(buffers), expected) << "document: " << document;
  }
}

}  // namespace
