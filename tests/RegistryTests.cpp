// The registry-backed settings file against Wine's real registry, each test
// on a scratch key below HKEY_CURRENT_USER that it deletes again.
#include "Registry/RegIniFile.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "runtime/Exceptions.h"
#include "tests/support/RegistryValues.h"

namespace {

constexpr char kScratch[] = "Software\\QuorvelTests";

class RegistryTest : public ::testing::Test {
protected:
  void SetUp() override { RegDeleteTreeA(HKEY_CURRENT_USER, kScratch); }
  void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, kScratch); }

  // Stores raw data as a value of the scratch key's section "Base".
  void Store(const std::string& name, DWORD type, const void* data, DWORD size) {
    StoreRegistryValue(key_ + "\\Base", name, type, data, size);
  }
  void StoreText(const std::string& name, const std::string& text) { StoreRegistryText(key_ + "\\Base", name, text); }
  const std::string key_ = std::string(kScratch) + "\\Settings";
};

TEST_F(RegistryTest, CreationMakesTheKeyAndReadsCreateNothing) {
  TRegIniFile settings(key_);
  EXPECT_TRUE(RegistryKeyExists(key_));
  EXPECT_EQ(settings.OpenKeyPath(), key_);
  EXPECT_EQ(settings.ReadText("Base", "SourceFile", "none"), "none");
  EXPECT_FALSE(settings.ReadFlag("Base", "IsTextPlus", false));
  EXPECT_FALSE(RegistryKeyExists(key_ + "\\Base"));
  settings.WriteText("Base", "TextPlus", "_hcw");
  EXPECT_TRUE(RegistryKeyExists(key_ + "\\Base"));
  EXPECT_EQ(settings.ReadText("Base", "TextPlus", ""), "_hcw");
  EXPECT_EQ(settings.ReadText("Base", "Missing", "dflt"), "dflt");
}

TEST_F(RegistryTest, TextsAreStoredWithOneZeroByte) {
  TRegIniFile settings(key_);
  settings.WriteText("Base", "SourceFile", "C:\\表示\\a.rtf");
  settings.WriteFlag("Base", "On", true);
  settings.WriteFlag("Base", "Off", false);
  settings.WriteText("Base", "Empty", "");
  const auto stored = [&](const char* name) { return ReadRegistryValue(key_ + "\\Base", name); };
  ASSERT_TRUE(stored("SourceFile").keyFound);
  EXPECT_EQ(stored("SourceFile").type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(stored("SourceFile").data.size(), std::string("C:\\表示\\a.rtf").size() + 1);
  EXPECT_EQ(stored("On").data, std::string("1\0", 2));
  EXPECT_EQ(stored("Off").data, std::string("0\0", 2));
  EXPECT_EQ(stored("Empty").data.size(), 1u);
  EXPECT_EQ(settings.ReadText("Base", "SourceFile", ""), "C:\\表示\\a.rtf");
  EXPECT_EQ(settings.ReadText("Base", "Empty", "x"), "");
}

TEST_F(RegistryTest, FlagsAndNumbersFollowTheIntegerGrammar) {
  struct Case {
    const char* text;
    bool flagWithDefaultFalse;
    bool flagWithDefaultTrue;
  };
  const Case cases[] = {
      {"1", true, true},   {"-1", true, true},    {"2", true, true},     {"$1", true, true},   {"0x1", true, true},
      {"  1", true, true}, {"  0x1", true, true}, {"0", false, false},   {"00", false, false}, {"$0", false, false},
      {"", false, true},   {"yes", false, true},  {"true", false, true}, {"1 ", false, true},
  };
  TRegIniFile settings(key_);
  for (const Case& c : cases) {
    StoreText("Flag", c.text);
    EXPECT_EQ(settings.ReadFlag("Base", "Flag", false), c.flagWithDefaultFalse) << "[" << c.text << "]";
    EXPECT_EQ(settings.ReadFlag("Base", "Flag", true), c.flagWithDefaultTrue) << "[" << c.text << "]";
  }
  const struct {
    const char* text;
    int expected;
  } numbers[] = {
      {"0x1F", 31},       {"$1f", 31},       {"x10", 16},        {"-$10", -7}, {"-2147483648", -2147483647 - 1},
      {"2147483648", -7}, {"$FFFFFFFF", -1}, {"$100000000", -7}, {"+5", 5}};
  for (const auto& n : numbers) {
    StoreText("Number", n.text);
    EXPECT_EQ(settings.ReadNumber("Base", "Number", -7), n.expected) << n.text;
  }
}

TEST_F(RegistryTest, StoredDataOfEveryShape) {
  TRegIniFile settings(key_);
  Store("NoZero", REG_SZ, "abc", 3);
  Store("Zero", REG_SZ, "abc", 4);
  Store("NoData", REG_SZ, "", 0);
  Store("Expand", REG_EXPAND_SZ, "%TEMP%\\x", 10);
  const DWORD number = 1;
  Store("IsTextPlus", REG_DWORD, &number, sizeof number);
  EXPECT_EQ(settings.ReadText("Base", "NoZero", ""), "abc");
  EXPECT_EQ(settings.ReadText("Base", "Zero", ""), "abc");
  EXPECT_EQ(settings.ReadText("Base", "NoData", "x"), "");
  EXPECT_EQ(settings.ReadText("Base", "Expand", ""), "%TEMP%\\x");
  try {
    settings.ReadFlag("Base", "IsTextPlus", false);
    FAIL() << "no error";
  } catch (const ERegistryException& error) {
    EXPECT_EQ(error.Message(), "'IsTextPlus' のﾃﾞｰﾀ型が不正です");
  }
  // The settings key stays open afterwards; the section frame put it back.
  EXPECT_EQ(settings.OpenKeyPath(), key_);
  EXPECT_EQ(settings.ReadText("Base", "Zero", ""), "abc");
}

TEST_F(RegistryTest, PathsBeginningWithABackslashStartAtTheRoot) {
  TRegIniFile settings(key_);
  settings.WriteText(std::string("\\") + kScratch + "\\Elsewhere", "Name", "v");
  EXPECT_TRUE(RegistryKeyExists(std::string(kScratch) + "\\Elsewhere"));
  EXPECT_FALSE(RegistryKeyExists(key_ + "\\" + kScratch));
  EXPECT_EQ(settings.ReadText(std::string("\\") + kScratch + "\\Elsewhere", "Name", ""), "v");
  TRegistry registry;
  EXPECT_TRUE(registry.OpenPath(std::string("\\") + kScratch, false));
  EXPECT_EQ(registry.OpenKeyPath(), kScratch);
  EXPECT_TRUE(registry.OpenPath("Settings", false));  // relative to the open key
  EXPECT_EQ(registry.OpenKeyPath(), key_);
  EXPECT_FALSE(registry.OpenPath("NoSuchKey", false));
  EXPECT_EQ(registry.OpenKeyPath(), key_);
}

TEST_F(RegistryTest, NothingIsWrittenOutsideTheSettingsKey) {
  // A key path that cannot be created: reads give defaults, writes raise.
  const std::string impossible = std::string(kScratch) + "\\" + std::string(300, 'k') + "\\Quorvel";
  TRegIniFile settings(impossible);
  EXPECT_EQ(settings.OpenKeyPath(), "");
  EXPECT_EQ(settings.ReadText("Base", "TextPlus", "d"), "d");
  try {
    settings.WriteText("Base", "TextPlus", "x");
    FAIL() << "no error";
  } catch (const ERegistryException& error) {
    EXPECT_EQ(error.Message(), "ｷｰ " + impossible + " の作成に失敗しました");
  }
  EXPECT_THROW(settings.WriteFlag("Base", "IsTextPlus", true), ERegistryException);
  EXPECT_FALSE(RegistryKeyExists("Base"));
}

}  // namespace
