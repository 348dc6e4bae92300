// Helpers shared by the drive combo box, the directory list box and the file
// list box: paths joined and split (double-byte aware, through MbcsText), the
// current directory and its failures, text fitted to a width, and the
// controls' images.
#pragma once

#include <string>
#include <string_view>

#include "runtime/MbcsText.h"

class TBitmap;
class TCanvas;
class TFont;

// folder + name, with one "\" between them unless folder ends in one.
std::string JoinWithSeparator(std::string_view folder, std::string_view name);
// The number of "\" characters in a path.
int FolderDepth(std::string_view path);
// The cell height of a font's text (GetTextMetricsA on a screen DC).
int FontTextHeight(TFont& font);

// "C:" for a path with a drive letter, "\\server\share" for a network path,
// otherwise empty.
std::string DrivePart(std::string_view path);

// The lower-cased extension of a name with its dot, or empty when the last of
// ".", "\" and ":" in it is not a dot.
std::string LowerExtension(const std::string& name);

// The process's current directory (GetCurrentDirectoryA), however long.
std::string CurrentDirectory();
// True for a path that names its place without the current directory: a drive
// and its root ("C:\DOCS") or a network path ("\\server\share").
bool IsFullPath(std::string_view path);
// SetCurrentDirectoryA, raising EInOutError with the system's code on failure.
void ChangeDirectory(const std::string& path);
// Changes to the folder the system remembers as current on a drive ("C:"),
// or to the drive's root when that folder cannot be entered any more.
void ChangeToDrive(const std::string& drive);
// Raises EInOutError for a path in which a name the code page cannot hold
// reads "?", with the advice to rename it.
[[noreturn]] void RaiseUnusableName(const std::string& path);

struct EnteredPath {
  char drive = 0;  // 0: none
  std::string folder;
  std::string file;
};
// Splits what a user or the settings give as a path into drive, folder part
// and file part, trying each step by changing the current directory, which is
// put back at the end (unless it has gone from the disk meanwhile). A folder
// holding "?" or "*" is refused with the advice for unusable names.
EnteredPath SplitEnteredPath(const std::string& text);

// Cuts the first folder of a path's folder part ("\A\B\" -> "\...\B\").
std::string CutFirstFolder(std::string text);
// The path shortened with "..." until its text fits `limit` pixels on `canvas`.
std::string ShortenPathToWidth(const std::string& path, TCanvas& canvas, int limit);

// Loads a bitmap resource of the program by name into `bitmap`; an image that
// cannot be loaded leaves the bitmap as it is.
void LoadResourceImage(TBitmap& bitmap, const char* name);
// Draws an image at (x, y) with its lower-left pixel's colour painted in the
// canvas's brush colour instead.
void DrawTransparentImage(TCanvas& canvas, int x, int y, TBitmap& image);
