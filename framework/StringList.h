// TStringList: a list of Shift-JIS strings, each with an object pointer, optionally kept sorted.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "framework/Persistent.h"

// What Add does on a sorted list with a string that is already there.
enum TDuplicates { dupIgnore, dupAccept, dupError };

// EListError messages that have no entry in the string table.
inline constexpr char kSortedListError[] = "ｿｰﾄされたﾘｽﾄではこの操作は実行できません";
inline constexpr char kDuplicateStringError[] = "ﾘｽﾄには重複した文字列を追加できません";

class TStringList : public TPersistent {
public:
  static const ClassInfo kClassInfo;
  const ClassInfo& classInfo() const override { return kClassInfo; }
  // Layouts store the lines as Strings: a list of strings.
  bool ReadExtraProperty(std::string_view name, LayoutDecoder& decoder) override;

  TStringList() = default;
  TStringList(const TStringList&) = delete;
  TStringList& operator=(const TStringList&) = delete;

  int Count() const { return static_cast<int>(items_.size()); }

  // Appends, or on a sorted list inserts at its place; the index it went to.
  // A duplicate on a sorted list follows Duplicates (its index for dupIgnore).
  int Add(const std::string& text) { return AddObject(text, nullptr); }
  int AddObject(const std::string& text, void* object);
  // EListError on a sorted list, whose order decides places.
  void Insert(int index, const std::string& text);
  void Delete(int index);
  void Clear();

  const std::string& Get(int index) const;
  const std::string& operator[](int index) const { return Get(index); }
  // EListError on a sorted list.
  void Put(int index, const std::string& text);
  void* Objects(int index) const;
  void SetObjects(int index, void* object);  // not owned

  // The first index of `text`, or -1: byte for byte when CaseSensitive, else
  // equal for CompareStringA with NORM_IGNORECASE.
  int IndexOf(const std::string& text) const;

  bool Sorted() const { return sorted_; }
  // Sorting keeps strings that compare equal in the order they had.
  void SetSorted(bool sorted);
  // Duplicates are looked for only in sorted lists: an unsorted list keeps
  // whatever it is given, as list boxes and memos need.
  TDuplicates Duplicates() const { return duplicates_; }
  void SetDuplicates(TDuplicates duplicates) { duplicates_ = duplicates; }
  // Governs IndexOf, sorting and duplicates; a sorted list is sorted again when it changes.
  bool CaseSensitive() const { return caseSensitive_; }
  void SetCaseSensitive(bool caseSensitive);

  // Every line followed by CR LF.
  std::string Text() const;
  // Replaces the lines with those of `text`, split at CR LF, LF or CR; a line
  // break at the very end does not start another line.
  void SetText(const std::string& text);

  // OnChange waits until the outermost EndUpdate, and is called then if anything changed.
  void BeginUpdate() { ++updateCount_; }
  void EndUpdate();

  std::function<void(TStringList&)> OnChange;

private:
  struct Item {
    std::string text;
    void* object;  // not owned
  };

  // <0, 0, >0 as CompareStringA orders the two in the user's locale.
  int Compare(const std::string& a, const std::string& b) const;
  // Index of the first item that sorts after `text`; `found` tells whether one equal to it precedes.
  int SortedPlace(const std::string& text, bool& found) const;
  void Sort();
  void CheckIndex(int index, int count) const;
  void Changed();

  std::vector<Item> items_;
  bool sorted_ = false;
  TDuplicates duplicates_ = dupIgnore;
  bool caseSensitive_ = false;
  int updateCount_ = 0;
  bool changedDuringUpdate_ = false;
};
