// bench_filectrl FOLDER [RUNS]: how long the file list box and the directory
// list box take to fill for FOLDER, next to the limit measured in the same
// run: a bare loop that searches the folder and adds the same names to a plain
// sorted list box. Prints "name milliseconds" lines (best of RUNS).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "FileCtrl/FileCtrl.h"
#include "app/Application.h"
#include "runtime/UniqueHandle.h"

namespace {

double BestMilliseconds(int runs, const std::function<void()>& work) {
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  double best = 1e300;
  for (int run = 0; run < runs; ++run) {
    QueryPerformanceCounter(&start);
    work();
    QueryPerformanceCounter(&end);
    const double ms = 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
    if (ms < best) best = ms;
  }
  return best;
}

// The limit: the same search and the same sorted adds, nothing else.
int BareFill(HWND list, const std::string& pattern, bool folders) {
  SendMessageA(list, LB_RESETCONTENT, 0, 0);
  WIN32_FIND_DATAA found;
  UniqueFindHandle search(FindFirstFileA(pattern.c_str(), &found));
  if (!search) return 0;
  do {
    const bool folder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (folder != folders || found.cFileName[0] == '.') continue;
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(found.cFileName));
  } while (FindNextFileA(search.get(), &found));
  return static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: bench_filectrl FOLDER [RUNS]\n");
    return 2;
  }
  const std::string folder = argv[1];
  const int runs = argc > 2 ? std::atoi(argv[2]) : 3;
  InitializeApplication();
  auto* form = new TForm(Application);
  form->SetBounds(0, 0, 400, 400);
  form->Show();

  HWND bare = CreateWindowExA(0, "LISTBOX", "", WS_CHILD | WS_VISIBLE | LBS_SORT | LBS_HASSTRINGS, 0, 0, 150, 300,
                              form->Handle(), nullptr, GetModuleHandleA(nullptr), nullptr);
  int bareFiles = 0, bareFolders = 0;
  const double bareFileMs = BestMilliseconds(runs, [&] { bareFiles = BareFill(bare, folder + "\\*.rtf", false); });
  const double bareFolderMs = BestMilliseconds(runs, [&] { bareFolders = BareFill(bare, folder + "\\*.*", true); });

  auto* files = new TFileListBox(form);
  files->SetParent(form);
  files->SetMask("*.rtf");
  files->SetBounds(160, 0, 150, 300);
  int fileItems = 0;
  const double fileMs = BestMilliseconds(runs, [&] {
    files->MoveToFolder(folder);
    files->FillItems();
    fileItems = files->ItemCount();
  });

  auto* folders = new TDirectoryListBox(form);
  folders->SetParent(form);
  folders->SetBounds(0, 0, 150, 300);
  folders->HandleNeeded();
  int folderItems = 0;
  const double folderMs = BestMilliseconds(runs, [&] {
    folders->SetCurrentFolder(folder);
    folders->FillItems();
    folderItems = folders->ItemCount();
  });

  std::printf("files %d %d\n", fileItems, bareFiles);
  std::printf("folders %d %d\n", folderItems, bareFolders);
  std::printf("file_list_ms %.1f\n", fileMs);
  std::printf("bare_files_ms %.1f\n", bareFileMs);
  std::printf("directory_list_ms %.1f\n", folderMs);
  std::printf("bare_folders_ms %.1f\n", bareFolderMs);
  delete form;
  return 0;
}
