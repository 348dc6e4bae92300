// Wildcard patterns against long file names.
#include "convert/WildcardMatch.h"

#include <gtest/gtest.h>

namespace {

TEST(WildcardMatch, StarAndQuestionMarkTakeWholeCharactersOfTheLongName) {
  // "*.rtf" means names ending in .rtf, not x.rtfx (whose short name would match).
  EXPECT_TRUE(MatchesWildcard(L"*.RTF", L"X.RTF"));
  EXPECT_TRUE(MatchesWildcard(L"*.RTF", L"A.B.RTF"));
  EXPECT_TRUE(MatchesWildcard(L"*.RTF", L".RTF"));
  EXPECT_FALSE(MatchesWildcard(L"*.RTF", L"X.RTFX"));
  EXPECT_FALSE(MatchesWildcard(L"*.RTF", L"XRTF"));
  EXPECT_TRUE(MatchesWildcard(L"A*B*C", L"AXBYBZC"));
  EXPECT_FALSE(MatchesWildcard(L"A*B*C", L"AXBYBZ"));
  EXPECT_TRUE(MatchesWildcard(L"**", L""));
  // "?" is exactly one character: a double-byte one ("表") and a surrogate pair too.
  EXPECT_TRUE(MatchesWildcard(L"\u8868?.RTF", L"\u88681.RTF"));
  EXPECT_FALSE(MatchesWildcard(L"\u8868?.RTF", L"\u886810.RTF"));
  EXPECT_FALSE(MatchesWildcard(L"\u8868?.RTF", L"\u8868.RTF"));
  EXPECT_TRUE(MatchesWildcard(L"?.RTF", L"\u8868.RTF"));
  EXPECT_TRUE(MatchesWildcard(L"?.RTF", L"\xD83D\xDE00.RTF"));
  EXPECT_FALSE(MatchesWildcard(L"??.RTF", L"\xD83D\xDE00.RTF"));
  EXPECT_FALSE(MatchesWildcard(L"*\xDE00.RTF", L"\xD83D\xDE00.RTF"));
  // The comparison is exact: the caller folds the letter case.
  EXPECT_FALSE(MatchesWildcard(L"*.RTF", L"X.rtf"));
}

TEST(WildcardMatch, ADotOnlyStarsFollowAlsoMatchesTheEndOfTheName) {
  EXPECT_TRUE(MatchesWildcard(L"*.*", L"NOEXT"));
  EXPECT_TRUE(MatchesWildcard(L"*.*", L"A.B"));
  EXPECT_TRUE(MatchesWildcard(L"DOC.*", L"DOC"));
  EXPECT_TRUE(MatchesWildcard(L"*.", L"NOEXT"));
  EXPECT_FALSE(MatchesWildcard(L"*.", L"A.B"));
  EXPECT_TRUE(MatchesWildcard(L"DOC.", L"DOC"));
  EXPECT_FALSE(MatchesWildcard(L"DOC.*", L"DOCX"));
  EXPECT_FALSE(MatchesWildcard(L"*.?", L"NOEXT"));
}

}  // namespace
