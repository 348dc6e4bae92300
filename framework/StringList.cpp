// TStringList over a vector of items, compared with CompareStringA in the user's locale.
#include "framework/StringList.h"

#include <windows.h>

#include <algorithm>

#include "runtime/Exceptions.h"
#include "runtime/ResourceStrings.h"
#include "stream/LayoutDecoder.h"

const ClassInfo TStringList::kClassInfo{"TStringList", &TPersistent::kClassInfo};

int TStringList::Compare(const std::string& a, const std::string& b) const {
  const int result = CompareStringA(LOCALE_USER_DEFAULT, caseSensitive_ ? 0 : NORM_IGNORECASE, a.data(),
                                    static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()));
  if (result == 0) return a.compare(b);  // the call failed: byte order still gives a consistent sort
  return result - CSTR_EQUAL;
}

int TStringList::SortedPlace(const std::string& text, bool& found) const {
  const auto after =
      std::upper_bound(items_.begin(), items_.end(), text,
                       [this](const std::string& t, const Item& item) { return Compare(t, item.text) < 0; });
  found = after != items_.begin() && Compare((after - 1)->text, text) == 0;
  return static_cast<int>(after - items_.begin());
}

void TStringList::Sort() {
  const auto less = [this](const Item& a, const Item& b) { return Compare(a.text, b.text) < 0; };
  if (std::is_sorted(items_.begin(), items_.end(), less)) return;
  std::stable_sort(items_.begin(), items_.end(), less);
  Changed();
}

void TStringList::CheckIndex(int index, int count) const {
  if (index < 0 || index >= count) throw EListError(FormatResString(strings::kListIndexError, index));
}

void TStringList::Changed() {
  if (updateCount_ > 0) {
    changedDuringUpdate_ = true;
    return;
  }
  if (OnChange) OnChange(*this);
}

void TStringList::EndUpdate() {
  if (updateCount_ == 0 || --updateCount_ > 0) return;
  if (changedDuringUpdate_) {
    changedDuringUpdate_ = false;
    Changed();
  }
}

int TStringList::AddObject(const std::string& text, void* object) {
  int index = Count();
  if (sorted_) {
    bool found = false;
    index = SortedPlace(text, found);
    if (found) {
      switch (duplicates_) {
        case dupIgnore:
          return index - 1;
        case dupError:
          throw EListError(kDuplicateStringError);
        case dupAccept:
          break;
      }
    }
  }
  items_.insert(items_.begin() + index, Item{text, object});
  Changed();
  return index;
}

void TStringList::Insert(int index, const std::string& text) {
  if (sorted_) throw EListError(kSortedListError);
  CheckIndex(index, Count() + 1);
  items_.insert(items_.begin() + index, Item{text, nullptr});
  Changed();
}

void TStringList::Delete(int index) {
  CheckIndex(index, Count());
  items_.erase(items_.begin() + index);
  Changed();
}

void TStringList::Clear() {
  if (items_.empty()) return;
  items_.clear();
  Changed();
}

const std::string& TStringList::Get(int index) const {
  CheckIndex(index, Count());
  return items_[static_cast<size_t>(index)].text;
}

void TStringList::Put(int index, const std::string& text) {
  if (sorted_) throw EListError(kSortedListError);
  CheckIndex(index, Count());
  std::string& item = items_[static_cast<size_t>(index)].text;
  if (item == text) return;
  item = text;
  Changed();
}

void* TStringList::Objects(int index) const {
  CheckIndex(index, Count());
  return items_[static_cast<size_t>(index)].object;
}

void TStringList::SetObjects(int index, void* object) {
  CheckIndex(index, Count());
  void*& item = items_[static_cast<size_t>(index)].object;
  if (item == object) return;
  item = object;
  Changed();
}

int TStringList::IndexOf(const std::string& text) const {
  for (size_t i = 0; i < items_.size(); ++i) {
    const std::string& item = items_[i].text;
    if (caseSensitive_
            ? item == text
            : CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, item.data(), static_cast<int>(item.size()),
                             text.data(), static_cast<int>(text.size())) == CSTR_EQUAL)
      return static_cast<int>(i);
  }
  return -1;
}

void TStringList::SetSorted(bool sorted) {
  if (sorted == sorted_) return;
  sorted_ = sorted;
  if (sorted_) Sort();
}

void TStringList::SetCaseSensitive(bool caseSensitive) {
  if (caseSensitive == caseSensitive_) return;
  caseSensitive_ = caseSensitive;
  if (sorted_) Sort();
}

std::string TStringList::Text() const {
  std::string text;
  for (const Item& item : items_) {
    text += item.text;
    text += "\r\n";
  }
  return text;
}

void TStringList::SetText(const std::string& text) {
  BeginUpdate();
  try {
    Clear();
    // A byte scan is safe here: CR and LF never occur as the second byte of a
    // Shift-JIS character (those are 0x40 and above).
    size_t start = 0;
    while (start < text.size()) {
      const size_t end = text.find_first_of("\r\n", start);
      if (end == std::string::npos) {
        Add(text.substr(start));
        break;
      }
      Add(text.substr(start, end - start));
      start = end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
    }
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

bool TStringList::ReadExtraProperty(std::string_view name, LayoutDecoder& decoder) {
  if (name.size() != 7 ||
      CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, name.data(), 7, "Strings", 7) != CSTR_EQUAL)
    return false;
  BeginUpdate();
  try {
    Clear();
    decoder.ReadListStart();
    while (!decoder.AtEndOfList()) Add(decoder.ReadString());
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
  return true;
}
