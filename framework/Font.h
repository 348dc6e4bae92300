// TFont: a font description and the HFONT made from it.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "framework/Color.h"
#include "framework/Persistent.h"
#include "runtime/UniqueHandle.h"

using TFontStyles = unsigned;
enum : TFontStyles { fsBold = 1u << 0, fsItalic = 1u << 1, fsUnderline = 1u << 2, fsStrikeOut = 1u << 3 };
enum TFontPitch { fpDefault, fpVariable, fpFixed };

// A font description; its HFONT (CreateFontIndirectA) is made when first asked
// for and made again after a change. Layouts carry Name, Height, Charset,
// Color, Style and Pitch.
class TFont : public TPersistent {
public:
  static const ClassInfo kClassInfo;
  const ClassInfo& classInfo() const override { return kClassInfo; }
  static constexpr int kDefaultPixelsPerInch = 96;

  TFont();
  TFont(const TFont&) = delete;
  TFont& operator=(const TFont&) = delete;

  const std::string& Name() const { return name_; }
  void SetName(const std::string& name);
  // Pixels; negative for the character height, positive for the cell height (as in LOGFONT).
  int Height() const { return height_; }
  void SetHeight(int height);
  // Points, through PixelsPerInch: Size = -Height * 72 / PixelsPerInch, rounded like MulDiv.
  int Size() const;
  void SetSize(int points);
  BYTE Charset() const { return charset_; }
  void SetCharset(BYTE charset);
  TColor Color() const { return color_; }
  void SetColor(TColor color);
  TFontStyles Style() const { return style_; }
  void SetStyle(TFontStyles style);
  TFontPitch Pitch() const { return pitch_; }
  void SetPitch(TFontPitch pitch);
  // The resolution Size is measured against; changing it keeps Height.
  int PixelsPerInch() const { return pixelsPerInch_; }
  void SetPixelsPerInch(int pixelsPerInch);

  HFONT Handle();
  // True when a handle for the current description exists.
  bool HandleAllocated() const { return handle_ && !handleStale_; }

  // Takes every attribute of `source`; the point size is kept when the two
  // resolutions differ.
  void Assign(const TFont& source);

  // After every change that really changes something.
  std::function<void(TFont&)> OnChange;

private:
  void Changed(bool handleAffected);

  std::string name_;
  int height_;
  BYTE charset_;
  TColor color_;
  TFontStyles style_ = 0;
  TFontPitch pitch_ = fpDefault;
  int pixelsPerInch_ = kDefaultPixelsPerInch;
  // A stale handle is deleted only when the next one is made, so that a canvas
  // has the chance to take it out of its DC first (a selected object cannot be deleted).
  UniqueFont handle_;
  bool handleStale_ = false;
};
