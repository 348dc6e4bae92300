// The conversion command on real files: the name rule, the byte-exact result,
// the overwrite question through a real message box, and the failures that
// must never be silent or lose data.
#include "convert/Conversion.h"
#include "main/ConvertCommand.h"

#include <windows.h>

#include <sddl.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/MessageBoxWatcher.h"
#include "tests/support/TestFiles.h"

namespace {

using namespace std::string_literals;

// Answers the question without a window and keeps what would have been shown.
class RecordingDialogs : public ConversionDialogs {
public:
  explicit RecordingDialogs(bool allowOverwrite = true) : allowOverwrite_(allowOverwrite) {}
  bool ConfirmOverwrite(const std::string& path) override {
    questions.push_back(path);
    return allowOverwrite_;
  }
  void ShowFailure(const std::string& message) override { failures.push_back(message); }
  // Runs `duringCopy` once, after the first piece has been written.
  bool StopRequested() override {
    if (duringCopy) std::exchange(duringCopy, nullptr)();
    return false;
  }
  std::vector<std::string> questions, failures;
  std::function<void()> duringCopy;

private:
  bool allowOverwrite_;
};

class ConversionTest : public ::testing::Test {
protected:
  ScratchFolder source_{"conv-src"};
  ScratchFolder destination_{"conv-dst"};

  // Converts a document with the given bytes and returns the destination's bytes.
  std::string Converted(const std::string& bytes) {
    WriteFileBytes(source_ / "doc.rtf", bytes);
    RecordingDialogs dialogs;
    const ConversionResult result = ConvertDocument({source_ / "doc.rtf", destination_.path()}, dialogs);
    EXPECT_EQ(result.outcome, ConversionOutcome::kConverted) << (dialogs.failures.empty() ? "" : dialogs.failures[0]);
    EXPECT_TRUE(dialogs.failures.empty());
    const std::string output = ReadFileBytes(destination_ / "doc.rtf");
    DeleteFileA((destination_ / "doc.rtf").c_str());
    return output;
  }

  // Nothing but the expected files may be left in the destination folder.
  void ExpectDestinationHolds(const std::vector<std::string>& names) {
    EXPECT_EQ(FolderEntries(destination_.path()), names);
  }

  // Converts source_/doc.rtf into the destination folder; the one failure shown must hold `expected`.
  void ExpectFailureWith(RecordingDialogs& dialogs, const std::string& expected) {
    const ConversionResult result = ConvertDocument({source_ / "doc.rtf", destination_.path()}, dialogs);
    EXPECT_EQ(result.outcome, ConversionOutcome::kFailed);
    ASSERT_EQ(dialogs.failures.size(), 1u);
    EXPECT_NE(dialogs.failures[0].find(expected), std::string::npos) << dialogs.failures[0];
    dialogs.failures.clear();
  }
};

// A document of many fills, so that the copy is still running after its first piece.
std::string LongDocument() {
  std::string document;
  while (document.size() < (1u << 20)) document += "{\\f1{\\*\\panose 020b0604}Arial;} some text of a line\r\n";
  return document;
}

TEST(DestinationPath, FolderThenFileNameThenSuffix) {
  EXPECT_EQ(DestinationPathFor("C:\\DOCS\\A.RTF", "D:\\OUT", false, ".new"), "D:\\OUT\\A.RTF");
  EXPECT_EQ(DestinationPathFor("C:\\DOCS\\A.RTF", "D:\\OUT", true, ".new"), "D:\\OUT\\A.RTF.new");
  EXPECT_EQ(DestinationPathFor("C:\\DOCS\\A.RTF", "D:\\OUT", true, ""), "D:\\OUT\\A.RTF");
  EXPECT_EQ(DestinationPathFor("C:\\HELP\\MANUAL.RTF", "C:\\HELP", true, "_hcw"), "C:\\HELP\\MANUAL.RTF_hcw");
  EXPECT_EQ(DestinationPathFor("C:\\DOCS\\Mixed.Rtf", "D:\\", false, ""), "D:\\\\Mixed.Rtf");
  // After "\\?\" nothing cleans up a doubled backslash.
  EXPECT_EQ(DestinationPathFor("C:\\DOCS\\A.RTF", "\\\\?\\D:\\", false, ""), "\\\\?\\D:\\A.RTF");
  EXPECT_EQ(DestinationPathFor("C:\\DOCS\\A.RTF", "\\\\?\\D:\\OUT", false, ""), "\\\\?\\D:\\OUT\\A.RTF");
  EXPECT_EQ(DestinationPathFor("A.RTF", "D:\\OUT", false, ""), "D:\\OUT");
  EXPECT_EQ(DestinationPathFor("C:\\A.RTF", "D:\\OUT", true, " x "), "D:\\OUT\\A.RTF x ");
  // The folder as both programs hold it: only a drive root ends in a backslash.
  EXPECT_EQ(FolderAsHeld(L"D:\\OUT\\\\"), L"D:\\OUT");
  EXPECT_EQ(FolderAsHeld(L"D:\\"), L"D:\\");
  EXPECT_EQ(FolderAsHeld(L"\\\\?\\D:\\"), L"\\\\?\\D:\\");
  EXPECT_EQ(FolderAsHeld(L"\\\\?\\D:\\OUT\\"), L"\\\\?\\D:\\OUT");
}

TEST(DestinationPath, TrailByteBackslashIsNotASeparator) {
  // 表 is 0x95 0x5C: a byte-wise search would cut the name inside it.
  EXPECT_EQ(DestinationPathFor("C:\\表示\\表示.rtf", "D:\\出力", false, ""), "D:\\出力\\表示.rtf");
  EXPECT_EQ(DestinationPathFor("C:\\docs\\ソ表", "D:\\OUT", false, ""), "D:\\OUT\\ソ表");
}

TEST_F(ConversionTest, PanoseGroupsBecomeSpaces) {
  const std::string fontTable =
      "{\\rtf1\\ansi\\ansicpg932\\deff0\r\n"
      "{\\fonttbl{\\f0\\froman\\fcharset0\\fprq2{\\*\\panose 02020603050405020304}Times New Roman;}\r\n"
      "{\\f1\\fswiss{\\*\\panose 0a0b0c0d}Name;}{\\f2\\fmodern{\\*\\panose}Mono;}}\r\n"
      "\\pard Text with } and {\\*\\PANOSE 12} kept.\\par\r\n}\r\n";
  const std::string expected =
      "{\\rtf1\\ansi\\ansicpg932\\deff0\r\n"
      "{\\fonttbl{\\f0\\froman\\fcharset0\\fprq2 Times New Roman;}\r\n"
      "{\\f1\\fswiss Name;}{\\f2\\fmodern Mono;}}\r\n"
      "\\pard Text with } and {\\*\\PANOSE 12} kept.\\par\r\n}\r\n";
  EXPECT_EQ(Converted(fontTable), expected);
  EXPECT_EQ(Converted("x{\\*\\panosex 12}y\r\n"), "x y\r\n");
}

TEST_F(ConversionTest, GroupsAcrossLines) {
  EXPECT_EQ(Converted("before{\\*\\panose 02\r\n0b0604020202020204\r\n}after\r\n"), "before after\r\n");
  EXPECT_EQ(Converted("a{\\*\\panose 1\r\n}rest\r\n"), "a rest\r\n");
  // A line longer than the line buffer comes in pieces of 4094 bytes: a group
  // opened in one piece runs on into the next, and a marker cut in two by the
  // pieces is still found, wherever the cut falls.
  const std::string groupAcross = std::string(4070, 'a') + "{\\*\\panose 0123456789abcdef}b\r\n";
  EXPECT_EQ(Converted(groupAcross), std::string(4070, 'a') + " b\r\n");
  for (size_t before = 4084; before <= 4094; ++before) {
    const std::string markerAcross = std::string(before, 'a') + "{\\*\\panose 12}b{\\*\\pan\r\n";
    EXPECT_EQ(Converted(markerAcross), std::string(before, 'a') + " b{\\*\\pan\r\n") << before;
  }
  // The same where the pieces gathered for one write end, after some number
  // of 4094-byte pieces, in the middle of a marker.
  for (size_t pieces = 1; pieces <= 8; ++pieces) {
    const size_t before = pieces * 4094 - 5;
    EXPECT_EQ(Converted(std::string(before, 'a') + "{\\*\\panose 12}b\r\n"), std::string(before, 'a') + " b\r\n")
        << pieces;
  }
  // Bytes held back at a cut that turn out to be no marker are not lost.
  const std::string almost = std::string(4090, 'a') + "{\\*\\pa";
  EXPECT_EQ(Converted(almost), almost);
  EXPECT_EQ(Converted(almost + "x\r\n" + almost), almost + "x\r\n" + almost);
}

TEST_F(ConversionTest, LineEndsAndSizes) {
  std::string crlf, lf;
  for (int i = 0; i < 1000; ++i) {
    crlf += "0123456789\r\n";
    lf += "0123456789\n";
  }
  EXPECT_EQ(Converted(crlf), crlf);
  EXPECT_EQ(Converted(lf), crlf);
  // A CR alone ends a line as well; so does a run of CRs, with or without an
  // LF after it, also where the run is cut by the end of a 32 KiB fill.
  EXPECT_EQ(Converted("CR\rline ends\r\rat all\r"), "CR\r\nline ends\r\nat all\r\n");
  EXPECT_EQ(Converted("{\\b\rbold}\r\n"), "{\\b\r\nbold}\r\n");
  for (const char* end : {"\r", "\r\r", "\r\n", "\r\r\n"})
    EXPECT_EQ(Converted(std::string(32767, 'a') + end + "b"), std::string(32767, 'a') + "\r\nb") << end;
  EXPECT_EQ(Converted("last line without end"), "last line without end");
  EXPECT_EQ(Converted(std::string(4094, 'x') + "\r\n"), std::string(4094, 'x') + "\r\n");
}

TEST_F(ConversionTest, EmptySourceGivesEmptyDestination) {
  WriteFileBytes(source_ / "empty.rtf", "");
  RecordingDialogs dialogs;
  EXPECT_EQ(ConvertDocument({source_ / "empty.rtf", destination_.path()}, dialogs).outcome,
            ConversionOutcome::kConverted);
  EXPECT_TRUE(PathExists(destination_ / "empty.rtf"));
  EXPECT_EQ(ReadFileBytes(destination_ / "empty.rtf"), "");
}

TEST_F(ConversionTest, ZeroBytesReachTheDestination) {
  EXPECT_EQ(Converted("a\0b{\\*\\panose 1}c\0d\r\n\0\r\n"s), "a\0b c\0d\r\n\0\r\n"s);
}

TEST_F(ConversionTest, EndOfFileMarkAtTheEndIsDroppedQuietly) {
  EXPECT_EQ(Converted("text\r\n\x1A"), "text\r\n");
  EXPECT_EQ(Converted("text\r\n\x1A\x1A\x1A"), "text\r\n");
  // A CR before the mark ends the last line.
  EXPECT_EQ(Converted(std::string(511, 'a') + "\r\x1A"), std::string(511, 'a') + "\r\n");
  // The same at the end of one of the conversion's large fills.
  EXPECT_EQ(Converted(std::string(32767, 'a') + "\r\x1A"), std::string(32767, 'a') + "\r\n");
}

// Cut short by a Ctrl-Z with data after it, or inside a panose group: the
// copy would lose the rest of the document.
TEST_F(ConversionTest, DocumentsCutShortAreRefused) {
  WriteFileBytes(destination_ / "doc.rtf", "previous\r\n");
  WriteFileBytes(source_ / "doc.rtf",
                 "{\\rtf1 text\r\n\x1A"
                 "{\\pict 0102}\r\n}\r\n");
  RecordingDialogs dialogs;
  const ConversionResult result = ConvertDocument({source_ / "doc.rtf", destination_.path()}, dialogs);
  EXPECT_EQ(result.outcome, ConversionOutcome::kFailed);
  ASSERT_EQ(dialogs.failures.size(), 1u);
  EXPECT_NE(dialogs.failures[0].find(source_ / "doc.rtf"), std::string::npos);
  EXPECT_NE(dialogs.failures[0].find("先頭から 14 バイト目に終端記号 (0x1A)"), std::string::npos)
      << dialogs.failures[0];
  EXPECT_EQ(ReadFileBytes(destination_ / "doc.rtf"), "previous\r\n");
  ExpectDestinationHolds({"doc.rtf"});

  // A mark at a 512-byte boundary, right after a CR, with data after it.
  WriteFileBytes(source_ / "edge.rtf", std::string(511, 'a') +
                                           "\r\x1A"
                                           "more");
  EXPECT_EQ(ConvertDocument({source_ / "edge.rtf", destination_.path()}, dialogs).outcome, ConversionOutcome::kFailed);
  EXPECT_NE(dialogs.failures.back().find("先頭から 513 バイト目"), std::string::npos) << dialogs.failures.back();
  ExpectDestinationHolds({"doc.rtf"});

  // A group never closed.
  WriteFileBytes(source_ / "doc.rtf", "{\\rtf1{\\fonttbl{\\f0{\\*\\panose 1}A;}{\\f1{\\*\\panose 02\r\n0b0604");
  dialogs.failures.clear();
  ExpectFailureWith(
      dialogs, "変換元ファイルが panose グループ ({\\*\\panose ...}) の途中で終わっているため、変換を中止しました。\n" +
                   (source_ / "doc.rtf") + "\n文書が壊れているか、途中までしか保存されていない可能性があります。");
  EXPECT_EQ(ReadFileBytes(destination_ / "doc.rtf"), "previous\r\n");
  ExpectDestinationHolds({"doc.rtf"});
}

TEST_F(ConversionTest, SuffixAndRootFolder) {
  WriteFileBytes(source_ / "Manual.Rtf", "{\\*\\panose 1}x\r\n");
  RecordingDialogs dialogs;
  ConversionResult result = ConvertDocument({source_ / "Manual.Rtf", destination_.path(), true, "_hcw"}, dialogs);
  EXPECT_EQ(result.outcome, ConversionOutcome::kConverted);
  EXPECT_EQ(result.groupsRemoved, 1u);
  ExpectDestinationHolds({"Manual.Rtf_hcw"});
  EXPECT_EQ(ReadFileBytes(destination_ / "Manual.Rtf_hcw"), " x\r\n");

  // A drive root keeps its backslash, which gives a doubled one in the path.
  const std::string rootName = "quorvel-root-" + std::to_string(GetCurrentProcessId()) + ".rtf";
  WriteFileBytes(source_ / rootName, "root\r\n");
  result = ConvertDocument({source_ / rootName, "C:\\"}, dialogs);
  EXPECT_EQ(result.outcome, ConversionOutcome::kConverted);
  EXPECT_EQ(result.destinationPath, "C:\\\\" + rootName);
  EXPECT_EQ(ReadFileBytes("C:\\" + rootName), "root\r\n");
  EXPECT_TRUE(dialogs.failures.empty());

  // Paths with the "\\?\" prefix, which the system takes as they stand: the
  // root with one backslash; a replaced destination; the source itself.
  const std::string prefixedSource = "\\\\?\\" + (source_ / rootName);
  WriteFileBytes(source_ / rootName, "{\\*\\panose 1}prefixed\r\n");
  result = ConvertDocument({prefixedSource, "\\\\?\\C:\\"}, dialogs);
  EXPECT_EQ(result.outcome, ConversionOutcome::kConverted) << (dialogs.failures.empty() ? "" : dialogs.failures[0]);
  EXPECT_EQ(result.destinationPath, "\\\\?\\C:\\" + rootName);
  EXPECT_EQ(dialogs.questions.size(), 1u);
  EXPECT_EQ(ReadFileBytes("C:\\" + rootName), " prefixed\r\n");
  DeleteFileA(("C:\\" + rootName).c_str());
  EXPECT_EQ(ConvertDocument({prefixedSource, "\\\\?\\" + source_.path()}, dialogs).outcome, ConversionOutcome::kFailed);
  ASSERT_EQ(dialogs.failures.size(), 1u);
  EXPECT_NE(dialogs.failures[0].find("変換元のファイルと同じです"), std::string::npos) << dialogs.failures[0];
}

TEST_F(ConversionTest, NothingSelectedDoesNothing) {
  RecordingDialogs dialogs;
  MessageBoxWatcher watcher;
  EXPECT_EQ(ConvertDocument({"", destination_.path()}, dialogs).outcome, ConversionOutcome::kNothingSelected);
  Convert("", destination_.path(), false, "", nullptr);
  EXPECT_TRUE(dialogs.failures.empty() && dialogs.questions.empty());
  EXPECT_TRUE(watcher.seen().empty());
  ExpectDestinationHolds({});
}

TEST_F(ConversionTest, ShiftJisNamesWithBackslashTrailBytes) {
  ASSERT_TRUE(CreateDirectoryA((source_ / "表示").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA((destination_ / "表示先").c_str(), nullptr));
  WriteFileBytes(source_ / "表示\\表示.rtf", "{\\*\\panose 1}表示\r\n");
  RecordingDialogs dialogs;
  const ConversionResult result =
      ConvertDocument({source_ / "表示\\表示.rtf", destination_ / "表示先", true, "ソ"}, dialogs);
  EXPECT_EQ(result.outcome, ConversionOutcome::kConverted);
  EXPECT_EQ(result.destinationPath, destination_ / "表示先\\表示.rtfソ");
  EXPECT_EQ(ReadFileBytes(destination_ / "表示先\\表示.rtfソ"), " 表示\r\n");
  EXPECT_EQ(FolderEntries(destination_ / "表示先"), std::vector<std::string>{"表示.rtfソ"});
}

TEST_F(ConversionTest, ADestinationThatAppearsOrIsProtectedDuringTheCopyIsKept) {
  WriteFileBytes(source_ / "doc.rtf", LongDocument());
  // Not there when the conversion began: what appears meanwhile is not replaced.
  RecordingDialogs appearing;
  appearing.duringCopy = [&] { WriteFileBytes(destination_ / "doc.rtf", "appeared\r\n"); };
  ExpectFailureWith(appearing, "変換中に同名のファイルが作成されました。");
  EXPECT_TRUE(appearing.questions.empty());
  EXPECT_EQ(ReadFileBytes(destination_ / "doc.rtf"), "appeared\r\n");
  ExpectDestinationHolds({"doc.rtf"});

  // Replacing was allowed, but the file has been made read-only since.
  RecordingDialogs protecting;
  protecting.duringCopy = [&] { SetFileAttributesA((destination_ / "doc.rtf").c_str(), FILE_ATTRIBUTE_READONLY); };
  ExpectFailureWith(protecting, "読み取り専用のファイルです。");
  EXPECT_EQ(protecting.questions.size(), 1u);
  EXPECT_EQ(GetFileAttributesA((destination_ / "doc.rtf").c_str()) & FILE_ATTRIBUTE_READONLY,
            DWORD{FILE_ATTRIBUTE_READONLY});
  SetFileAttributesA((destination_ / "doc.rtf").c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(ReadFileBytes(destination_ / "doc.rtf"), "appeared\r\n");
  ExpectDestinationHolds({"doc.rtf"});
}

// A destination that exists, replaced by a conversion.
class ReplacedDestinationTest : public ConversionTest {
protected:
  void SetUp() override {
    WriteFileBytes(source_ / "doc.rtf", "{\\*\\panose 1}new\r\n");
    WriteFileBytes(replaced_, "old\r\n");
  }
  void Replace() {
    RecordingDialogs dialogs;
    EXPECT_EQ(ConvertDocument({source_ / "doc.rtf", destination_.path()}, dialogs).outcome,
              ConversionOutcome::kConverted)
        << (dialogs.failures.empty() ? "" : dialogs.failures[0]);
    EXPECT_EQ(ReadFileBytes(replaced_), " new\r\n");
    ExpectDestinationHolds({"doc.rtf"});
  }
  const std::string replaced_ = destination_ / "doc.rtf";
};

TEST_F(ReplacedDestinationTest, KeepsItsAccessRights) {
  // Readable and writable by this user alone.
  HANDLE token = nullptr;
  ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
  char userBuffer[256];
  DWORD userSize = 0;
  char* userSid = nullptr;
  ASSERT_TRUE(GetTokenInformation(token, TokenUser, userBuffer, sizeof userBuffer, &userSize));
  CloseHandle(token);
  ASSERT_TRUE(ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(userBuffer)->User.Sid, &userSid));
  const std::string userOnly = std::string("D:P(A;;FA;;;") + userSid + ")";
  LocalFree(userSid);
  PSECURITY_DESCRIPTOR ownerOnly = nullptr;
  ASSERT_TRUE(
      ConvertStringSecurityDescriptorToSecurityDescriptorA(userOnly.c_str(), SDDL_REVISION_1, &ownerOnly, nullptr));
  ASSERT_TRUE(SetFileSecurityA(replaced_.c_str(), DACL_SECURITY_INFORMATION, ownerOnly));
  LocalFree(ownerOnly);
  auto dacl = [&] {
    std::string bytes(4096, '\0');
    DWORD needed = 0;
    if (!GetFileSecurityA(replaced_.c_str(), DACL_SECURITY_INFORMATION, bytes.data(), static_cast<DWORD>(bytes.size()),
                          &needed))
      return std::string("(unreadable)");
    bytes.resize(GetSecurityDescriptorLength(bytes.data()));
    return bytes;
  };
  const std::string daclBefore = dacl();
  Replace();
  EXPECT_TRUE(dacl() == daclBefore) << "the destination's access rights changed";
}

TEST_F(ReplacedDestinationTest, KeepsItsCreationTime) {
  auto creationTime = [&] {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExA(replaced_.c_str(), GetFileExInfoStandard, &data);
    return (static_cast<uint64_t>(data.ftCreationTime.dwHighDateTime) << 32) | data.ftCreationTime.dwLowDateTime;
  };
  // A creation time far back, so that a new file could not have it.
  const uint64_t longAgo = uint64_t{0x01C00000} << 32;
  HANDLE file =
      CreateFileA(replaced_.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  const FILETIME longAgoTime{0, 0x01C00000};
  SetFileTime(file, &longAgoTime, nullptr, nullptr);
  CloseHandle(file);
  if (creationTime() != longAgo)
    GTEST_SKIP() << "this file system keeps no creation time that can be set (Wine on Linux)";
  Replace();
  EXPECT_EQ(creationTime(), longAgo);
}

TEST_F(ConversionTest, SourcesThatAreNoFilesOnADiskAreRefused) {
  // A pipe whose other end writes a document: it would be read, and a port or
  // a console could keep the conversion waiting for ever.
  const std::string pipeName = "\\\\.\\pipe\\quorvel-source-" + std::to_string(GetCurrentProcessId());
  HANDLE pipe = CreateNamedPipeA(pipeName.c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE, 1, 4096, 4096, 0, nullptr);
  ASSERT_NE(pipe, INVALID_HANDLE_VALUE);
  std::thread writer([pipe] {
    if (ConnectNamedPipe(pipe, nullptr) || GetLastError() == ERROR_PIPE_CONNECTED) {
      DWORD written = 0;
      WriteFile(pipe, "{\\*\\panose 1}x\r\n", 17, &written, nullptr);
      FlushFileBuffers(pipe);
      DisconnectNamedPipe(pipe);
    }
  });
  RecordingDialogs dialogs;
  const ConversionResult result = ConvertDocument({pipeName, destination_.path()}, dialogs);
  if (result.outcome != ConversionOutcome::kConverted) {  // release the writer, which may still wait
    HANDLE client = CreateFileA(pipeName.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (client != INVALID_HANDLE_VALUE) CloseHandle(client);
  }
  writer.join();
  CloseHandle(pipe);
  EXPECT_EQ(result.outcome, ConversionOutcome::kFailed);
  ASSERT_EQ(dialogs.failures.size(), 1u);
  EXPECT_EQ(dialogs.failures[0].substr(0, dialogs.failures[0].rfind('\n')),
            "変換元はディスク上のファイルではありません。\n" + pipeName);
  ExpectDestinationHolds({});
}

TEST_F(ConversionTest, NamesTheCodePageCannotHoldAreRefusedBeforeAnything) {
  // 한글.rtf reaches the ANSI functions as ??.rtf, which as a wildcard would
  // find 表示.rtf; the existing file must not be offered for replacing.
  HANDLE korean =
      CreateFileW((std::wstring(source_.path().begin(), source_.path().end()) + L"\\\uD55C\uAE00.rtf").c_str(),
                  GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(korean, INVALID_HANDLE_VALUE);
  CloseHandle(korean);
  ASSERT_EQ(FolderEntries(source_.path()), std::vector<std::string>{"??.rtf"});
  WriteFileBytes(destination_ / "表示.rtf", "kept\r\n");
  WriteFileBytes(source_ / "表示.rtf", "source\r\n");

  RecordingDialogs dialogs;
  EXPECT_EQ(ConvertDocument({source_ / "??.rtf", destination_.path()}, dialogs).outcome, ConversionOutcome::kFailed);
  // A suffix typed with a wildcard is refused too, before anything.
  EXPECT_EQ(ConvertDocument({source_ / "表示.rtf", destination_.path(), true, "?"}, dialogs).outcome,
            ConversionOutcome::kFailed);
  EXPECT_TRUE(dialogs.questions.empty());
  ASSERT_EQ(dialogs.failures.size(), 2u);
  EXPECT_EQ(dialogs.failures[0].substr(0, dialogs.failures[0].rfind('\n')),
            "このファイル名はコード ページ 932 では使えません。\n" + (source_ / "??.rtf"));
  EXPECT_NE(dialogs.failures[0].find("ファイル名を変更して"), std::string::npos);
  EXPECT_NE(dialogs.failures[1].find(destination_ / "表示.rtf?"), std::string::npos);
  EXPECT_EQ(ReadFileBytes(destination_ / "表示.rtf"), "kept\r\n");
  ExpectDestinationHolds({"表示.rtf"});
}

// A suffix is text for the end of a file name, never a way to another
// folder, a data stream of another file or a pattern.
TEST_F(ConversionTest, SuffixesThatNoFileNameCanEndWithAreRefusedBeforeAnything) {
  WriteFileBytes(source_ / "doc.rtf", "{\\*\\panose 1}x\r\n");
  WriteFileBytes(destination_ / "other.rtf", "kept\r\n");
  const std::string escaped = destination_.path().substr(0, destination_.path().rfind('\\')) + "\\escaped";
  for (const std::string suffix : {"\\..\\other.rtf", "\\..\\..\\escaped", "/x", ":x", "*", "?", "\"", "<", ">", "|",
                                   "\tx", "x\x1F", "x ", "x.", "_表."}) {
    RecordingDialogs dialogs;
    EXPECT_EQ(ConvertDocument({source_ / "doc.rtf", destination_.path(), true, suffix}, dialogs).outcome,
              ConversionOutcome::kFailed);
    EXPECT_TRUE(dialogs.questions.empty()) << suffix;
    ASSERT_EQ(dialogs.failures.size(), 1u) << suffix;
    EXPECT_EQ(dialogs.failures[0], "付加文字列はファイル名に使えません。\n" + (destination_ / "doc.rtf") + suffix +
                                       "\nファイル名には \\ / : * ? \" < > | と制御文字は使えず、"
                                       "末尾を空白やピリオドにすることもできません。");
  }
  EXPECT_FALSE(PathExists(escaped));
  EXPECT_EQ(ReadFileBytes(destination_ / "other.rtf"), "kept\r\n");
  ExpectDestinationHolds({"other.rtf"});
  // 表 and ポ end in the trail bytes 0x5C and 0x7C, which are no "\\" or "|".
  RecordingDialogs dialogs;
  EXPECT_EQ(ConvertDocument({source_ / "doc.rtf", destination_.path(), true, "_表ポ"}, dialogs).outcome,
            ConversionOutcome::kConverted);
  EXPECT_EQ(ReadFileBytes(destination_ / "doc.rtf_表ポ"), " x\r\n");
}

TEST_F(ConversionTest, ASourceThatChangesWhileReadIsRefused) {
  WriteFileBytes(source_ / "doc.rtf", LongDocument());
  WriteFileBytes(destination_ / "doc.rtf", "old\r\n");
  RecordingDialogs dialogs;
  dialogs.duringCopy = [&] {
    HANDLE file = CreateFileA((source_ / "doc.rtf").c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    SetFilePointer(file, 1000, nullptr, FILE_BEGIN);
    SetEndOfFile(file);
    CloseHandle(file);
  };
  ExpectFailureWith(dialogs,
                    "変換元ファイルが読み込み中に変更されたため、変換を中止しました。\n" + (source_ / "doc.rtf"));
  EXPECT_EQ(ReadFileBytes(destination_ / "doc.rtf"), "old\r\n");
  ExpectDestinationHolds({"doc.rtf"});
}

// ---- The overwrite question, through the real message box ----

class OverwriteQuestionTest : public ConversionTest {
protected:
  void SetUp() override {
    owner_ = CreateWindowExA(0, "STATIC", "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 300, 200, nullptr, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(owner_, nullptr);
    WriteFileBytes(source_ / "doc.rtf", "{\\*\\panose 1}new\r\n");
    WriteFileBytes(destination_ / "doc.rtf", "old\r\n");
  }
  void TearDown() override { DestroyWindow(owner_); }

  // Presses Convert with the given answer; returns what the message boxes said.
  std::vector<SeenMessageBox> ConvertAnswering(MessageBoxAnswer answer) {
    MessageBoxWatcher watcher(answer);
    Convert(source_ / "doc.rtf", destination_.path(), false, "", owner_);
    return watcher.seen();
  }

  HWND owner_ = nullptr;
};

TEST_F(OverwriteQuestionTest, AskedWithTheProgramsTextAndOkReplaces) {
  const std::vector<SeenMessageBox> seen = ConvertAnswering(MessageBoxAnswer::kOkButton);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].text, "変換先に同名ファイルが存在します。\n上書きしてもよろしいでしょうか。");
  EXPECT_EQ(seen[0].caption, "確認");
  EXPECT_EQ(seen[0].owner, owner_);
  EXPECT_EQ(seen[0].buttons.size(), 2u);
  EXPECT_FALSE(seen[0].hasIcon);
  EXPECT_EQ(ReadFileBytes(destination_ / "doc.rtf"), " new\r\n");
  ExpectDestinationHolds({"doc.rtf"});
}

TEST_F(OverwriteQuestionTest, CancelEscapeAndCloseBoxLeaveTheFile) {
  for (MessageBoxAnswer answer :
       {MessageBoxAnswer::kCancelButton, MessageBoxAnswer::kEscapeKey, MessageBoxAnswer::kCloseBox}) {
    EXPECT_EQ(ConvertAnswering(answer).size(), 1u);
    EXPECT_EQ(ReadFileBytes(destination_ / "doc.rtf"), "old\r\n");
    ExpectDestinationHolds({"doc.rtf"});
  }
}

TEST_F(OverwriteQuestionTest, NoQuestionWhenTheDestinationIsNew) {
  DeleteFileA((destination_ / "doc.rtf").c_str());
  EXPECT_TRUE(ConvertAnswering(MessageBoxAnswer::kCancelButton).empty());
  EXPECT_EQ(ReadFileBytes(destination_ / "doc.rtf"), " new\r\n");
}

// ---- The source is never destroyed ----

TEST_F(OverwriteQuestionTest, DestinationThatIsTheSourceIsRefusedInAnySpelling) {
  const std::string contents = ReadFileBytes(source_ / "doc.rtf");
  char shortPath[MAX_PATH] = "";
  GetShortPathNameA(source_.path().c_str(), shortPath, sizeof shortPath);
  std::string upper = source_.path();
  CharUpperBuffA(upper.data(), static_cast<DWORD>(upper.size()));
  WriteFileBytes(source_ / "LongDocumentName.rtf", contents);
  char shortName[MAX_PATH] = "";
  GetShortPathNameA((source_ / "LongDocumentName.rtf").c_str(), shortName, sizeof shortName);
  ASSERT_NE(std::string(shortName).find('~'), std::string::npos) << shortName;

  struct Case {
    std::string source, folder;
  };
  const std::vector<Case> cases = {
      {source_ / "doc.rtf", source_.path()}, {source_ / "doc.rtf", upper}, {source_ / "doc.rtf", source_.path() + "\\"},
      {source_ / "doc.rtf", shortPath},      {shortName, source_.path()},  // the 8.3 name as source, the long name as
                                                                           // destination
  };
  for (const Case& c : cases) {
    MessageBoxWatcher watcher(MessageBoxAnswer::kOkButton);
    Convert(c.source, c.folder, false, "", owner_);
    ASSERT_EQ(watcher.seen().size(), 1u) << c.folder;
    const SeenMessageBox& box = watcher.seen()[0];
    EXPECT_EQ(box.caption, "Quorvel for Word97");
    EXPECT_TRUE(box.hasIcon);
    EXPECT_EQ(box.buttons.size(), 1u);
    EXPECT_EQ(box.owner, owner_);
    EXPECT_NE(box.text.find("変換元のファイルと同じです"), std::string::npos) << box.text;
    EXPECT_NE(box.text.find("付加文字列"), std::string::npos) << box.text;
  }
  EXPECT_EQ(ReadFileBytes(source_ / "doc.rtf"), contents);
  EXPECT_EQ(ReadFileBytes(source_ / "LongDocumentName.rtf"), contents);
  EXPECT_EQ(FolderEntries(source_.path()), (std::vector<std::string>{"LongDocumentName.rtf", "doc.rtf"}));

  // With a suffix the same folder is fine.
  MessageBoxWatcher watcher;
  Convert(source_ / "doc.rtf", source_.path(), true, ".hcw", owner_);
  EXPECT_TRUE(watcher.seen().empty());
  EXPECT_EQ(ReadFileBytes(source_ / "doc.rtf.hcw"), " new\r\n");
}

// ---- Failures are shown, and nothing is lost ----

TEST_F(OverwriteQuestionTest, FailuresNameTheFileAndTheReason) {
  struct Case {
    std::string source, folder, expected;
  };
  const std::vector<Case> cases = {
      {source_ / "missing.rtf", destination_.path(),
       "変換元ファイルを開けませんでした。\n" + (source_ / "missing.rtf") + "\nファイルが見つかりません。"},
      {source_ / "doc.rtf", destination_ / "no such folder",
       "変換先ファイルを作成できませんでした。\n" + (destination_ / "no such folder\\doc.rtf") + "\n"},
      {source_.path(), destination_.path(),
       "変換元ファイルを開けませんでした。\n" + source_.path() +
           "\nこれはフォルダです。変換できるのは文書ファイルだけです。"},
  };
  for (const Case& c : cases) {
    MessageBoxWatcher watcher;
    Convert(c.source, c.folder, false, "", owner_);
    ASSERT_EQ(watcher.seen().size(), 1u);
    const SeenMessageBox& box = watcher.seen()[0];
    EXPECT_EQ(box.text.substr(0, c.expected.size()), c.expected);
    EXPECT_GT(box.text.size(), c.expected.size() - 1);  // a reason follows the path
    EXPECT_EQ(box.caption, "Quorvel for Word97");
    EXPECT_TRUE(box.hasIcon);
    EXPECT_EQ(box.owner, owner_);
  }
}

TEST_F(OverwriteQuestionTest, ProtectedDestinationsAreRefusedWithoutAsking) {
  const struct {
    DWORD attribute;
    const char* reason;
  } cases[] = {
      {FILE_ATTRIBUTE_READONLY, "読み取り専用のファイルです。"},
      {FILE_ATTRIBUTE_HIDDEN, "隠しファイルです。"},
      {FILE_ATTRIBUTE_SYSTEM, "システム ファイルです。"},
  };
  for (const auto& c : cases) {
    SetFileAttributesA((destination_ / "doc.rtf").c_str(), c.attribute);
    const std::vector<SeenMessageBox> seen = ConvertAnswering(MessageBoxAnswer::kOkButton);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text, "変換先ファイルに書き込めません。\n" + (destination_ / "doc.rtf") + "\n" + c.reason);
    SetFileAttributesA((destination_ / "doc.rtf").c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(ReadFileBytes(destination_ / "doc.rtf"), "old\r\n");
    ExpectDestinationHolds({"doc.rtf"});
  }
  // A folder of the destination's name.
  DeleteFileA((destination_ / "doc.rtf").c_str());
  CreateDirectoryA((destination_ / "doc.rtf").c_str(), nullptr);
  const std::vector<SeenMessageBox> seen = ConvertAnswering(MessageBoxAnswer::kOkButton);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_NE(seen[0].text.find("同じ名前のフォルダがあります。"), std::string::npos);
}

// Held without sharing writing, or sharing writing but not deleting, which
// replacing needs as well; nothing may be left behind in the folder.
TEST_F(OverwriteQuestionTest, DestinationHeldOpenByAnotherProgram) {
  for (DWORD sharing : {FILE_SHARE_READ, FILE_SHARE_READ | FILE_SHARE_WRITE}) {
    HANDLE held =
        CreateFileA((destination_ / "doc.rtf").c_str(), GENERIC_READ, sharing, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const std::vector<SeenMessageBox> seen = ConvertAnswering(MessageBoxAnswer::kOkButton);
    CloseHandle(held);
    ASSERT_EQ(seen.size(), 2u) << sharing;  // the question, then the failure
    EXPECT_EQ(seen[1].text, "変換先ファイルに書き込めません。\n" + (destination_ / "doc.rtf") + "\n共有違反です。");
    EXPECT_EQ(ReadFileBytes(destination_ / "doc.rtf"), "old\r\n");
    ExpectDestinationHolds({"doc.rtf"});
  }
}

TEST(ConversionFullDisk, WriteFailureIsShownAndTheOldFileKept) {
  ULARGE_INTEGER freeBytes{}, total{};
  if (!GetDiskFreeSpaceExA("F:\\", &freeBytes, &total, nullptr) || total.QuadPart > 4u << 20)
    GTEST_SKIP() << "the F: test drive is not a small tmpfs (mount not allowed?)";
  ScratchFolder source("conv-full");
  const std::string folder = MakeUniqueFolder("F:\\", "conv");
  std::string document;
  while (document.size() < 1024 * 1024) document += "{\\f1{\\*\\panose 020b0604}Arial;} some text of a line\r\n";
  WriteFileBytes(source / "big.rtf", document);
  WriteFileBytes(folder + "\\big.rtf", "old\r\n");

  MessageBoxWatcher watcher(MessageBoxAnswer::kOkButton);
  Convert(source / "big.rtf", folder, false, "", nullptr);
  ASSERT_EQ(watcher.seen().size(), 2u);
  const std::string& text = watcher.seen()[1].text;
  EXPECT_EQ(text.substr(0, text.find('\n')), "変換先ファイルの書き込み中にエラーが発生しました。");
  EXPECT_NE(text.find(folder + "\\big.rtf"), std::string::npos);
  EXPECT_NE(text.find("ディスク"), std::string::npos) << text;
  EXPECT_EQ(ReadFileBytes(folder + "\\big.rtf"), "old\r\n");
  EXPECT_EQ(FolderEntries(folder), std::vector<std::string>{"big.rtf"});
  RemoveTree(folder);
}

}  // namespace
