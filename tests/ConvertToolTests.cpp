// quorvel-convert.exe run as a separate process: output lines, errors, exit status.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/TestFiles.h"

namespace {

class ConvertToolTest : public ::testing::Test {
protected:
  ScratchFolder source_{"tool-src"};
  ScratchFolder destination_{"tool-dst"};

  ProcessResult Run(const std::string& arguments) {
    return RunProgram(Quoted(ProgramFolder() + "\\quorvel-convert.exe") + " " + arguments);
  }
};

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
  std::string commandLine = Quoted(ProgramFolder() + "\\quorvel-convert.exe") + " --suffix .hcw b.rtf " +
                            Quoted(destination_.path() + "/");
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  startup.dwFlags = STARTF_USESTDHANDLES;  // no output: the child's stdout goes nowhere
  ASSERT_TRUE(CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                             source_.path().c_str(), &startup, &process));
  WaitForSingleObject(process.hProcess, 60000);
  DWORD exitCode = 99;
  GetExitCodeProcess(process.hProcess, &exitCode);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  EXPECT_EQ(exitCode, 0u);
  // The folder's trailing separator is not doubled in the destination path.
  EXPECT_EQ(FolderEntries(destination_.path()), std::vector<std::string>{"b.rtf.hcw"});
  EXPECT_EQ(ReadFileBytes(destination_ / "b.rtf.hcw"), " \r\n");
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
  const ProcessResult result = Run(Quoted(source_ / "missing.rtf") + " " + Quoted(source_ / "good.rtf") + " " +
                                   Quoted(destination_.path()));
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
  for (const char* bad : {"", "only-one-path", "--suffix", "--bogus a b"}) {
    result = Run(bad);
    EXPECT_EQ(result.exitCode, 2u) << bad;
    EXPECT_NE(result.errors.find("usage:"), std::string::npos) << bad;
  }
}

}  // namespace
