// TStringList: sorting in the user's locale, duplicates, text lines, index errors and change notices.
#include "framework/StringList.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/Exceptions.h"

namespace {

std::vector<std::string> Lines(const TStringList& list) {
  std::vector<std::string> lines;
  for (int i = 0; i < list.Count(); ++i) lines.push_back(list[i]);
  return lines;
}

void Fill(TStringList& list, const std::vector<std::string>& lines) {
  for (const std::string& line : lines) list.Add(line);
}

int CompareIgnoringCase(const std::string& a, const std::string& b) {
  return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()), b.data(),
                        static_cast<int>(b.size()));
}

// The message of the EListError that `action` raises.
template <class Action>
std::string ListErrorOf(Action action) {
  try {
    action();
  } catch (const EListError& error) {
    return error.Message();
  }
  return "(nothing raised)";
}

}  // namespace

TEST(StringList, SortedListOrdersJapaneseTextAsCompareStringADoes) {
  const std::vector<std::string> expected = {"A", "b", "C", "あいう", "ソフト", "表示"};
  // The locale really orders them so (Latin, then kana, then kanji; letters without case).
  for (size_t i = 1; i < expected.size(); ++i)
    EXPECT_EQ(CompareIgnoringCase(expected[i - 1], expected[i]), CSTR_LESS_THAN)
        << expected[i - 1] << " " << expected[i];

  TStringList list;
  list.SetSorted(true);
  Fill(list, {"表示", "b", "ソフト", "C", "あいう", "A"});
  EXPECT_EQ(Lines(list), expected);
}

TEST(StringList, AddToASortedListReturnsTheSortedPlace) {
  TStringList list;
  list.SetSorted(true);
  Fill(list, {"b", "d"});
  EXPECT_EQ(list.Add("c"), 1);
  EXPECT_EQ(list.Add("a"), 0);
  EXPECT_EQ(list.Add("表"), 4);
  EXPECT_EQ(Lines(list), (std::vector<std::string>{"a", "b", "c", "d", "表"}));
}

TEST(StringList, SortingALoadedListKeepsEqualStringsInTheirOrder) {
  TStringList list;
  int first = 1, second = 2, third = 3;
  list.AddObject("Beta", &first);
  list.AddObject("alpha", &second);
  list.AddObject("BETA", &third);
  list.SetDuplicates(dupAccept);
  list.SetSorted(true);
  EXPECT_EQ(Lines(list), (std::vector<std::string>{"alpha", "Beta", "BETA"}));
  EXPECT_EQ(list.Objects(0), &second);
  EXPECT_EQ(list.Objects(1), &first);
  EXPECT_EQ(list.Objects(2), &third);
}

TEST(StringList, CaseSensitiveSortFollowsCompareStringAWithoutFlags) {
  TStringList list;
  list.SetCaseSensitive(true);
  list.SetSorted(true);
  Fill(list, {"B", "a", "b", "A"});
  const std::vector<std::string> lines = Lines(list);
  for (size_t i = 1; i < lines.size(); ++i)
    EXPECT_EQ(CompareStringA(LOCALE_USER_DEFAULT, 0, lines[i - 1].c_str(), -1, lines[i].c_str(), -1), CSTR_LESS_THAN)
        << lines[i - 1] << " " << lines[i];
  EXPECT_EQ(list.Count(), 4);  // differing only in case, so no duplicates
  // Letters stay together whatever their case.
  EXPECT_TRUE(CompareIgnoringCase(lines[1], "a") == CSTR_EQUAL && CompareIgnoringCase(lines[2], "b") == CSTR_EQUAL);

  list.SetCaseSensitive(false);  // sorted again, equal letters in the order they had
  EXPECT_EQ(CompareIgnoringCase(list[0], "a"), CSTR_EQUAL);
  EXPECT_EQ(CompareIgnoringCase(list[3], "b"), CSTR_EQUAL);
}

TEST(StringList, IgnoredDuplicateIsNotAddedAndGivesTheIndexOfTheOneThere) {
  TStringList list;
  list.SetSorted(true);
  Fill(list, {"abc", "xyz"});
  EXPECT_EQ(list.Add("ABC"), 0);
  EXPECT_EQ(list.Add("xyz"), 1);
  EXPECT_EQ(Lines(list), (std::vector<std::string>{"abc", "xyz"}));
}

TEST(StringList, AcceptedDuplicateGoesAfterTheEqualOnes) {
  TStringList list;
  list.SetSorted(true);
  list.SetDuplicates(dupAccept);
  int first = 1, second = 2;
  list.AddObject("表示", &first);
  list.Add("あ");
  EXPECT_EQ(list.AddObject("表示", &second), 2);
  EXPECT_EQ(list.Objects(1), &first);
  EXPECT_EQ(list.Objects(2), &second);
}

TEST(StringList, DuplicateErrorRaisesEListErrorAndLeavesTheList) {
  TStringList list;
  list.SetSorted(true);
  list.SetDuplicates(dupError);
  Fill(list, {"one", "two"});
  EXPECT_EQ(ListErrorOf([&] { list.Add("ONE"); }), kDuplicateStringError);
  EXPECT_EQ(list.Count(), 2);
  list.SetCaseSensitive(true);
  EXPECT_EQ(list.Add("ONE"), 1);  // now a different string, after its lower case
  EXPECT_EQ(Lines(list), (std::vector<std::string>{"one", "ONE", "two"}));
}

TEST(StringList, UnsortedListKeepsDuplicatesWhateverTheSetting) {
  TStringList list;
  list.SetDuplicates(dupError);
  EXPECT_EQ(list.Add("same"), 0);
  EXPECT_EQ(list.Add("same"), 1);
  EXPECT_EQ(list.Count(), 2);
}

TEST(StringList, IndexOfIgnoresCaseUnlessCaseSensitive) {
  TStringList list;
  Fill(list, {"Quorvel", "表示", "ＡＢＣ", "abc"});
  EXPECT_EQ(list.IndexOf("quorVEL"), 0);
  EXPECT_EQ(list.IndexOf("表示"), 1);
  EXPECT_EQ(list.IndexOf("ABC"), 3);  // full width is another string
  EXPECT_EQ(list.IndexOf("ａｂｃ"), 2);
  EXPECT_EQ(list.IndexOf("表"), -1);
  list.SetCaseSensitive(true);
  EXPECT_EQ(list.IndexOf("quorVEL"), -1);
  EXPECT_EQ(list.IndexOf("Quorvel"), 0);
  EXPECT_EQ(list.IndexOf("ABC"), -1);
}

TEST(StringList, TextEndsEveryLineWithCrLf) {
  TStringList list;
  EXPECT_EQ(list.Text(), "");
  Fill(list, {"a", "表示", ""});
  EXPECT_EQ(list.Text(), "a\r\n表示\r\n\r\n");
}

TEST(StringList, SetTextSplitsAtCrLfLfAndCr) {
  TStringList list;
  const struct {
    const char* text;
    std::vector<std::string> lines;
  } cases[] = {
      {"a\r\nb\nc\rd", {"a", "b", "c", "d"}},
      {"a\r\n", {"a"}},
      {"a\r\n\r\n", {"a", ""}},
      {"a\n\r", {"a", ""}},  // LF, then a CR of its own
      {"a\r\rb", {"a", "", "b"}},
      {"\n", {""}},
      {"", {}},
      {"表示\r\nソ\\", {"表示", "ソ\\"}},  // 0x5C second bytes are not separators
  };
  for (const auto& c : cases) {
    list.SetText(c.text);
    EXPECT_EQ(Lines(list), c.lines) << c.text;
  }
  list.SetText("x\r\ny\r\n\r\nz");
  EXPECT_EQ(list.Text(), "x\r\ny\r\n\r\nz\r\n");
  list.SetText(list.Text());
  EXPECT_EQ(list.Text(), "x\r\ny\r\n\r\nz\r\n");
}

TEST(StringList, SetTextOnASortedListSortsAndDropsDuplicates) {
  TStringList list;
  list.SetSorted(true);
  list.SetText("表示\r\nb\r\nA\r\nB\r\n");
  EXPECT_EQ(Lines(list), (std::vector<std::string>{"A", "b", "表示"}));
}

TEST(StringList, IndexOutOfRangeRaisesEListErrorNamingTheIndex) {
  TStringList list;
  Fill(list, {"a", "b", "c"});
  EXPECT_EQ(ListErrorOf([&] { list.Get(3); }), "ﾘｽﾄのｲﾝﾃﾞｯｸｽが範囲を超えています (3)");
  EXPECT_EQ(ListErrorOf([&] { list[-1]; }), "ﾘｽﾄのｲﾝﾃﾞｯｸｽが範囲を超えています (-1)");
  EXPECT_EQ(ListErrorOf([&] { list.Put(5, "x"); }), "ﾘｽﾄのｲﾝﾃﾞｯｸｽが範囲を超えています (5)");
  EXPECT_EQ(ListErrorOf([&] { list.Delete(3); }), "ﾘｽﾄのｲﾝﾃﾞｯｸｽが範囲を超えています (3)");
  EXPECT_EQ(ListErrorOf([&] { list.Objects(7); }), "ﾘｽﾄのｲﾝﾃﾞｯｸｽが範囲を超えています (7)");
  EXPECT_EQ(ListErrorOf([&] { list.SetObjects(-2, nullptr); }), "ﾘｽﾄのｲﾝﾃﾞｯｸｽが範囲を超えています (-2)");
  EXPECT_EQ(ListErrorOf([&] { list.Insert(4, "x"); }), "ﾘｽﾄのｲﾝﾃﾞｯｸｽが範囲を超えています (4)");
  EXPECT_EQ(Lines(list), (std::vector<std::string>{"a", "b", "c"}));
  list.Insert(3, "d");  // the end is a place to insert
  list.Insert(0, "z");
  EXPECT_EQ(Lines(list), (std::vector<std::string>{"z", "a", "b", "c", "d"}));
  list.Delete(4);
  list.Put(0, "y");
  EXPECT_EQ(Lines(list), (std::vector<std::string>{"y", "a", "b", "c"}));
}

TEST(StringList, SortedListRefusesInsertAndPut) {
  TStringList list;
  list.SetSorted(true);
  Fill(list, {"a", "c"});
  EXPECT_EQ(ListErrorOf([&] { list.Insert(0, "z"); }), kSortedListError);
  EXPECT_EQ(ListErrorOf([&] { list.Put(0, "z"); }), kSortedListError);
  EXPECT_EQ(Lines(list), (std::vector<std::string>{"a", "c"}));
}

TEST(StringList, ObjectsStayWithTheirStringsAndAreNotOwned) {
  TStringList list;
  int one = 1, two = 2, three = 3;
  list.AddObject("c", &three);
  list.AddObject("a", &one);
  list.Insert(1, "b");
  list.SetObjects(1, &two);
  list.SetSorted(true);
  EXPECT_EQ(Lines(list), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(list.Objects(0), &one);
  EXPECT_EQ(list.Objects(1), &two);
  EXPECT_EQ(list.Objects(2), &three);
  list.Delete(1);
  list.Clear();
  EXPECT_EQ(two, 2);  // still ours to use
}

TEST(StringList, OnChangeFiresOncePerRealChange) {
  TStringList list;
  int changes = 0;
  list.OnChange = [&](TStringList& changed) {
    EXPECT_EQ(&changed, &list);
    ++changes;
  };
  list.Clear();
  EXPECT_EQ(changes, 0);
  list.Add("b");
  list.Add("a");
  list.Insert(0, "c");
  list.Put(0, "d");
  list.SetObjects(0, &changes);
  list.Delete(0);
  EXPECT_EQ(changes, 6);
  changes = 0;
  list.Put(0, "b");  // the same text
  list.SetObjects(0, nullptr);
  list.SetSorted(true);  // "a" and "b" change places
  EXPECT_EQ(changes, 1);
  list.SetSorted(false);
  list.SetSorted(true);  // already in order
  list.Add("a");         // an ignored duplicate
  list.Clear();
  EXPECT_EQ(changes, 2);
}

TEST(StringList, OnChangeWaitsForTheOutermostEndUpdate) {
  TStringList list;
  int changes = 0;
  list.OnChange = [&](TStringList&) { ++changes; };
  list.BeginUpdate();
  list.Add("a");
  list.BeginUpdate();
  list.Add("b");
  list.EndUpdate();
  list.Delete(0);
  EXPECT_EQ(changes, 0);
  list.EndUpdate();
  EXPECT_EQ(changes, 1);

  list.BeginUpdate();
  list.IndexOf("b");
  list.EndUpdate();
  EXPECT_EQ(changes, 1);  // nothing changed meanwhile

  list.SetText("x\r\ny\r\nz");
  EXPECT_EQ(changes, 2);
  list.EndUpdate();  // unbalanced: ignored
  list.Add("w");
  EXPECT_EQ(changes, 3);
}
