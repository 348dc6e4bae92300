// Exact wide-to-ANSI names over WideCharToMultiByte and MultiByteToWideChar, and the order of names in lists.
#include "runtime/AnsiNames.h"

#include <windows.h>

#include <cstdio>

#include "runtime/MbcsText.h"

namespace {

constexpr char kUnusableName[] = "このファイル名はコード ページ %u では使えません。";
constexpr char kUnusableNameReason[] =
    "このコード ページで表せない文字が「?」になっています。"
    "ファイル名を変更してから、もう一度変換してください。";

// How the lists compare names, in the user's default locale.
constexpr DWORD kListOrderFlags = NORM_IGNORECASE;

}  // namespace

std::wstring ToWide(std::string_view ansi) {
  if (ansi.empty()) return {};
  const int length = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), wide.data(), length);
  return wide;
}

bool ToExactAnsi(std::wstring_view wide, std::string* ansi) {
  ansi->clear();
  if (wide.empty()) return true;
  const int wideLength = static_cast<int>(wide.size());
  // No best fit: a character the code page lacks becomes the default "?".
  const int length =
      WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), wideLength, nullptr, 0, "?", nullptr);
  ansi->resize(static_cast<size_t>(length));
  BOOL usedDefault = FALSE;
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), wideLength, ansi->data(), length, "?", &usedDefault);
  // The way back decides: a code page may map a character one way only.
  return !usedDefault && length > 0 && ToWide(*ansi) == wide;
}

bool HasUnusableCharacter(std::string_view path) {
  if (path.substr(0, kVerbatimPrefix.size()) == kVerbatimPrefix) path.remove_prefix(kVerbatimPrefix.size());
  // Neither is ever a trail byte, so a plain search finds them.
  return path.find_first_of("?*") != std::string_view::npos;
}

std::string UnusableNameText(std::string_view path) {
  char what[160];
  std::snprintf(what, sizeof what, kUnusableName, GetACP());
  return std::string(what) + "\n" + std::string(path) + "\n" + kUnusableNameReason;
}

bool ListedBefore(std::wstring_view a, std::wstring_view b) {
  return CompareStringW(LOCALE_USER_DEFAULT, kListOrderFlags, a.data(), static_cast<int>(a.size()), b.data(),
                        static_cast<int>(b.size())) == CSTR_LESS_THAN;
}

bool ListedBefore(std::string_view a, std::string_view b) {
  return CompareWithLocale(a, b, kListOrderFlags) < 0;
}
