// The Convert button's command: the conversion with message boxes as its dialogs.
#include "main/ConvertCommand.h"

#include "app/MessageBox.h"
#include "convert/Conversion.h"
#include "main/ProgramTitle.h"

namespace {

constexpr char kOverwriteQuestion[] = "変換先に同名ファイルが存在します。\n上書きしてもよろしいでしょうか。";
constexpr char kOverwriteCaption[] = "確認";

class MessageBoxDialogs : public ConversionDialogs {
public:
  explicit MessageBoxDialogs(HWND owner) : owner_(owner) {}
  bool ConfirmOverwrite(const std::string&) override {
    // Only the OK button allows an existing file to be replaced: not Cancel,
    // Escape or the close box, and not a question that could not be shown.
    return ShowMessageBox(kOverwriteQuestion, kOverwriteCaption, MB_OKCANCEL, owner_) == IDOK;
  }
  void ShowFailure(const std::string& message) override {
    ShowMessageBox(message, kProgramTitle, MB_OK | MB_ICONSTOP, owner_);
  }

private:
  HWND owner_;  // not owned
};

}  // namespace

void Convert(const std::string& sourcePath, const std::string& destinationFolder, bool appendSuffix,
             const std::string& suffix, HWND owner) {
  MessageBoxDialogs dialogs(owner);
  ConvertDocument(ConversionRequest{sourcePath, destinationFolder, appendSuffix, suffix}, dialogs);
}
