// bench_filectrl FOLDER [RUNS]: how long the file list box and the directory
// list box take to fill for FOLDER, next to two baselines measured in the same
// run:
//  - raw: a loop that makes the same search and adds the same names, each with
//    its item data, to a LISTBOX created with the very styles of the control's
//    own window (owner-drawn, fixed height, with strings; sorted for the file
//    list), redrawing switched off around the fill as the control does;
//  - plain: the same names added to a plain sorted LISTBOX (no owner drawing,
//    no item data, redrawing left on).
// The pieces take turns in each of RUNS rounds. Prints "name value" lines
// (times in milliseconds, best of the rounds).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "FileCtrl/FileCtrl.h"
#include "app/Application.h"
#include "runtime/UniqueHandle.h"

namespace {

double Milliseconds(const std::function<void()>& work) {
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  work();
  QueryPerformanceCounter(&end);
  return 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The best time of each piece of work over `runs` rounds; the pieces take
// turns within a round, so that the load of a busy machine falls on all alike.
std::vector<double> BestOfRounds(int runs, const std::vector<std::function<void()>>& works) {
  std::vector<double> best(works.size(), 1e300);
  for (int run = 0; run < runs; ++run)
    for (size_t i = 0; i < works.size(); ++i) best[i] = std::min(best[i], Milliseconds(works[i]));
  return best;
}

// The file list's search: "*.rtf" relative to the current directory, plain
// files only (the control's default attribute choice).
template <typename Add>
void SearchFiles(Add add) {
  WIN32_FIND_DATAA found;
  UniqueFindHandle search(FindFirstFileA("*.rtf", &found));
  if (!search) return;
  do {
    if (found.dwFileAttributes &
        (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | 0x8 /* volume label */ | FILE_ATTRIBUTE_DIRECTORY))
      continue;
    add(found.cFileName);
  } while (FindNextFileA(search.get(), &found));
}

// The directory list's search: the folder's visible subfolders, "." and ".." left out.
template <typename Add>
void SearchFolders(const std::string& folder, Add add) {
  WIN32_FIND_DATAA found;
  UniqueFindHandle search(FindFirstFileExA((folder + "\\*.*").c_str(), FindExInfoStandard, &found,
                                           FindExSearchLimitToDirectories, nullptr, 0));
  if (!search) return;
  do {
    if (found.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) continue;
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
    if (!std::strcmp(found.cFileName, ".") || !std::strcmp(found.cFileName, "..")) continue;
    add(found.cFileName);
  } while (FindNextFileA(search.get(), &found));
}

// A list box child of `parent` with the given window styles.
HWND MakeListBox(HWND parent, DWORD style, DWORD exStyle, int left) {
  return CreateWindowExA(exStyle, "LISTBOX", "", style, left, 0, 150, 300, parent, nullptr, GetModuleHandleA(nullptr),
                         nullptr);
}

// The raw loop: every name added with its item data, redrawing off meanwhile.
template <typename Search>
int RawFill(HWND list, Search search) {
  static int itemData;
  SendMessageA(list, WM_SETREDRAW, FALSE, 0);
  SendMessageA(list, LB_RESETCONTENT, 0, 0);
  search([&](const char* name) {
    const LRESULT place = SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    SendMessageA(list, LB_SETITEMDATA, place, reinterpret_cast<LPARAM>(&itemData));
  });
  SendMessageA(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
  return static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
}

// The plain loop: the names alone, into a sorted list box that redraws.
template <typename Search>
int PlainFill(HWND list, Search search) {
  SendMessageA(list, LB_RESETCONTENT, 0, 0);
  search([&](const char* name) { SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name)); });
  return static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: bench_filectrl FOLDER [RUNS]\n");
    return 2;
  }
  const std::string folder = argv[1];
  const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
  InitializeApplication();
  auto* form = new TForm(Application);
  form->SetBounds(0, 0, 400, 400);
  form->Show();

  // The controls, moved to the folder before timing, so that each timed run
  // is one fill.
  auto* files = new TFileListBox(form);
  files->SetParent(form);
  files->SetMask("*.rtf");
  files->SetBounds(0, 0, 150, 300);
  files->MoveToFolder(folder);
  auto* folders = new TDirectoryListBox(form);
  folders->SetParent(form);
  folders->SetBounds(160, 0, 150, 300);
  folders->SetCurrentFolder(folder);

  // The baselines' windows take the controls' own styles.
  auto styleOf = [](TWinControl* control) { return static_cast<DWORD>(GetWindowLongA(control->Handle(), GWL_STYLE)); };
  auto exStyleOf = [](TWinControl* control) {
    return static_cast<DWORD>(GetWindowLongA(control->Handle(), GWL_EXSTYLE));
  };
  // ... in a window of their own: a plain one, as a raw program has, which
  // answers its lists' notices (WM_DELETEITEM for every item a refill drops)
  // with DefWindowProcA.
  WNDCLASSEXA hostClass = {};
  hostClass.cbSize = sizeof hostClass;
  hostClass.lpfnWndProc = DefWindowProcA;
  hostClass.hInstance = GetModuleHandleA(nullptr);
  hostClass.lpszClassName = "BenchRawHost";
  RegisterClassExA(&hostClass);
  HWND host = CreateWindowExA(0, "BenchRawHost", "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 420, 500, 400, nullptr,
                              nullptr, GetModuleHandleA(nullptr), nullptr);
  HWND rawFiles = MakeListBox(host, styleOf(files), exStyleOf(files), 0);
  HWND rawFolders = MakeListBox(host, styleOf(folders), exStyleOf(folders), 160);
  HWND plain = MakeListBox(host, WS_CHILD | WS_VISIBLE | LBS_SORT | LBS_HASSTRINGS, 0, 320);
  SetCurrentDirectoryA(folder.c_str());

  int fileItems = 0, rawFileItems = 0, plainFileItems = 0;
  int folderItems = 0, rawFolderItems = 0, plainFolderItems = 0;
  auto searchFiles = [](auto add) { SearchFiles(add); };
  auto searchFolders = [&](auto add) { SearchFolders(folder, add); };
  const std::vector<double> ms = BestOfRounds(runs, {[&] {
                                                       files->FillItems();
                                                       fileItems = files->ItemCount();
                                                     },
                                                     [&] { rawFileItems = RawFill(rawFiles, searchFiles); },
                                                     [&] { plainFileItems = PlainFill(plain, searchFiles); },
                                                     [&] {
                                                       folders->FillItems();
                                                       folderItems = folders->ItemCount();
                                                     },
                                                     [&] { rawFolderItems = RawFill(rawFolders, searchFolders); },
                                                     [&] { plainFolderItems = PlainFill(plain, searchFolders); }});

  std::printf("file_styles %08lx %08lx\n", styleOf(files), exStyleOf(files));
  std::printf("folder_styles %08lx %08lx\n", styleOf(folders), exStyleOf(folders));
  std::printf("files %d %d %d\n", fileItems, rawFileItems, plainFileItems);
  std::printf("folders %d %d %d\n", folderItems, rawFolderItems, plainFolderItems);
  std::printf("file_list_ms %.1f\n", ms[0]);
  std::printf("raw_files_ms %.1f\n", ms[1]);
  std::printf("plain_files_ms %.1f\n", ms[2]);
  std::printf("directory_list_ms %.1f\n", ms[3]);
  std::printf("raw_folders_ms %.1f\n", ms[4]);
  std::printf("plain_folders_ms %.1f\n", ms[5]);
  DestroyWindow(host);
  delete form;
  return 0;
}
