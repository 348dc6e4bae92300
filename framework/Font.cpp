// TFont: a font description and the HFONT made from it.
#include "framework/Font.h"

#include <cstring>

#include "framework/OutOfResources.h"
#include "framework/Properties.h"
#include "runtime/MbcsText.h"

namespace {

constexpr char kDefaultFontName[] = "ＭＳ Ｐゴシック";
constexpr int kDefaultFontHeight = -12;

// A face name cut to what LOGFONTA holds, never between the bytes of one character.
void CopyFaceName(const std::string& name, char (&face)[LF_FACESIZE]) {
  size_t length = 0;
  while (length < name.size()) {
    const size_t next = length + (IsLeadByte(name[length]) ? 2 : 1);
    if (next > LF_FACESIZE - 1 || next > name.size()) break;
    length = next;
  }
  std::memcpy(face, name.data(), length);
  face[length] = '\0';
}

constexpr const char* kFontStyleNames[] = {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"};
constexpr const char* kFontPitchNames[] = {"fpDefault", "fpVariable", "fpFixed"};

const PropertyInfo kFontProperties[] = {
    CharsetProperty<&TFont::Charset, &TFont::SetCharset>("Charset", SHIFTJIS_CHARSET),
    ColorProperty<&TFont::Color, &TFont::SetColor>("Color", clWindowText),
    IntegerProperty<&TFont::Height, &TFont::SetHeight>("Height", kDefaultFontHeight),
    TextProperty<&TFont::Name, &TFont::SetName>("Name"),
    EnumProperty<&TFont::Pitch, &TFont::SetPitch>("Pitch", kFontPitchNames, fpDefault),
    SetProperty<&TFont::Style, &TFont::SetStyle>("Style", kFontStyleNames, 0),
};

}  // namespace

const ClassInfo TFont::kClassInfo{"TFont", &TPersistent::kClassInfo, nullptr, kFontProperties};

TFont::TFont()
    : name_(kDefaultFontName), height_(kDefaultFontHeight), charset_(SHIFTJIS_CHARSET), color_(clWindowText) {}

void TFont::Changed(bool handleAffected) {
  if (handleAffected && handle_) handleStale_ = true;
  if (OnChange) OnChange(*this);
}

void TFont::SetName(const std::string& name) {
  if (name == name_) return;
  name_ = name;
  Changed(true);
}

void TFont::SetHeight(int height) {
  if (height == height_) return;
  height_ = height;
  Changed(true);
}

int TFont::Size() const {
  return -MulDiv(height_, 72, pixelsPerInch_);
}

void TFont::SetSize(int points) {
  SetHeight(-MulDiv(points, pixelsPerInch_, 72));
}

void TFont::SetCharset(BYTE charset) {
  if (charset == charset_) return;
  charset_ = charset;
  Changed(true);
}

void TFont::SetColor(TColor color) {
  if (color == color_) return;
  color_ = color;
  Changed(false);  // the colour is the DC's text colour, not part of the HFONT
}

void TFont::SetStyle(TFontStyles style) {
  if (style == style_) return;
  style_ = style;
  Changed(true);
}

void TFont::SetPitch(TFontPitch pitch) {
  if (pitch == pitch_) return;
  pitch_ = pitch;
  Changed(true);
}

void TFont::SetPixelsPerInch(int pixelsPerInch) {
  // MulDiv by zero or a negative resolution would give nonsense sizes.
  if (pixelsPerInch > 0) pixelsPerInch_ = pixelsPerInch;
}

HFONT TFont::Handle() {
  if (!HandleAllocated()) {
    handle_.reset();
    LOGFONTA font{};
    font.lfHeight = height_;
    font.lfWeight = (style_ & fsBold) ? FW_BOLD : FW_NORMAL;
    font.lfItalic = (style_ & fsItalic) ? TRUE : FALSE;
    font.lfUnderline = (style_ & fsUnderline) ? TRUE : FALSE;
    font.lfStrikeOut = (style_ & fsStrikeOut) ? TRUE : FALSE;
    font.lfCharSet = charset_;
    font.lfOutPrecision = OUT_DEFAULT_PRECIS;
    font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    font.lfQuality = DEFAULT_QUALITY;
    font.lfPitchAndFamily = (pitch_ == fpFixed      ? FIXED_PITCH
                             : pitch_ == fpVariable ? VARIABLE_PITCH
                                                    : DEFAULT_PITCH) |
                            FF_DONTCARE;
    CopyFaceName(name_, font.lfFaceName);
    handle_.reset(CreateFontIndirectA(&font));
    handleStale_ = false;
    if (!handle_) ThrowNotEnoughMemory();
  }
  return handle_.get();
}

void TFont::Assign(const TFont& source) {
  if (&source == this) return;
  int height = source.height_;
  if (source.pixelsPerInch_ != pixelsPerInch_) height = -MulDiv(source.Size(), pixelsPerInch_, 72);
  const bool handleAffected = source.name_ != name_ || height != height_ || source.charset_ != charset_ ||
                              source.style_ != style_ || source.pitch_ != pitch_;
  const bool changed = handleAffected || source.color_ != color_;
  name_ = source.name_;
  height_ = height;
  charset_ = source.charset_;
  color_ = source.color_;
  style_ = source.style_;
  pitch_ = source.pitch_;
  if (changed) Changed(handleAffected);
}
