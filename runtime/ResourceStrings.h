// Framework messages from the program's string table, by number.
#pragma once

#include <string>

namespace strings {
// Numbers fixed by the program's design; the rest are ours.
constexpr unsigned kCannotShowModal = 61490;  // 表示されているｳｨﾝﾄﾞｳをﾓｰﾀﾞﾙにすることはできません
constexpr unsigned kOkButton = 61508;           // stock button captions 61508 to 61517
constexpr unsigned kRegInvalidType = 61626;     // '%s' のﾃﾞｰﾀ型が不正です
constexpr unsigned kRegCreateFailed = 61627;    // ｷｰ %s の作成に失敗しました
constexpr unsigned kRegSetFailed = 61628;       // '%s' の設定に失敗しました
constexpr unsigned kRegGetFailed = 61629;       // '%s' の取得に失敗しました
constexpr unsigned kExceptionInModule = 65438;  // %sがﾓｼﾞｭｰﾙ %s の\n%p で発生しました。\n%s%s\n
constexpr unsigned kApplicationError = 65439;   // ｱﾌﾟﾘｹｰｼｮﾝ ｴﾗｰ
// Our own numbers.
constexpr unsigned kWindowClassFailed = 61700;   // ｳｨﾝﾄﾞｳ ｸﾗｽを登録できません
constexpr unsigned kWindowCreateFailed = 61701;  // ｳｨﾝﾄﾞｳを作成できません
constexpr unsigned kParentRequired = 61702;      // 制御 '%s' には親ｳｨﾝﾄﾞｳがありません
constexpr unsigned kDuplicateName = 61703;       // ｺﾝﾎﾟｰﾈﾝﾄ名 %s は既に存在します
constexpr unsigned kInvalidName = 61704;         // ｺﾝﾎﾟｰﾈﾝﾄ名 '%s' は無効です
constexpr unsigned kListIndexError = 61705;      // ﾘｽﾄのｲﾝﾃﾞｯｸｽが範囲を超えています (%d)
constexpr unsigned kCannotFocus = 61706;  // 無効または非表示のｳｨﾝﾄﾞｳにはﾌｫｰｶｽを設定できません
constexpr unsigned kResourceNotFound = 61707;      // %s ﾘｿｰｽが見つかりません
constexpr unsigned kInvalidImageSize = 61708;      // ｲﾒｰｼﾞｻｲｽﾞが正しくありません
constexpr unsigned kInvalidImageList = 61709;      // 不正なｲﾒｰｼﾞ ﾘｽﾄ
constexpr unsigned kCannotReplaceImage = 61710;    // ｲﾒｰｼﾞの置き換えができません
constexpr unsigned kOutOfSystemResources = 61711;  // ｼｽﾃﾑ ﾘｿｰｽが足りません
// The other stock button captions after kOkButton, fixed by the program's design.
constexpr unsigned kCancelButton = 61509;  // ｷｬﾝｾﾙ
constexpr unsigned kYesButton = 61510;     // はい(&Y)
constexpr unsigned kNoButton = 61511;      // いいえ(&N)
constexpr unsigned kHelpButton = 61512;    // ﾍﾙﾌﾟ(&H)
constexpr unsigned kCloseButton = 61513;   // 閉じる(&C)
constexpr unsigned kIgnoreButton = 61514;  // 無視(&I)
constexpr unsigned kRetryButton = 61515;   // 再試行(&R)
constexpr unsigned kAbortButton = 61516;   // 中止
constexpr unsigned kAllButton = 61517;     // すべて(&A)
}  // namespace strings

// The string of that number from the program's string table; empty when missing.
std::string LoadResString(unsigned id);
// That string used as a printf format with the arguments that follow.
std::string FormatResString(unsigned id, ...);
