// Shared set-up for tests of the file-browsing controls.
#include "tests/support/FileCtrlFixture.h"

#include <windows.h>

#include <algorithm>

#include "runtime/MbcsText.h"

void FileCtrlTest::SetUp() {
  InitializeApplication();
  char current[MAX_PATH] = "";
  GetCurrentDirectoryA(sizeof current, current);
  savedDirectory_ = current;
  SetCurrentDirectoryA(root_.path().c_str());
  form_ = new TForm(Application);
  form_->SetBounds(20, 20, 600, 400);
  form_->Font().SetName("ＭＳ Ｐゴシック");
  form_->Font().SetHeight(-12);
  form_->Show();
}

void FileCtrlTest::TearDown() {
  delete form_;
  Pump();
  SetCurrentDirectoryA(savedDirectory_.c_str());
}

std::string FileCtrlTest::MakeFolder(const std::string& relative, DWORD attributes) {
  // Each part is made in turn; "\\" is found double-byte aware, so that the
  // trail byte 0x5C of a name such as 表示 is not taken for a separator.
  std::string path = root_.path() + "\\";
  for (size_t i = 0; i <= relative.size(); ++i) {
    if (i == relative.size() || relative[i] == '\\') {
      CreateDirectoryA(path.c_str(), nullptr);
      if (i < relative.size()) path += '\\';
      continue;
    }
    path += relative[i];
    if (IsLeadByte(relative[i]) && i + 1 < relative.size()) path += relative[++i];
  }
  if (attributes) SetFileAttributesA(path.c_str(), attributes);
  return path;
}

bool FileCtrlTest::MakeCaseTwinFolder(const std::string& relative) {
  using UnixFileName = char*(CDECL*)(const WCHAR*);
  const auto unixFileName = reinterpret_cast<UnixFileName>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  if (!unixFileName) return false;
  const std::string& folder = root_.path();
  std::wstring wideFolder(folder.size() + 1, L'\0');
  wideFolder.resize(static_cast<size_t>(MultiByteToWideChar(CP_ACP, 0, folder.data(), static_cast<int>(folder.size()),
                                                            wideFolder.data(), static_cast<int>(wideFolder.size()))));
  char* unixFolder = unixFileName(wideFolder.c_str());  // UTF-8, from the process heap
  if (!unixFolder) return false;
  const std::string prefix = "\\\\?\\unix\\";
  std::string path = unixFolder + ("/" + relative);
  HeapFree(GetProcessHeap(), 0, unixFolder);
  std::replace(path.begin(), path.end(), '\\', '/');
  path = prefix + path;
  std::wstring widePath(path.size() + 1, L'\0');
  widePath.resize(static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, path.data(), static_cast<int>(path.size()),
                                                          widePath.data(), static_cast<int>(widePath.size()))));
  return CreateDirectoryW(widePath.c_str(), nullptr) != FALSE;
}

std::string FileCtrlTest::MakeFile(const std::string& relative, DWORD attributes) {
  const std::string path = root_ / relative;
  WriteFileBytes(path, "{\\rtf1 test}\r\n");
  if (attributes) SetFileAttributesA(path.c_str(), attributes);
  return path;
}

void FileCtrlTest::Pump() {
  if (Application) Application->ProcessMessages();
}
