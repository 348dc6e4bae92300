// Property lookup through a class and its ancestors.
#include "framework/Properties.h"

#include <windows.h>

#include "framework/Graphics.h"
#include "framework/Persistent.h"

const ClassInfo TPersistent::kClassInfo{"TPersistent", nullptr};

const PropertyInfo* FindProperty(const ClassInfo& info, std::string_view name) {
  for (const ClassInfo* c = &info; c; c = c->parent) {
    for (const PropertyInfo& property : c->properties) {
      const std::string_view candidate(property.name);
      if (candidate.size() == name.size() &&
          CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, candidate.data(), static_cast<int>(candidate.size()),
                         name.data(), static_cast<int>(name.size())) == CSTR_EQUAL)
        return &property;
    }
  }
  return nullptr;
}

namespace {

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()), b.data(),
                        static_cast<int>(b.size())) == CSTR_EQUAL;
}

const NamedConstant kColorNames[] = {
    {"clBlack", clBlack},
    {"clMaroon", clMaroon},
    {"clGreen", clGreen},
    {"clOlive", clOlive},
    {"clNavy", clNavy},
    {"clPurple", clPurple},
    {"clTeal", clTeal},
    {"clGray", clGray},
    {"clSilver", clSilver},
    {"clRed", clRed},
    {"clLime", clLime},
    {"clYellow", clYellow},
    {"clBlue", clBlue},
    {"clFuchsia", clFuchsia},
    {"clAqua", clAqua},
    {"clWhite", clWhite},
    {"clNone", clNone},
    {"clDefault", clDefault},
    {"clScrollBar", clScrollBar},
    {"clBackground", clBackground},
    {"clActiveCaption", clActiveCaption},
    {"clInactiveCaption", clInactiveCaption},
    {"clMenu", clMenu},
    {"clWindow", clWindow},
    {"clWindowFrame", clWindowFrame},
    {"clMenuText", clMenuText},
    {"clWindowText", clWindowText},
    {"clCaptionText", clCaptionText},
    {"clActiveBorder", clActiveBorder},
    {"clInactiveBorder", clInactiveBorder},
    {"clAppWorkSpace", clAppWorkSpace},
    {"clHighlight", clHighlight},
    {"clHighlightText", clHighlightText},
    {"clBtnFace", clBtnFace},
    {"clBtnShadow", clBtnShadow},
    {"clGrayText", clGrayText},
    {"clBtnText", clBtnText},
    {"clInactiveCaptionText", clInactiveCaptionText},
    {"clBtnHighlight", clBtnHighlight},
    {"cl3DDkShadow", cl3DDkShadow},
    {"cl3DLight", cl3DLight},
    {"clInfoText", clInfoText},
    {"clInfoBk", clInfoBk},
};

const NamedConstant kCharsetNames[] = {
    {"ANSI_CHARSET", ANSI_CHARSET},
    {"DEFAULT_CHARSET", DEFAULT_CHARSET},
    {"SYMBOL_CHARSET", SYMBOL_CHARSET},
    {"MAC_CHARSET", MAC_CHARSET},
    {"SHIFTJIS_CHARSET", SHIFTJIS_CHARSET},
    {"HANGEUL_CHARSET", HANGEUL_CHARSET},
    {"JOHAB_CHARSET", JOHAB_CHARSET},
    {"GB2312_CHARSET", GB2312_CHARSET},
    {"CHINESEBIG5_CHARSET", CHINESEBIG5_CHARSET},
    {"GREEK_CHARSET", GREEK_CHARSET},
    {"TURKISH_CHARSET", TURKISH_CHARSET},
    {"VIETNAMESE_CHARSET", VIETNAMESE_CHARSET},
    {"HEBREW_CHARSET", HEBREW_CHARSET},
    {"ARABIC_CHARSET", ARABIC_CHARSET},
    {"BALTIC_CHARSET", BALTIC_CHARSET},
    {"RUSSIAN_CHARSET", RUSSIAN_CHARSET},
    {"THAI_CHARSET", THAI_CHARSET},
    {"EASTEUROPE_CHARSET", EASTEUROPE_CHARSET},
    {"OEM_CHARSET", OEM_CHARSET},
};

struct ConstantTable {
  const char* typeName;
  std::span<const NamedConstant> constants;
};
const ConstantTable kConstantTables[] = {
    {"TColor", kColorNames},
    {"TFontCharset", kCharsetNames},
};

std::span<const NamedConstant> TableFor(std::string_view typeName) {
  for (const ConstantTable& table : kConstantTables)
    if (typeName == table.typeName) return table.constants;
  return {};
}

}  // namespace

bool FindIntegerConstant(std::string_view typeName, std::string_view name, int64_t* value) {
  for (const NamedConstant& constant : TableFor(typeName)) {
    if (SameName(constant.name, name)) {
      *value = constant.value;
      return true;
    }
  }
  return false;
}

const char* IntegerConstantName(std::string_view typeName, int64_t value) {
  for (const NamedConstant& constant : TableFor(typeName))
    if (constant.value == value) return constant.name;
  return nullptr;
}

const PublishedMethod* FindMethod(const ClassInfo& info, std::string_view name) {
  for (const ClassInfo* c = &info; c; c = c->parent)
    for (const PublishedMethod& method : c->methods)
      if (SameName(method.name, name)) return &method;
  return nullptr;
}

const PublishedField* FindField(const ClassInfo& info, std::string_view name) {
  for (const ClassInfo* c = &info; c; c = c->parent)
    for (const PublishedField& field : c->fields)
      if (SameName(field.name, name)) return &field;
  return nullptr;
}
