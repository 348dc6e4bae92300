// quorvel-convert.exe run as a separate process: output lines, errors, exit status.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "runtime/AnsiNames.h"
#include "runtime/UniqueHandle.h"
#include "tests/support/TestFiles.h"

namespace {

class ConvertToolTest : public ::testing::Test {
protected:
  ScratchFolder source_{"tool-src"};
  ScratchFolder destination_{"tool-dst"};

  ProcessResult Run(const std::string& arguments, const ProgramOptions& options = {}) {
    return Run(ToWide(arguments), options);
  }
  ProcessResult Run(const std::wstring& arguments, const ProgramOptions& options = {}) {
    return RunProgram(ToWide(Quoted(ProgramFolder() + "\\quorvel-convert.exe")) + L" " + arguments, options);
  }
  ProgramOptions InSourceFolder() const {
    ProgramOptions options;
    options.folder = source_.path();
    return options;
  }
};

// The error line of a name that the ANSI code page cannot hold.
std::string UnusableNameLine(const std::string& path) {
  std::string text = UnusableNameText(path);
  std::replace(text.begin(), text.end(), '\n', ' ');
  return "quorvel-convert: " + text + "\r\n";
}

TEST_F(ConvertToolTest, ConvertsEachSourceAndSaysSo) {
  WriteFileBytes(source_ / "a.rtf", "{\\f0{\\*\\panose 1}A;}{\\f1{\\*\\panose 2}B;}\n");
  WriteFileBytes(source_ / "表示.rtf", "plain\r\n");
  const ProcessResult result =
      Run(Quoted(source_ / "a.rtf") + " " + Quoted(source_ / "表示.rtf") + " " + Quoted(destination_.path()));
  EXPECT_EQ(result.exitCode, 0u) << result.errors;
  EXPECT_EQ(result.output, (source_ / "a.rtf") + " -> " + (destination_ / "a.rtf") + " (2 panose groups removed)\r\n" +
                               (source_ / "表示.rtf") + " -> " + (destination_ / "表示.rtf") +
                               " (0 panose groups removed)\r\n");
  EXPECT_EQ(result.errors, "");
  EXPECT_EQ(ReadFileBytes(destination_ / "a.rtf"), "{\\f0 A;}{\\f1 B;}\r\n");
  EXPECT_EQ(ReadFileBytes(destination_ / "表示.rtf"), "plain\r\n");
}

TEST_F(ConvertToolTest, SuffixAndRelativePaths) {
  WriteFileBytes(source_ / "b.rtf", "{\\*\\panose}\r\n");
  // Relative paths are taken from the current folder; forward slashes work too.
  const ProcessResult result = Run("--suffix .hcw b.rtf " + Quoted(destination_.path() + "/"), InSourceFolder());
  EXPECT_EQ(result.exitCode, 0u) << result.errors;
  // The folder's trailing separator is not doubled in the destination path.
  EXPECT_EQ(result.output,
            (source_ / "b.rtf") + " -> " + (destination_ / "b.rtf.hcw") + " (1 panose group removed)\r\n");
  EXPECT_EQ(FolderEntries(destination_.path()), std::vector<std::string>{"b.rtf.hcw"});
  EXPECT_EQ(ReadFileBytes(destination_ / "b.rtf.hcw"), " \r\n");
}

// The folder is made of parts short enough for any file system; its path has
// exactly `length` characters. Whatever the platform makes of such a path, the
// conversion either works or says why, and leaves no temporary file behind.
TEST_F(ConvertToolTest, LongDestinationFoldersWorkOrFailCleanly) {
  WriteFileBytes(source_ / "doc.rtf", "{\\*\\panose 1}long\r\n");
  for (const size_t length : {240u, 257u, 259u, 300u}) {
    std::string folder = destination_.path();
    bool made = true;
    while (folder.size() < length) {
      folder += "\\" + std::string(std::max<size_t>(1, std::min<size_t>(100, length - folder.size() - 1)), 'd');
      // CreateDirectoryA stops at about 248 characters; the wide call with
      // "\\?\" makes folders of any length, as other programs can.
      made = made && (CreateDirectoryW((L"\\\\?\\" + std::wstring(folder.begin(), folder.end())).c_str(), nullptr) ||
                      GetLastError() == ERROR_ALREADY_EXISTS);
    }
    ASSERT_EQ(folder.size(), length);
    const ProcessResult result = Run(Quoted(source_ / "doc.rtf") + " " + Quoted(folder));
    if (result.exitCode == 0) {
      EXPECT_TRUE(made);
      EXPECT_EQ(ReadFileBytes(folder + "\\doc.rtf"), " long\r\n") << length;
      EXPECT_EQ(FolderEntries(folder), std::vector<std::string>{"doc.rtf"}) << length;
    } else {
      EXPECT_EQ(result.exitCode, 1u) << length;
      EXPECT_NE(result.errors.find(folder + "\\doc.rtf "), std::string::npos) << result.errors;
      if (made) {
        EXPECT_EQ(FolderEntries(folder), std::vector<std::string>{}) << length;
      }
    }
  }
}

TEST_F(ConvertToolTest, AReportThatCannotBeWrittenFailsTheRun) {
  WriteFileBytes(source_ / "d.rtf", "d\r\n");
  ProgramOptions brokenOutput;
  brokenOutput.outputUnwritable = true;
  const ProcessResult result = Run(Quoted(source_ / "d.rtf") + " " + Quoted(destination_.path()), brokenOutput);
  EXPECT_EQ(result.exitCode, 1u);
  EXPECT_NE(result.errors.find("標準出力に書き込めませんでした"), std::string::npos) << result.errors;
  EXPECT_EQ(ReadFileBytes(destination_ / "d.rtf"), "d\r\n");  // the conversion itself was done
}

TEST_F(ConvertToolTest, DevicesAreRefusedAtOnce) {
  // Reading a port or a pipe could wait for ever; the null device would give an empty copy.
  const ProcessResult result = Run("NUL COM1 " + Quoted(destination_.path()));
  EXPECT_EQ(result.exitCode, 1u);
  EXPECT_NE(result.errors.find("変換元はディスク上のファイルではありません。 \\\\.\\NUL"), std::string::npos)
      << result.errors;
  EXPECT_EQ(FolderEntries(destination_.path()), std::vector<std::string>{});
}

// Gives this process a console of its own that children share, as a command
// prompt does, so that a Ctrl-C can be sent to them; our standard handles stay.
// Made once: under Wine, letting go of the console made here ends this process.
bool OpenSharedConsole() {
  static const bool opened = [] {
    const HANDLE saved[] = {GetStdHandle(STD_INPUT_HANDLE), GetStdHandle(STD_OUTPUT_HANDLE),
                            GetStdHandle(STD_ERROR_HANDLE)};
    FreeConsole();
    const bool made = AllocConsole();
    SetStdHandle(STD_INPUT_HANDLE, saved[0]);
    SetStdHandle(STD_OUTPUT_HANDLE, saved[1]);
    SetStdHandle(STD_ERROR_HANDLE, saved[2]);
    return made;
  }();
  return opened;
}

TEST_F(ConvertToolTest, CtrlCRemovesThePartialCopyAndKeepsTheOldFile) {
  if (!OpenSharedConsole()) GTEST_SKIP() << "no console to send a Ctrl-C through";
  // Empty lines, 64 million of them: the conversion's time goes with its line
  // pieces, so that it runs for seconds and is caught in the middle.
  std::string document(size_t{1} << 27, '\n');
  for (size_t i = 0; i < document.size(); i += 2) document[i] = '\r';
  WriteFileBytes(source_ / "big.rtf", document);
  document.clear();
  WriteFileBytes(destination_ / "big.rtf", "old\r\n");

  ProgramOptions interrupted;
  bool caughtInTheMiddle = false;
  interrupted.whileRunning = [&](unsigned long) {
    // Once the partial copy has grown, the conversion is under way.
    for (int wait = 0; wait < 20000 && !caughtInTheMiddle; ++wait) {
      for (const std::string& name : FolderEntries(destination_.path()))
        if (name != "big.rtf" && ReadFileBytes(destination_ / name).size() > 0) caughtInTheMiddle = true;
      if (!caughtInTheMiddle) Sleep(1);
    }
    // The event reaches every process of the console: this one looks away.
    SetConsoleCtrlHandler(nullptr, TRUE);
    EXPECT_TRUE(GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0));
  };
  const ProcessResult result =
      Run("--overwrite " + Quoted(source_ / "big.rtf") + " " + Quoted(destination_.path()), interrupted);
  SetConsoleCtrlHandler(nullptr, FALSE);
  EXPECT_TRUE(caughtInTheMiddle);
  EXPECT_EQ(result.exitCode, 130u) << result.errors;
  EXPECT_EQ(result.output, "");
  EXPECT_NE(result.errors.find("中断しました。変換中だった " + (destination_ / "big.rtf")), std::string::npos)
      << result.errors;
  EXPECT_EQ(FolderEntries(destination_.path()), std::vector<std::string>{"big.rtf"});
  EXPECT_TRUE(ReadFileBytes(destination_ / "big.rtf") == "old\r\n");
}

// What a row of a console screen shows, without the blanks at its end.
std::wstring ScreenRow(HANDLE screen, short row) {
  std::wstring shown(500, L' ');
  DWORD read = 0;
  ReadConsoleOutputCharacterW(screen, shown.data(), static_cast<DWORD>(shown.size()), {0, row}, &read);
  shown.resize(std::min<size_t>(read, shown.size()));
  return shown.substr(0, shown.find_last_not_of(L' ') + 1);
}

// Every other test reads the texts through pipes, in the ANSI code page. A
// console gets them as they are, even one switched to UTF-8.
TEST_F(ConvertToolTest, AConsoleShowsTheTextsWhateverItsCodePage) {
  if (!OpenSharedConsole()) GTEST_SKIP() << "no console to write to";
  SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
  const UniqueFile screen(CreateConsoleScreenBuffer(GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                    &inheritable, CONSOLE_TEXTMODE_BUFFER, nullptr));
  ASSERT_TRUE(screen);
  // Wide enough for each line to stay on its row.
  ASSERT_TRUE(SetConsoleScreenBufferSize(screen.get(), {500, 50}));
  const UINT savedCodePage = GetConsoleOutputCP();
  ASSERT_TRUE(SetConsoleOutputCP(CP_UTF8));
  WriteFileBytes(source_ / "表示.rtf", "x\r\n");
  ProgramOptions onConsole;
  onConsole.sharedOutput = screen.get();
  const ProcessResult result = Run(
      Quoted(source_ / "表示.rtf") + " " + Quoted(source_ / "無い.rtf") + " " + Quoted(destination_.path()), onConsole);
  SetConsoleOutputCP(savedCodePage);
  EXPECT_EQ(result.exitCode, 1u);
  EXPECT_EQ(result.output + result.errors, "");
  // The report line, then the error line, on rows of their own.
  EXPECT_EQ(ScreenRow(screen.get(), 0),
            ToWide((source_ / "表示.rtf") + " -> " + (destination_ / "表示.rtf") + " (0 panose groups removed)"));
  EXPECT_EQ(ScreenRow(screen.get(), 1), ToWide("quorvel-convert: 変換元ファイルを開けませんでした。 " +
                                               (source_ / "無い.rtf") + " ファイルが見つかりません。"));
}

TEST_F(ConvertToolTest, ExistingDestinationNeedsOverwrite) {
  WriteFileBytes(source_ / "c.rtf", "new\r\n");
  WriteFileBytes(destination_ / "c.rtf", "old\r\n");
  ProcessResult result = Run(Quoted(source_ / "c.rtf") + " " + Quoted(destination_.path()));
  EXPECT_EQ(result.exitCode, 1u);
  EXPECT_EQ(result.output, "");
  EXPECT_NE(result.errors.find("--overwrite"), std::string::npos) << result.errors;
  EXPECT_NE(result.errors.find(destination_ / "c.rtf"), std::string::npos) << result.errors;
  EXPECT_EQ(ReadFileBytes(destination_ / "c.rtf"), "old\r\n");

  result = Run("--overwrite " + Quoted(source_ / "c.rtf") + " " + Quoted(destination_.path()));
  EXPECT_EQ(result.exitCode, 0u);
  EXPECT_EQ(ReadFileBytes(destination_ / "c.rtf"), "new\r\n");
}

TEST_F(ConvertToolTest, OneFailureDoesNotStopTheOthers) {
  WriteFileBytes(source_ / "good.rtf", "good\r\n");
  const ProcessResult result =
      Run(Quoted(source_ / "missing.rtf") + " " + Quoted(source_ / "good.rtf") + " " + Quoted(destination_.path()));
  EXPECT_EQ(result.exitCode, 1u);
  EXPECT_EQ(result.errors, "quorvel-convert: 変換元ファイルを開けませんでした。 " + (source_ / "missing.rtf") +
                               " ファイルが見つかりません。\r\n");
  EXPECT_NE(result.output.find("good.rtf -> "), std::string::npos);
  EXPECT_EQ(ReadFileBytes(destination_ / "good.rtf"), "good\r\n");
}

TEST_F(ConvertToolTest, UsageAndHelp) {
  ProcessResult result = Run("--help");
  EXPECT_EQ(result.exitCode, 0u);
  EXPECT_EQ(result.output.rfind("usage: quorvel-convert", 0), 0u);
  for (const char* option : {"--suffix", "--overwrite", "--update", "@FILE", "quorvel-convert -\r\n"})
    EXPECT_NE(result.output.find(option), std::string::npos) << option;
  // An empty SOURCE or DESTFOLDER names no file (not the current folder or its drive's root).
  for (const char* bad :
       {"", "only-one-path", "--suffix", "--bogus a b", "- b", "--update -", "a.rtf \"\"", "\"\" out"}) {
    result = Run(bad);
    EXPECT_EQ(result.exitCode, 2u) << bad;
    EXPECT_NE(result.errors.find("usage:"), std::string::npos) << bad;
  }
}

TEST_F(ConvertToolTest, NamesTheCodePageHoldsOnlyApproximatelyAreRefused) {
  // Each beside the file its best fit would name: é.rtf as e.rtf, a¥b.rtf as
  // a\b.rtf, and 한국.rtf as the pattern ??.rtf, which matches ok.rtf.
  const std::wstring folder = ToWide(source_.path()) + L"\\";
  for (const wchar_t* name : {L"é.rtf", L"a¥b.rtf", L"한국.rtf"}) WriteFileBytes(folder + name, "x\r\n");
  for (const char* name : {"e.rtf", "ok.rtf"}) WriteFileBytes(source_ / name, "ok\r\n");
  ASSERT_TRUE(CreateDirectoryA((source_ / "a").c_str(), nullptr));
  WriteFileBytes(source_ / "a\\b.rtf", "a\\b\r\n");

  const ProcessResult result =
      Run(L"é.rtf a¥b.rtf 한국.rtf *.rtf \"" + ToWide(destination_.path()) + L"\"", InSourceFolder());
  EXPECT_EQ(result.exitCode, 1u);
  // The pattern takes e.rtf and ok.rtf once each and refuses the others too.
  EXPECT_EQ(result.output, (source_ / "e.rtf") + " -> " + (destination_ / "e.rtf") + " (0 panose groups removed)\r\n" +
                               (source_ / "ok.rtf") + " -> " + (destination_ / "ok.rtf") +
                               " (0 panose groups removed)\r\n");
  EXPECT_EQ(result.errors, UnusableNameLine(source_ / "?.rtf") + UnusableNameLine(source_ / "a?b.rtf") +
                               UnusableNameLine(source_ / "??.rtf") + UnusableNameLine(source_ / "a?b.rtf") +
                               UnusableNameLine(source_ / "?.rtf") + UnusableNameLine(source_ / "??.rtf"));
  EXPECT_EQ(FolderEntries(destination_.path()), (std::vector<std::string>{"e.rtf", "ok.rtf"}));
}

// UTF-16 text in UTF-8, or in UTF-16 with its byte-order mark.
std::string Utf8(const std::wstring& text) {
  std::string bytes(text.size() * 3, '\0');
  bytes.resize(WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(),
                                   static_cast<int>(bytes.size()), nullptr, nullptr));
  return bytes;
}
std::string Utf16WithMark(const std::wstring& text, bool bigEndian) {
  std::string bytes;
  for (const wchar_t unit : L"\uFEFF" + text) {
    const char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
    bytes += bigEndian ? std::string{high, low} : std::string{low, high};
  }
  return bytes;
}

TEST_F(ConvertToolTest, ListFilesInUnicodeAsNotepadAndPowerShellWriteThem) {
  for (const char* name : {"表1.rtf", "表2.rtf", "表3.rtf", "表4.rtf"}) WriteFileBytes(source_ / name, "u\r\n");
  WriteFileBytes(ToWide(source_.path()) + L"\\한국.rtf", "k\r\n");
  // Each list names a file of its own, and one that the code page lacks.
  const std::wstring korean = L"\r\n한국.rtf\r\n";
  WriteFileBytes(source_ / "utf8-mark.txt", "\xEF\xBB\xBF" + Utf8(L"表1.rtf" + korean));
  WriteFileBytes(source_ / "utf8.txt", Utf8(L"表2.rtf" + korean));
  WriteFileBytes(source_ / "utf16.txt", Utf16WithMark(L"表3.rtf" + korean, false));
  WriteFileBytes(source_ / "utf16be.txt", Utf16WithMark(L"表4.rtf" + korean, true));

  const ProcessResult result =
      Run("@utf8-mark.txt @utf8.txt @utf16.txt @utf16be.txt " + Quoted(destination_.path()), InSourceFolder());
  EXPECT_EQ(result.exitCode, 1u);
  std::string converted, refused;
  for (const std::string name : {"表1.rtf", "表2.rtf", "表3.rtf", "表4.rtf"}) {
    converted += (source_ / name) + " -> " + (destination_ / name) + " (0 panose groups removed)\r\n";
    refused += UnusableNameLine(source_ / "??.rtf");
  }
  EXPECT_EQ(result.output, converted);
  EXPECT_EQ(result.errors, refused);
}

TEST_F(ConvertToolTest, EachDestinationIsWrittenOnceARun) {
  for (const char* folder : {"f1", "f2"}) ASSERT_TRUE(CreateDirectoryA((source_ / folder).c_str(), nullptr));
  const std::string first = source_ / "f1\\same name.rtf", second = source_ / "f2\\same name.rtf";
  WriteFileBytes(first, "one\r\n");
  WriteFileBytes(second, "two\r\n");
  char shortName[MAX_PATH];
  ASSERT_NE(GetShortPathNameA(first.c_str(), shortName, MAX_PATH), 0u);
  std::string capitals = first;
  CharUpperBuffA(capitals.data(), static_cast<DWORD>(capitals.size()));
  // The first file is named again in capitals, by its short name and through a pattern.
  const std::string sources = Quoted(first) + " " + Quoted(second) + " " + Quoted(capitals) + " " + Quoted(shortName) +
                              " " + Quoted(source_ / "f1\\*.rtf") + " ";
  const std::string destination = destination_ / "same name.rtf";
  // Neither replaces what the first source wrote, nor is called up to date.
  for (const std::string options : {"--overwrite ", "--update --overwrite "}) {
    const ProcessResult result = Run(options + sources + Quoted(destination_.path()));
    EXPECT_EQ(result.exitCode, 1u) << options;
    const bool update = options.starts_with("--update");
    EXPECT_EQ(result.output,
              first + " -> " + destination + (update ? " (up to date)" : " (0 panose groups removed)") + "\r\n");
    EXPECT_EQ(result.errors, "quorvel-convert: 変換元ファイルを変換しませんでした。 " + second + " 変換先 " +
                                 destination + " は、この実行で先に " + first + " の変換先になっています。\r\n");
    EXPECT_EQ(ReadFileBytes(destination), "one\r\n");
  }
}

TEST_F(ConvertToolTest, MessagesSayWhatIsWrong) {
  WriteFileBytes(source_ / "a.rtf", "a\r\n");
  // A wildcard in a folder; a "\\?\" path is no name the code page lacks.
  ProcessResult result = Run(Quoted(source_ / "*\\a.rtf") + " " + Quoted("\\\\?\\" + (source_ / "a.rtf")) + " " +
                             Quoted(destination_.path()));
  EXPECT_NE(result.errors.find("quorvel-convert: ここではワイルドカードを使えません。 " + (source_ / "*\\a.rtf") +
                               " * と ? は変換元のファイル名にだけ使えます。"),
            std::string::npos)
      << result.errors;
  EXPECT_EQ(result.errors.find("コード ページ"), std::string::npos) << result.errors;
  EXPECT_NE(result.output.find("\\\\?\\" + (source_ / "a.rtf") + " -> "), std::string::npos) << result.errors;

  // A DESTFOLDER that is a file.
  result = Run(Quoted(source_ / "a.rtf") + " " + Quoted(source_ / "a.rtf"));
  EXPECT_EQ(result.exitCode, 1u);
  EXPECT_EQ(result.output, "");
  EXPECT_EQ(result.errors, "quorvel-convert: 変換先がフォルダではありません。 " + (source_ / "a.rtf") +
                               " 同じ名前のファイルがあります。変換先にはフォルダを指定してください。\r\n");
}

// Sets a file's last-write time.
void SetLastWrite(const std::string& path, const FILETIME& time) {
  const HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
  EXPECT_TRUE(SetFileTime(file, nullptr, nullptr, &time));
  CloseHandle(file);
}

FILETIME HoursLater(FILETIME time, int hours) {
  ULARGE_INTEGER value{{time.dwLowDateTime, time.dwHighDateTime}};
  value.QuadPart += static_cast<ULONGLONG>(static_cast<LONGLONG>(hours) * 36000000000LL);
  return FILETIME{value.LowPart, value.HighPart};
}

TEST_F(ConvertToolTest, WildcardsAndListFilesNameTheFilesTheFileListShows) {
  // x.rtfx matches *.rtf only through its short name, which does not count.
  for (const char* name : {"B.rtf", "a.rtf", "C.rtf", "hidden.rtf", "system.rtf", "other.txt", "x.rtfx"})
    WriteFileBytes(source_ / name, "{\\*\\panose}x\r\n");
  SetFileAttributesA((source_ / "hidden.rtf").c_str(), FILE_ATTRIBUTE_HIDDEN);
  SetFileAttributesA((source_ / "system.rtf").c_str(), FILE_ATTRIBUTE_SYSTEM);
  ASSERT_TRUE(CreateDirectoryA((source_ / "folder.rtf").c_str(), nullptr));
  // "表" ends in the trail byte 0x5C, in the folder's name and in the pattern's.
  const std::string trailByteFolder = source_ / "表";
  ASSERT_TRUE(CreateDirectoryA(trailByteFolder.c_str(), nullptr));
  for (const char* name : {"表1.rtf", "表2.rtf", "表10.rtf"}) WriteFileBytes(trailByteFolder + "\\" + name, "t\r\n");

  ProcessResult result = Run(Quoted(source_ / "*.rtf") + " " + Quoted(source_ / "*.doc") + " " +
                             Quoted(trailByteFolder + "\\表?.rtf") + " " + Quoted(destination_.path()));
  EXPECT_EQ(result.exitCode, 1u);
  // In the file list's order: by name whatever the letter case.
  std::string expected;
  for (const std::string name : {"a.rtf", "B.rtf", "C.rtf"})
    expected += (source_ / name) + " -> " + (destination_ / name) + " (1 panose group removed)\r\n";
  for (const std::string name : {"表1.rtf", "表2.rtf"})
    expected += trailByteFolder + "\\" + name + " -> " + (destination_ / name) + " (0 panose groups removed)\r\n";
  EXPECT_EQ(result.output, expected);
  EXPECT_EQ(result.errors, "quorvel-convert: 変換元ファイルを開けませんでした。 " + (source_ / "*.doc") +
                               " ファイルが見つかりません。\r\n");
  EXPECT_EQ(FolderEntries(destination_.path()),
            (std::vector<std::string>{"B.rtf", "C.rtf", "a.rtf", "表1.rtf", "表2.rtf"}));

  // A list file: one SOURCE a line, relative to the current folder, blank lines left out.
  WriteFileBytes(source_ / "list.txt", "\r\n表\\表1?.rtf\r\n  \n\nother.txt\n");
  result = Run("@list.txt @missing.txt " + Quoted(destination_.path()), InSourceFolder());
  EXPECT_EQ(result.exitCode, 1u);
  EXPECT_EQ(result.output, trailByteFolder + "\\表10.rtf -> " + (destination_ / "表10.rtf") +
                               " (0 panose groups removed)\r\n" + (source_ / "other.txt") + " -> " +
                               (destination_ / "other.txt") + " (1 panose group removed)\r\n");
  EXPECT_EQ(result.errors, "quorvel-convert: 変換元ファイルを開けませんでした。 " + (source_ / "missing.txt") +
                               " ファイルが見つかりません。\r\n");
}

TEST_F(ConvertToolTest, UpdateReplacesOnlyOutOfDateDestinations) {
  const FILETIME written{0xD0000000u, 0x01D9A000u};  // some day in 2023
  for (const char* name : {"older.rtf", "equal.rtf", "newer.rtf", "new.rtf"}) {
    WriteFileBytes(source_ / name, "{\\*\\panose}new\r\n");
    SetLastWrite(source_ / name, written);
  }
  const std::pair<const char*, int> destinations[] = {{"older.rtf", -1}, {"equal.rtf", 0}, {"newer.rtf", 1}};
  for (const auto& [name, hours] : destinations) {
    WriteFileBytes(destination_ / name, "old\r\n");
    SetLastWrite(destination_ / name, HoursLater(written, hours));
  }
  // Without --overwrite an out-of-date destination is still an error.
  ProcessResult result = Run("--update " + Quoted(source_ / "older.rtf") + " " + Quoted(destination_.path()));
  EXPECT_EQ(result.exitCode, 1u);
  EXPECT_NE(result.errors.find("--overwrite"), std::string::npos) << result.errors;

  result = Run("--update --overwrite " + Quoted(source_ / "*.rtf") + " " + Quoted(destination_.path()));
  EXPECT_EQ(result.exitCode, 0u) << result.errors;
  auto line = [&](const std::string& name, const char* what) {
    return (source_ / name) + " -> " + (destination_ / name) + " (" + what + ")\r\n";
  };
  EXPECT_EQ(result.output, line("equal.rtf", "up to date") + line("new.rtf", "1 panose group removed") +
                               line("newer.rtf", "up to date") + line("older.rtf", "1 panose group removed"));
  EXPECT_EQ(result.errors, "");
  EXPECT_EQ(ReadFileBytes(destination_ / "older.rtf"), " new\r\n");
  EXPECT_EQ(ReadFileBytes(destination_ / "new.rtf"), " new\r\n");
  EXPECT_EQ(ReadFileBytes(destination_ / "equal.rtf"), "old\r\n");
  EXPECT_EQ(ReadFileBytes(destination_ / "newer.rtf"), "old\r\n");

  // A destination that is the source itself was never converted.
  result = Run("--update " + Quoted(source_ / "new.rtf") + " " + Quoted(source_.path()));
  EXPECT_EQ(result.exitCode, 1u);
  EXPECT_EQ(result.output, "");
  EXPECT_NE(result.errors.find("変換先のファイルが変換元のファイルと同じです。"), std::string::npos) << result.errors;

  // Nor is a destination that a suffix leads to: new.rtf\..\newer.rtf is the
  // destination folder's newer.rtf, which its time would call up to date.
  result = Run("--update --suffix \\..\\newer.rtf " + Quoted(source_ / "new.rtf") + " " + Quoted(destination_.path()));
  EXPECT_EQ(result.exitCode, 1u);
  EXPECT_EQ(result.output, "");
  EXPECT_NE(result.errors.find("付加文字列はファイル名に使えません。"), std::string::npos) << result.errors;
}

TEST_F(ConvertToolTest, FilterModeThroughPipesAndRedirection) {
  // Through pipes on both sides. A CR alone ends a line, also the one at the
  // very end that has no byte after it.
  const std::string document = "{\\f0{\\*\\panose 1}A;}\r\nlf only\n{\\b\rbold}\rend\r";
  const std::string converted = "{\\f0 A;}\r\nlf only\r\n{\\b\r\nbold}\r\nend\r\n";
  ProgramOptions piped;
  piped.input = &document;
  ProcessResult result = Run("-", piped);
  EXPECT_EQ(result.exitCode, 0u) << result.errors;
  EXPECT_EQ(result.output, converted);
  EXPECT_EQ(result.errors, "");

  // Data after a Ctrl-Z: refused, and nothing is written.
  const std::string cutShort =
      "ab\r\n\x1A"
      "cd\r\n";
  piped.input = &cutShort;
  result = Run("-", piped);
  EXPECT_EQ(result.exitCode, 1u);
  EXPECT_EQ(result.output, "");
  EXPECT_NE(result.errors.find("標準入力 先頭から 5 バイト目に終端記号 (0x1A) があり"), std::string::npos)
      << result.errors;

  // Ending inside a panose group: refused, nothing written.
  const std::string groupOpen = "{\\rtf1{\\fonttbl{\\f0{\\*\\panose 1}A;}{\\f1{\\*\\panose 02\r\n0b0604";
  piped.input = &groupOpen;
  result = Run("-", piped);
  EXPECT_EQ(result.exitCode, 1u);
  EXPECT_EQ(result.output, "");
  EXPECT_EQ(result.errors,
            "quorvel-convert: 変換元ファイルが panose グループ ({\\*\\panose ...}) の途中で終わっている"
            "ため、変換を中止しました。 標準入力 文書が壊れているか、途中までしか保存されていない"
            "可能性があります。\r\n");

  // Redirected by the command interpreter, from a file into a file.
  WriteFileBytes(source_ / "in.rtf", document + "\x1A");
  result = RunProgram("cmd.exe /c " + ProgramFolder() + "\\quorvel-convert.exe - < in.rtf > out.rtf", InSourceFolder());
  EXPECT_EQ(result.exitCode, 0u) << result.errors;
  EXPECT_EQ(ReadFileBytes(source_ / "out.rtf"), converted);
}

}  // namespace
