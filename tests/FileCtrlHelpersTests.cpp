// Helpers of the file-browsing controls: double-byte aware path handling,
// entered paths, shortened paths, the I/O error; and the runtime's
// double-byte aware helpers under them.
#include "FileCtrl/FileCtrlHelpers.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "framework/Graphics.h"
#include "runtime/Exceptions.h"
#include "tests/support/FileCtrlFixture.h"

namespace {

TEST(FileCtrlHelpers, JoinAndDepthTakeTrailBytesForPartsOfNames) {
  // 表 is 0x95 0x5C: its second byte is not a separator.
  EXPECT_EQ(JoinWithSeparator("C:\\表", "a.rtf"), "C:\\表\\a.rtf");
  EXPECT_EQ(JoinWithSeparator("C:\\", "a.rtf"), "C:\\a.rtf");
  EXPECT_EQ(JoinWithSeparator("C:\\DOCS", "a.rtf"), "C:\\DOCS\\a.rtf");
  EXPECT_EQ(FolderDepth("C:\\表示\\表"), 2);
  EXPECT_EQ(FolderDepth("C:\\"), 1);
  EXPECT_EQ(DrivePart("C:\\DOCS"), "C:");
  EXPECT_EQ(DrivePart("\\\\server\\share\\dir"), "\\\\server\\share");
  EXPECT_EQ(DrivePart("\\\\server\\share"), "\\\\server\\share");
  EXPECT_EQ(DrivePart("DOCS"), "");
}

// The double-byte aware text helpers the controls build on.
TEST(MbcsText, ScansAndFileNameLowerCasingLeaveDoubleByteCharactersAlone) {
  EXPECT_TRUE(EndsWithChar("C:\\", '\\'));
  EXPECT_FALSE(EndsWithChar("C:\\表", '\\'));
  EXPECT_EQ(LowerFileName("README.EXE"), "readme.exe");
  EXPECT_EQ(LowerFileName("表示ＡＢ.RTF"), "表示ＡＢ.rtf");  // full-width letters stay
  EXPECT_NE(LowerAnsi("ＡＢ"), "ＡＢ");                      // the system's lower-casing changes them
}

TEST(FileCtrlHelpers, InOutErrorMessagesByCode) {
  EXPECT_EQ(InOutErrorMessage(2), "ﾌｧｲﾙが見つかりません");
  EXPECT_EQ(InOutErrorMessage(3), "不正なﾌｧｲﾙ名です");
  EXPECT_EQ(InOutErrorMessage(4), "ｵｰﾌﾟﾝしたﾌｧｲﾙが多すぎます");
  EXPECT_EQ(InOutErrorMessage(5), "ﾌｧｲﾙへのｱｸｾｽが拒否されました");
  EXPECT_EQ(InOutErrorMessage(100), "ﾌｧｲﾙの末尾以降を読み込みました");
  EXPECT_EQ(InOutErrorMessage(101), "ﾃﾞｨｽｸがいっぱいです");
  EXPECT_EQ(InOutErrorMessage(106), "入力値が数値ではありません");
  EXPECT_EQ(InOutErrorMessage(21), "I/O ｴﾗｰ (21)");
  try {
    ChangeDirectory("Q:\\no such place");
    FAIL() << "no error";
  } catch (const EInOutError& error) {
    EXPECT_EQ(error.Message(), InOutErrorMessage(error.ErrorCode()));
    EXPECT_NE(error.ErrorCode(), 0u);
  }
}

TEST(FileCtrlHelpers, CutFirstFolderSteps) {
  EXPECT_EQ(CutFirstFolder("\\Program Files\\Sub\\"), "\\...\\Sub\\");
  EXPECT_EQ(CutFirstFolder("\\...\\Sub\\"), "\\...\\");
  EXPECT_EQ(CutFirstFolder("...\\"), "");
  EXPECT_EQ(CutFirstFolder("\\"), "");
  EXPECT_EQ(CutFirstFolder("\\表示\\ソ\\"), "\\...\\ソ\\");
}

TEST(FileCtrlHelpers, ShortenPathToWidthStopsAsSoonAsTheTextFits) {
  TBitmap surface;
  surface.SetSize(10, 10);
  TCanvas& canvas = surface.Canvas();
  const std::string path = "C:\\Program Files\\Sub\\Name";
  const std::vector<std::string> steps = {path, "C:\\...\\Sub\\Name", "C:\\...\\Name", "...\\Name", "Name"};
  for (const std::string& step : steps) {
    // A limit exactly the width of a step gives that step.
    EXPECT_EQ(ShortenPathToWidth(path, canvas, canvas.TextWidth(step)), step);
  }
  EXPECT_EQ(ShortenPathToWidth(path, canvas, 1), "Name");  // always stops after the name
  EXPECT_EQ(ShortenPathToWidth("C:\\表示\\表\\名前", canvas, canvas.TextWidth("C:\\...\\名前")), "C:\\...\\名前");
}

class SplitEnteredPathTest : public FileCtrlTest {};

TEST_F(SplitEnteredPathTest, FoldersFilesAndPatterns) {
  MakeFolder("DATA\\RTF");
  MakeFile("DATA\\A.RTF");
  const std::string data = root_ / "DATA";
  const std::string before = CurrentDirectory();
  const char drive = root_.path()[0];
  const std::string folder = root_.path().substr(2);  // without the drive

  EnteredPath split = SplitEnteredPath(data + "\\RTF");
  EXPECT_EQ(split.drive, drive);
  EXPECT_EQ(split.folder, folder + "\\DATA\\RTF");
  EXPECT_EQ(split.file, "");
  split = SplitEnteredPath(data + "\\*.rtf");
  EXPECT_EQ(split.folder, folder + "\\DATA");
  EXPECT_EQ(split.file, "*.rtf");
  split = SplitEnteredPath(data + "\\A.RTF");
  EXPECT_EQ(split.folder, folder + "\\DATA");
  EXPECT_EQ(split.file, "A.RTF");
  EXPECT_EQ(CurrentDirectory(), before);  // always put back

  // A name that is neither a file nor a folder is tried as a folder, and fails.
  EXPECT_THROW(SplitEnteredPath(data + "\\missing.rtf"), EInOutError);
  EXPECT_THROW(SplitEnteredPath(root_ / "nowhere\\x.rtf"), EInOutError);
  EXPECT_EQ(CurrentDirectory(), before);
}

TEST_F(SplitEnteredPathTest, DoubleByteNamesWithBackslashTrailBytes) {
  MakeFolder("表示\\表");
  const EnteredPath split = SplitEnteredPath(root_ / "表示\\表");
  EXPECT_EQ(split.folder, root_.path().substr(2) + "\\表示\\表");
  EXPECT_EQ(split.file, "");
}

}  // namespace
