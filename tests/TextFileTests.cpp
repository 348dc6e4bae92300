// Text-mode line files on real files under Wine: translation, buffering,
// tables, the existence test, and the fatal lock errors.
#include "textfile/TextFile.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "tests/support/TestFiles.h"

// Arrays alive from new[]: the layer's buffers and write blocks, so that a
// test can tell what it obtained and released.
std::atomic<long> gLiveArrays{0};

void* operator new[](std::size_t size) {
  if (void* memory = std::malloc(size ? size : 1)) {
    ++gLiveArrays;
    return memory;
  }
  throw std::bad_alloc();
}

void operator delete[](void* memory) noexcept {
  if (!memory) return;
  --gLiveArrays;
  std::free(memory);
}

void operator delete[](void* memory, std::size_t) noexcept {
  operator delete[](memory);
}

namespace {

using namespace std::string_literals;
using namespace textfile;

constexpr int kLineSize = 4095;  // what the conversion passes, on a 4096-byte buffer

class TextFileTest : public ::testing::Test {
protected:
  ScratchFolder folder_{"textfile"};
  std::string Path(const std::string& name) const { return folder_ / name; }

  // Every line read from a file with the given bytes, each with its length;
  // through a buffer of bufferSize bytes, or the standard one for 0.
  std::vector<std::string> ReadLines(const std::string& bytes, int lineSize = kLineSize, size_t bufferSize = 0) {
    WriteFileBytes(Path("in.txt"), bytes);
    TextStream* stream = OpenTextFile(Path("in.txt").c_str(), "rt");
    EXPECT_NE(stream, nullptr);
    std::vector<std::string> lines;
    if (!stream) return lines;
    if (bufferSize) {
      EXPECT_EQ(SetTextFileBuffer(stream, nullptr, kFullyBuffered, bufferSize), 0);
    }
    std::vector<char> buffer(lineSize + 1);
    long length;
    while ((length = ReadTextLine(buffer.data(), lineSize, stream)) >= 0) {
      EXPECT_EQ(buffer[length], '\0');
      lines.emplace_back(buffer.data(), length);
    }
    EXPECT_FALSE(TextStreamFailed(stream));
    EXPECT_EQ(CloseTextFile(stream), 0);
    return lines;
  }

  // The bytes a file gets when the lines read from `bytes` are written back.
  std::string CopyThroughTextMode(const std::string& bytes, size_t bufferSize = 0) {
    const std::vector<std::string> lines = ReadLines(bytes, kLineSize, bufferSize);
    TextStream* out = OpenTextFile(Path("out.txt").c_str(), "wt");
    EXPECT_NE(out, nullptr);
    if (!out) return {};
    if (bufferSize) {
      EXPECT_EQ(SetTextFileBuffer(out, nullptr, kFullyBuffered, bufferSize), 0);
    }
    for (const std::string& line : lines) EXPECT_GE(WriteTextLine(line.data(), line.size(), out), 0);
    EXPECT_EQ(CloseTextFile(out), 0);
    return ReadFileBytes(Path("out.txt"));
  }
};

std::string Lines(int count, const std::string& text, const std::string& end) {
  std::string bytes;
  for (int i = 0; i < count; ++i) bytes += text + end;
  return bytes;
}

TEST_F(TextFileTest, LineEndsComeBackAsCarriageReturnLineFeed) {
  EXPECT_EQ(ReadLines("one\r\ntwo\r\n"), (std::vector<std::string>{"one\n", "two\n"}));
  EXPECT_EQ(CopyThroughTextMode("one\r\ntwo\r\n"), "one\r\ntwo\r\n");
  EXPECT_EQ(CopyThroughTextMode("one\ntwo\n"), "one\r\ntwo\r\n");
  EXPECT_EQ(CopyThroughTextMode("one\r\r\ntw\ro\r\n"), "one\r\ntwo\r\n");
  EXPECT_EQ(CopyThroughTextMode("last line\r\nno end"), "last line\r\nno end");
}

TEST_F(TextFileTest, TwelveThousandByteFilesKeepTheirSize) {
  const std::string crlf = Lines(1000, "0123456789", "\r\n");
  ASSERT_EQ(crlf.size(), 12000u);
  EXPECT_EQ(CopyThroughTextMode(crlf), crlf);
  const std::string lf = Lines(1000, "0123456789", "\n");
  ASSERT_EQ(lf.size(), 11000u);
  EXPECT_EQ(CopyThroughTextMode(lf), crlf);
}

TEST_F(TextFileTest, CarriageReturnsAloneLoseEveryLineBreak) {
  const std::string bytes = Lines(1000, "0123456789", "\r");
  const std::vector<std::string> lines = ReadLines(bytes);
  ASSERT_EQ(lines.size(), 3u);  // 10,000 bytes in pieces of 4094
  EXPECT_EQ(lines[0].size(), 4094u);
  EXPECT_EQ(lines[1].size(), 4094u);
  EXPECT_EQ(lines[2].size(), 10000u - 2 * 4094);
  EXPECT_EQ(CopyThroughTextMode(bytes), Lines(1000, "0123456789", ""));
}

TEST_F(TextFileTest, LongLinesArriveInPieces) {
  const std::string exact(4094, 'x');
  EXPECT_EQ(ReadLines(exact + "\r\n"), (std::vector<std::string>{exact, "\n"}));
  EXPECT_EQ(CopyThroughTextMode(exact + "\r\n"), exact + "\r\n");
  const std::string shorter(4093, 'y');
  EXPECT_EQ(ReadLines(shorter + "\n"), (std::vector<std::string>{shorter + "\n"}));
  const std::string longer(10000, 'z');
  EXPECT_EQ(CopyThroughTextMode(longer + "\n" + "tail\n"), longer + "\r\ntail\r\n");
}

TEST_F(TextFileTest, EndOfFileMarkEndsTheData) {
  EXPECT_EQ(CopyThroughTextMode("text\r\n\x1A"), "text\r\n");
  EXPECT_EQ(CopyThroughTextMode("text\r\n\x1A\x1A\x1A"), "text\r\n");
  EXPECT_EQ(CopyThroughTextMode("te\x1Axt\r\nmore\r\n"), "te");
  EXPECT_EQ(CopyThroughTextMode("\x1A"
                                "everything"),
            "");
}

TEST_F(TextFileTest, CarriageReturnAtTheEndOfAFill) {
  // 511 bytes, then CR LF across the first 512-byte fill: the LF survives.
  const std::string head(511, 'a');
  EXPECT_EQ(CopyThroughTextMode(head + "\r\nnext\r\n"), head + "\r\nnext\r\n");
  // CR then the mark across the fill: both go, and nothing after them comes.
  EXPECT_EQ(CopyThroughTextMode(head + "\r\x1A"
                                       "after\r\n"),
            head);
  // CR CR LF across the fill.
  EXPECT_EQ(CopyThroughTextMode(head + "\r\r\nnext"), head + "\r\nnext");
  // A fill of nothing but CRs is read again.
  EXPECT_EQ(CopyThroughTextMode(std::string(1500, '\r') + "x\r\n"), "x\r\n");
}

// The conversion's reading: a run of CRs, with the LF after it, is one line
// end, also when the file is read one byte at a time; set before the first
// read of a text stream only.
TEST_F(TextFileTest, CarriageReturnsReadAsLineEndsWhereAsked) {
  WriteFileBytes(Path("in.txt"), "a\r\r\nb\r\rc\r");
  for (int mode : {kFullyBuffered, kUnbuffered}) {
    TextStream* in = OpenTextFile(Path("in.txt").c_str(), "rt");
    ASSERT_NE(in, nullptr);
    EXPECT_EQ(SetTextFileBuffer(in, nullptr, mode, 512), 0);
    EXPECT_EQ(SetCarriageReturnReading(in, CarriageReturnReading::kLineEnd), 0);
    std::vector<std::string> lines;
    char line[16];
    for (long length; (length = ReadTextLine(line, sizeof line, in)) >= 0;) lines.emplace_back(line, length);
    EXPECT_EQ(lines, (std::vector<std::string>{"a\n", "b\n", "c\n"})) << mode;
    EXPECT_EQ(SetCarriageReturnReading(in, CarriageReturnReading::kRemoved), -1);
    EXPECT_EQ(LastErrorNumber(), EINVAL);
    EXPECT_EQ(CloseTextFile(in), 0);
  }
  TextStream* binary = OpenTextFile(Path("in.txt").c_str(), "rb");
  EXPECT_EQ(SetCarriageReturnReading(binary, CarriageReturnReading::kLineEnd), -1);
  EXPECT_EQ(CloseTextFile(binary), 0);
}

// The conversion reads and writes through 32 KiB buffers: the same line pieces
// and the same bytes as through the standard ones, also where a fill or an
// output block of the large buffers ends.
TEST_F(TextFileTest, LargeBuffersGiveTheSameLinesAndBytes) {
  constexpr size_t kLarge = 32 * 1024;
  const std::string toFillEnd(kLarge - 1, 'a');
  std::mt19937 random(12);
  std::string lineFeeds, mixed;
  while (lineFeeds.size() < 3 * kLarge) lineFeeds += std::string(random() % 300, 'b') + "\n";
  while (mixed.size() < 3 * kLarge) mixed += "xy\r\n\0"[random() % 5];
  const std::vector<std::string> documents = {
      toFillEnd + "\r\nnext\r\n",  // CR LF across the end of a fill
      toFillEnd +
          "\r\x1A"
          "after\r\n",                            // CR and the end mark across it
      toFillEnd + "\r\r\nnext",                   // CR CR LF across it
      std::string(kLarge + 100, '\r') + "x\r\n",  // a fill of nothing but CRs
      std::string(3 * kLarge, 'c') + "\r\n",      // one line, in pieces of 4094 bytes
      lineFeeds,
      mixed,
  };
  for (size_t i = 0; i < documents.size(); ++i) {
    EXPECT_TRUE(ReadLines(documents[i], kLineSize, kLarge) == ReadLines(documents[i])) << "document " << i;
    EXPECT_TRUE(CopyThroughTextMode(documents[i], kLarge) == CopyThroughTextMode(documents[i])) << "document " << i;
  }
}

TEST_F(TextFileTest, BufferIsSetBeforeTheFirstUseAndReleasedByItsOwner) {
  WriteFileBytes(Path("in.txt"), "line\r\nmore");
  // The lock tables come with the first stream of the process, and stay.
  ASSERT_EQ(CloseTextFile(OpenTextFile(Path("in.txt").c_str(), "rt")), 0);
  const long live = gLiveArrays;
  TextStream* in = OpenTextFile(Path("in.txt").c_str(), "rt");
  ASSERT_NE(in, nullptr);
  EXPECT_EQ(gLiveArrays, live + 1);  // the standard buffer
  EXPECT_EQ(SetTextFileBuffer(nullptr, nullptr, kFullyBuffered, 100), -1);
  EXPECT_EQ(LastErrorNumber(), EBADF);
  EXPECT_EQ(SetTextFileBuffer(in, nullptr, 3, 100), -1);
  EXPECT_EQ(LastErrorNumber(), EINVAL);
  EXPECT_EQ(SetTextFileBuffer(in, nullptr, kFullyBuffered, 0), -1);
  EXPECT_EQ(SetTextFileBuffer(in, nullptr, kLineBuffered, kLargestStreamBufferSize + 1), -1);
  // Before the first read a buffer may be set again; each replaces the last.
  EXPECT_EQ(SetTextFileBuffer(in, nullptr, kFullyBuffered, 100000), 0);
  EXPECT_EQ(SetTextFileBuffer(in, nullptr, kFullyBuffered, 3), 0);  // the CR ends a fill
  EXPECT_EQ(gLiveArrays, live + 1);                                 // a stream that only reads has no output block
  char line[16];
  EXPECT_EQ(ReadTextLine(line, sizeof line, in), 5);
  EXPECT_STREQ(line, "line\n");
  EXPECT_EQ(SetTextFileBuffer(in, nullptr, kFullyBuffered, 512), -1);  // once read, it stays
  EXPECT_EQ(LastErrorNumber(), EINVAL);
  EXPECT_EQ(ReadTextLine(line, sizeof line, in), 4);
  EXPECT_STREQ(line, "more");
  EXPECT_EQ(CloseTextFile(in), 0);
  EXPECT_EQ(gLiveArrays, live);

  // Unbuffered reading takes one byte at a time.
  in = OpenTextFile(Path("in.txt").c_str(), "rt");
  ASSERT_NE(in, nullptr);
  EXPECT_EQ(SetTextFileBuffer(in, nullptr, kUnbuffered, 0), 0);
  EXPECT_EQ(gLiveArrays, live);
  EXPECT_EQ(ReadTextLine(line, sizeof line, in), 5);
  EXPECT_STREQ(line, "line\n");
  EXPECT_EQ(CloseTextFile(in), 0);

  // The caller's buffer holds the output until a write-out, and stays the caller's.
  TextStream* out = OpenTextFile(Path("out.txt").c_str(), "wt");
  ASSERT_NE(out, nullptr);
  char mine[8] = {};
  EXPECT_EQ(SetTextFileBuffer(out, mine, kFullyBuffered, sizeof mine), 0);
  EXPECT_EQ(gLiveArrays, live);
  EXPECT_EQ(WriteTextLine("abc\n", 4, out), '\n');
  EXPECT_EQ(std::string(mine, 4), "abc\n");
  EXPECT_EQ(ReadFileBytes(Path("out.txt")), "");
  EXPECT_EQ(WriteTextLine("defgh", 5, out), 'h');
  EXPECT_EQ(ReadFileBytes(Path("out.txt")), "abc\r\n");
  EXPECT_EQ(SetTextFileBuffer(out, nullptr, kFullyBuffered, 100), -1);  // once written, it stays
  EXPECT_EQ(CloseTextFile(out), 0);
  EXPECT_EQ(ReadFileBytes(Path("out.txt")), "abc\r\ndefgh");
  EXPECT_EQ(gLiveArrays, live);

  // A buffer obtained here goes at close. One larger than the standard holds
  // the output translated.
  out = OpenTextFile(Path("out.txt").c_str(), "wt");
  ASSERT_NE(out, nullptr);
  EXPECT_EQ(SetTextFileBuffer(out, nullptr, kFullyBuffered, 1 << 16), 0);
  EXPECT_EQ(gLiveArrays, live + 1);
  EXPECT_EQ(CloseTextFile(out), 0);
  EXPECT_EQ(gLiveArrays, live);
  out = OpenTextFile(Path("out.txt").c_str(), "wt");
  ASSERT_NE(out, nullptr);
  std::vector<char> large(1024);
  EXPECT_EQ(SetTextFileBuffer(out, large.data(), kFullyBuffered, large.size()), 0);
  EXPECT_EQ(WriteTextLine("abc\n", 4, out), '\n');
  EXPECT_EQ(std::string(large.data(), 5), "abc\r\n");
  EXPECT_EQ(CloseTextFile(out), 0);
  EXPECT_EQ(ReadFileBytes(Path("out.txt")), "abc\r\n");
  EXPECT_EQ(gLiveArrays, live);

  // Unbuffered output reaches the file at once; line-buffered, at each line end.
  out = OpenTextFile(Path("out.txt").c_str(), "wt");
  ASSERT_NE(out, nullptr);
  EXPECT_EQ(SetTextFileBuffer(out, nullptr, kUnbuffered, 0), 0);
  EXPECT_EQ(WriteTextLine("x\ny", 3, out), 'y');
  EXPECT_EQ(ReadFileBytes(Path("out.txt")), "x\r\ny");
  EXPECT_EQ(CloseTextFile(out), 0);
  out = OpenTextFile(Path("out.txt").c_str(), "wt");
  ASSERT_NE(out, nullptr);
  EXPECT_EQ(SetTextFileBuffer(out, nullptr, kLineBuffered, 64), 0);
  EXPECT_EQ(WriteTextLine("ab", 2, out), 'b');
  EXPECT_EQ(ReadFileBytes(Path("out.txt")), "");
  EXPECT_EQ(WriteTextLine("c\nd", 3, out), 'd');
  EXPECT_EQ(ReadFileBytes(Path("out.txt")), "abc\r\n");
  EXPECT_EQ(CloseTextFile(out), 0);
  EXPECT_EQ(ReadFileBytes(Path("out.txt")), "abc\r\nd");
  EXPECT_EQ(gLiveArrays, live);
}

TEST_F(TextFileTest, MarkInspectionTellsWhatFollows) {
  struct Case {
    std::string bytes;
    bool seen;
    int64_t offset;
    bool otherData;
  };
  const std::string head(511, 'a');
  const std::vector<Case> cases = {
      {"no mark\r\n", false, -1, false},
      {"end\r\n\x1A", true, 5, false},
      {"end\r\n\x1A\x1A\x1A", true, 5, false},
      {"end\x1A\r\nmore", true, 3, true},
      {head + "\r\x1A", true, 512, false},
      {head + "\r\x1A"
              "data",
       true, 512, true},
      {std::string(3000, 'b') + "\x1A" + std::string(5000, '\x1A') + "!", true, 3000, true},
  };
  for (const Case& c : cases) {
    WriteFileBytes(Path("mark.txt"), c.bytes);
    TextStream* stream = OpenTextFile(Path("mark.txt").c_str(), "rt");
    ASSERT_NE(stream, nullptr);
    char line[kLineSize + 1];
    while (ReadTextLine(line, kLineSize, stream) >= 0) {}
    EndOfFileMarkReport report;
    EXPECT_EQ(InspectEndOfFileMark(stream, &report), 0);
    EXPECT_EQ(report.markSeen, c.seen) << c.bytes.substr(0, 20);
    EXPECT_EQ(report.markOffset, c.offset) << c.bytes.substr(0, 20);
    EXPECT_EQ(report.otherDataFollows, c.otherData) << c.bytes.substr(0, 20);
    EXPECT_EQ(CloseTextFile(stream), 0);
  }
}

TEST_F(TextFileTest, ZeroBytesAreReadAndWrittenWithTheLine) {
  const std::vector<std::string> lines = ReadLines("a\0b\r\n\0\0\n"s);
  EXPECT_EQ(lines, (std::vector<std::string>{"a\0b\n"s, "\0\0\n"s}));
  EXPECT_EQ(CopyThroughTextMode("a\0b\r\n\0\0\n"s), "a\0b\r\n\0\0\r\n"s);
}

TEST_F(TextFileTest, EmptyFileGivesNoLineAndLeavesTheBuffer) {
  WriteFileBytes(Path("empty.txt"), "");
  TextStream* stream = OpenTextFile(Path("empty.txt").c_str(), "rt");
  ASSERT_NE(stream, nullptr);
  char buffer[16] = "untouched";
  EXPECT_EQ(ReadTextLine(buffer, sizeof buffer, stream), -1);
  EXPECT_STREQ(buffer, "untouched");
  EXPECT_FALSE(TextStreamFailed(stream));
  EXPECT_EQ(CloseTextFile(stream), 0);
}

TEST_F(TextFileTest, OutputReachesTheFileOnlyAtWriteOut) {
  TextStream* out = OpenTextFile(Path("buffered.txt").c_str(), "wt");
  ASSERT_NE(out, nullptr);
  const std::string line(99, 'q');
  EXPECT_EQ(WriteTextLine((line + "\n").c_str(), 100, out), '\n');
  EXPECT_EQ(ReadFileBytes(Path("buffered.txt")), "");
  // Filling the buffer to exactly 512 bytes still writes nothing.
  const std::string rest(412, 'r');
  EXPECT_EQ(WriteTextLine(rest.c_str(), rest.size(), out), 'r');
  EXPECT_EQ(ReadFileBytes(Path("buffered.txt")), "");
  // The next byte writes out the full buffer first.
  EXPECT_EQ(WriteTextLine("!", 1, out), '!');
  EXPECT_EQ(ReadFileBytes(Path("buffered.txt")), line + "\r\n" + rest);
  EXPECT_EQ(FlushTextFile(out), 0);
  EXPECT_EQ(ReadFileBytes(Path("buffered.txt")), line + "\r\n" + rest + "!");
  // A put longer than the buffer goes straight to the file.
  const std::string big = std::string(600, 'B') + "\n";
  EXPECT_EQ(WriteTextLine(big.c_str(), big.size(), out), '\n');
  EXPECT_EQ(ReadFileBytes(Path("buffered.txt")), line + "\r\n" + rest + "!" + std::string(600, 'B') + "\r\n");
  EXPECT_EQ(WriteTextLine("", 0, out), 0);
  EXPECT_EQ(WriteTextLine(nullptr, 5, out), 0);
  EXPECT_EQ(CloseTextFile(out), 0);
}

TEST_F(TextFileTest, ModeStrings) {
  WriteFileBytes(Path("m.txt"), "line\r\n");
  for (const char* valid : {"r", "rt", "rb", "r+", "rt+", "w", "wt", "wb", "w+", "a", "at", "ab+"}) {
    WriteFileBytes(Path("m.txt"), "line\r\n");
    TextStream* stream = OpenTextFile(Path("m.txt").c_str(), valid);
    EXPECT_NE(stream, nullptr) << valid;
    if (stream) {
      EXPECT_EQ(CloseTextFile(stream), 0);
    }
  }
  for (const char* invalid : {"", "x", "rx", "wz", "tr"}) {
    EXPECT_EQ(OpenTextFile(Path("m.txt").c_str(), invalid), nullptr) << invalid;
    EXPECT_EQ(LastErrorNumber(), EINVAL);
  }
  EXPECT_EQ(OpenTextFile(Path("m.txt").c_str(), nullptr), nullptr);
}

TEST_F(TextFileTest, BinaryModeTranslatesNothing) {
  WriteFileBytes(Path("bin.dat"),
                 "a\r\nb\x1A"
                 "c");
  TextStream* stream = OpenTextFile(Path("bin.dat").c_str(), "rb");
  ASSERT_NE(stream, nullptr);
  char line[64];
  EXPECT_EQ(ReadTextLine(line, sizeof line, stream), 3);
  EXPECT_EQ(ReadTextLine(line, sizeof line, stream), 3);
  EXPECT_EQ(std::string(line, 3),
            "b\x1A"
            "c");
  EXPECT_EQ(CloseTextFile(stream), 0);
}

TEST_F(TextFileTest, WriteEmptiesAndAppendAdds) {
  WriteFileBytes(Path("w.txt"), "old content\r\n");
  TextStream* out = OpenTextFile(Path("w.txt").c_str(), "wt");
  ASSERT_NE(out, nullptr);
  EXPECT_EQ(ReadFileBytes(Path("w.txt")), "");  // emptied by the open itself
  EXPECT_EQ(CloseTextFile(out), 0);
  WriteFileBytes(Path("a.txt"), "first\r\n");
  out = OpenTextFile(Path("a.txt").c_str(), "at");
  ASSERT_NE(out, nullptr);
  WriteTextLine("second\n", 7, out);
  EXPECT_EQ(CloseTextFile(out), 0);
  EXPECT_EQ(ReadFileBytes(Path("a.txt")), "first\r\nsecond\r\n");
}

TEST_F(TextFileTest, OpenFailuresSetTheErrorNumber) {
  EXPECT_EQ(OpenTextFile(Path("missing.txt").c_str(), "rt"), nullptr);
  EXPECT_EQ(LastErrorNumber(), ENOENT);
  EXPECT_EQ(LastSystemError(), static_cast<unsigned long>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(OpenTextFile(Path("no folder\\x.txt").c_str(), "wt"), nullptr);
  EXPECT_EQ(LastErrorNumber(), ENOENT);

  // Wine keeps the read-only attribute as a Unix permission, which does not
  // hold back the root user: only check where the platform enforces it.
  WriteFileBytes(Path("ro.txt"), "keep\r\n");
  SetFileAttributesA(Path("ro.txt").c_str(), FILE_ATTRIBUTE_READONLY);
  HANDLE probe = CreateFileA(Path("ro.txt").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (probe == INVALID_HANDLE_VALUE) {
    EXPECT_EQ(OpenTextFile(Path("ro.txt").c_str(), "wt"), nullptr);
    EXPECT_EQ(LastErrorNumber(), EACCES);
    EXPECT_EQ(ReadFileBytes(Path("ro.txt")), "keep\r\n");
  } else {
    CloseHandle(probe);
  }

  CreateDirectoryA(Path("folder").c_str(), nullptr);
  EXPECT_EQ(OpenTextFile(Path("folder").c_str(), "wt"), nullptr);
}

TEST_F(TextFileTest, FilesAreOpenedSharingReadAndWrite) {
  WriteFileBytes(Path("shared.txt"), "x\r\n");
  TextStream* stream = OpenTextFile(Path("shared.txt").c_str(), "rt");
  ASSERT_NE(stream, nullptr);
  HANDLE other = CreateFileA(Path("shared.txt").c_str(), GENERIC_READ | GENERIC_WRITE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(other, INVALID_HANDLE_VALUE);
  CloseHandle(other);
  EXPECT_EQ(CloseTextFile(stream), 0);

  // A file held without write sharing cannot be opened for writing.
  HANDLE exclusive =
      CreateFileA(Path("shared.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(exclusive, INVALID_HANDLE_VALUE);
  EXPECT_EQ(OpenTextFile(Path("shared.txt").c_str(), "wt"), nullptr);
  EXPECT_EQ(LastSystemError(), static_cast<unsigned long>(ERROR_SHARING_VIOLATION));
  CloseHandle(exclusive);
}

TEST_F(TextFileTest, AtMostFortySevenStreamsAreOpen) {
  WriteFileBytes(Path("many.txt"), "x\r\n");
  std::vector<TextStream*> streams;
  for (int i = 0; i < 47; ++i) {
    TextStream* stream = OpenTextFile(Path("many.txt").c_str(), "rt");
    ASSERT_NE(stream, nullptr) << "stream " << i;
    streams.push_back(stream);
  }
  EXPECT_EQ(OpenTextFile(Path("many.txt").c_str(), "rt"), nullptr);
  EXPECT_EQ(LastErrorNumber(), EMFILE);
  EXPECT_EQ(CloseTextFile(streams.back()), 0);
  streams.back() = OpenTextFile(Path("many.txt").c_str(), "rt");
  EXPECT_NE(streams.back(), nullptr);
  for (TextStream* stream : streams) EXPECT_EQ(CloseTextFile(stream), 0);
}

TEST_F(TextFileTest, ClosedAndForeignStreamsAreRefused) {
  WriteFileBytes(Path("c.txt"), "x\r\n");
  TextStream* stream = OpenTextFile(Path("c.txt").c_str(), "rt");
  ASSERT_NE(stream, nullptr);
  EXPECT_EQ(CloseTextFile(stream), 0);
  EXPECT_EQ(CloseTextFile(stream), -1);
  char line[8];
  EXPECT_EQ(ReadTextLine(line, sizeof line, stream), -1);
  EXPECT_EQ(WriteTextLine("x", 1, stream), -1);
  TextStream stranger{};
  EXPECT_EQ(CloseTextFile(&stranger), -1);
  EXPECT_EQ(CloseTextFile(nullptr), -1);
}

TEST_F(TextFileTest, ReadingAWriteStreamFails) {
  TextStream* out = OpenTextFile(Path("wo.txt").c_str(), "wt");
  ASSERT_NE(out, nullptr);
  char line[8];
  EXPECT_EQ(ReadTextLine(line, sizeof line, out), -1);
  EXPECT_TRUE(TextStreamFailed(out));
  EXPECT_EQ(CloseTextFile(out), 0);
}

TEST_F(TextFileTest, ExistenceTest) {
  WriteFileBytes(Path("here.rtf"), "12345");
  PathStatus status;
  EXPECT_EQ(QueryPathStatus(Path("here.rtf").c_str(), &status), 0);
  EXPECT_EQ(status.kind, PathStatus::kRegular);
  EXPECT_EQ(status.size, 5u);
  EXPECT_EQ(status.linkCount, 1u);
  EXPECT_TRUE(status.writable);
  EXPECT_GT(status.lastWriteTime, 1000000000);

  EXPECT_EQ(QueryPathStatus(Path("gone.rtf").c_str(), &status), -1);
  EXPECT_EQ(QueryPathStatus(folder_.path().c_str(), &status), 0);
  EXPECT_EQ(status.kind, PathStatus::kFolder);
  EXPECT_EQ(QueryPathStatus(Path("h*.r?f").c_str(), &status), 0);
  EXPECT_EQ(QueryPathStatus(Path("x*.rtf").c_str(), &status), -1);
  EXPECT_EQ(QueryPathStatus("C:\\", &status), 0);
  EXPECT_EQ(status.kind, PathStatus::kFolder);
  EXPECT_EQ(QueryPathStatus("Q:\\", &status), -1);
  EXPECT_EQ(QueryPathStatus("NUL", &status), 0);

  SetFileAttributesA(Path("here.rtf").c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(QueryPathStatus(Path("here.rtf").c_str(), &status), 0);
  EXPECT_FALSE(status.writable);
}

TEST_F(TextFileTest, ShiftJisNamesWithBackslashTrailBytes) {
  // 表 is 0x95 0x5C: its trail byte is a backslash.
  ASSERT_TRUE(CreateDirectoryA(Path("表示").c_str(), nullptr));
  const std::string path = Path("表示\\表示.rtf");
  TextStream* out = OpenTextFile(path.c_str(), "wt");
  ASSERT_NE(out, nullptr);
  WriteTextLine("ソフト\n", 7, out);
  EXPECT_EQ(CloseTextFile(out), 0);
  EXPECT_EQ(ReadFileBytes(path), "ソフト\r\n");
  PathStatus status;
  EXPECT_EQ(QueryPathStatus(path.c_str(), &status), 0);
}

// ---- Files on a full disk (the F: test drive is a small tmpfs) ----

bool FullDiskAvailable(std::string* folder) {
  ULARGE_INTEGER freeBytes{}, total{};
  if (!GetDiskFreeSpaceExA("F:\\", &freeBytes, &total, nullptr) || total.QuadPart > 4u << 20) return false;
  *folder = MakeUniqueFolder("F:\\", "textfile");
  return true;
}

TEST(TextFileFullDisk, FailedWriteOutIsReportedAndTheSlotFreed) {
  std::string folder;
  if (!FullDiskAvailable(&folder)) GTEST_SKIP() << "the F: test drive is not a small tmpfs (mount not allowed?)";
  const std::string path = folder + "\\big.txt";
  TextStream* out = OpenTextFile(path.c_str(), "wt");
  ASSERT_NE(out, nullptr);
  const std::string line = std::string(300, 'x') + "\n";
  int failed = 0;
  for (int i = 0; i < 2000 && !failed; ++i)
    if (WriteTextLine(line.c_str(), line.size(), out) < 0) ++failed;
  EXPECT_EQ(failed, 1);
  EXPECT_TRUE(TextStreamFailed(out));
  EXPECT_EQ(LastErrorNumber(), ENOSPC);
  CloseTextFile(out);
  DeleteFileA(path.c_str());

  // A close whose final write-out fails reports it.
  const std::string filler = folder + "\\filler.bin";
  HANDLE fill = CreateFileA(filler.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  char block[4096] = {};
  DWORD written = 0;
  while (WriteFile(fill, block, sizeof block, &written, nullptr) && written == sizeof block) {}
  CloseHandle(fill);
  out = OpenTextFile((folder + "\\small.txt").c_str(), "wt");
  ASSERT_NE(out, nullptr);
  EXPECT_GE(WriteTextLine("a few bytes\n", 12, out), 0);
  EXPECT_EQ(CloseTextFile(out), -1);
  EXPECT_EQ(CloseTextFile(out), -1);  // already released
  RemoveTree(folder);
}

// ---- Child processes: exit write-out and lock exhaustion ----

std::string ChildProgram() {
  return Quoted(ProgramFolder() + "\\textfile-child.exe");
}

TEST_F(TextFileTest, BufferedOutputIsWrittenOutAtExit) {
  const ProcessResult result = RunProgram(ChildProgram() + " exit " + Quoted(Path("atexit.txt")));
  EXPECT_EQ(result.exitCode, 0u);
  EXPECT_EQ(ReadFileBytes(Path("atexit.txt")), "written before exit\r\n");
}

struct FatalBox {
  std::string text, caption;
  bool found = false;
};

BOOL CALLBACK FindChildBox(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<std::pair<DWORD, FatalBox>*>(parameter);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  char className[64] = "";
  GetClassNameA(window, className, sizeof className);
  if (process != search->first || std::string(className) != "#32770" || !IsWindowVisible(window)) return TRUE;
  char text[512] = "";
  GetDlgItemTextA(window, 0xFFFF, text, sizeof text);
  search->second.text = text;
  GetWindowTextA(window, text, sizeof text);
  search->second.caption = text;
  search->second.found = true;
  PostMessageA(window, WM_COMMAND, IDOK, 0);
  return FALSE;
}

// Runs the child with `freeLocks` locks left in the pool and answers its box.
FatalBox RunOutOfLocks(int freeLocks, const std::string& path, unsigned long* exitCode) {
  std::string commandLine = ChildProgram() + " locks " + std::to_string(freeLocks) + " " + Quoted(path);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  std::pair<DWORD, FatalBox> search{};
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    ADD_FAILURE() << "cannot start the child";
    return {};
  }
  search.first = process.dwProcessId;
  for (int tries = 0; tries < 400 && !search.second.found; ++tries) {
    if (WaitForSingleObject(process.hProcess, 25) == WAIT_OBJECT_0) break;
    EnumWindows(FindChildBox, reinterpret_cast<LPARAM>(&search));
  }
  if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 99);
  GetExitCodeProcess(process.hProcess, exitCode);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  return search.second;
}

TEST_F(TextFileTest, RunningOutOfLocksEndsTheProcessWithAMessage) {
  WriteFileBytes(Path("locks.txt"), "line\r\n");
  const struct {
    int freeLocks;
    const char* reason;
  } cases[] = {
      {0, "creating global stream lock"},
      {1, "creating global handle lock"},
      {2, "creating stream lock"},
      {3, "creating handle lock"},
  };
  for (const auto& c : cases) {
    unsigned long exitCode = 0;
    const FatalBox box = RunOutOfLocks(c.freeLocks, Path("locks.txt"), &exitCode);
    EXPECT_TRUE(box.found) << c.reason;
    EXPECT_EQ(box.text, std::string("Semaphore error ") + c.reason);
    EXPECT_EQ(box.caption, "textfile-child.exe");
    EXPECT_EQ(exitCode, 1u) << c.reason;
  }
  // With four locks left, everything the open and the read need is there.
  unsigned long exitCode = 99;
  const FatalBox none = RunOutOfLocks(4, Path("locks.txt"), &exitCode);
  EXPECT_FALSE(none.found);
  EXPECT_EQ(exitCode, 0u);
}

}  // namespace
