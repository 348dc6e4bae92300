// The bitmap button: an owner-drawn push button that shows a glyph with its
// caption, and the stock kinds (OK, Cancel, ...) that bring glyph, caption
// and role with them.
#pragma once

#include <memory>

#include "Buttons/ButtonGlyph.h"
#include "framework/StdCtrls.h"

enum TButtonStyle { bsAutoDetect, bsWin31, bsNew };
enum TBitBtnKind { bkCustom, bkOK, bkCancel, bkHelp, bkYes, bkNo, bkClose, bkAbort, bkRetry, bkIgnore, bkAll };

class TBitBtn : public TButton {
public:
  static const ClassInfo kClassInfo;
  const ClassInfo& classInfo() const override { return kClassInfo; }

  explicit TBitBtn(TComponent* owner);
  ~TBitBtn() override;

  // Reading falls back to bkCustom for good once the role no longer matches the kind.
  TBitBtnKind Kind();
  TBitBtnKind KindForTable() const { return const_cast<TBitBtn*>(this)->Kind(); }
  void SetKind(TBitBtnKind kind);
  TButtonLayout Layout() const { return layout_; }
  void SetLayout(TButtonLayout layout);
  int Margin() const { return margin_; }
  void SetMargin(int margin);
  int Spacing() const { return spacing_; }
  void SetSpacing(int spacing);
  int NumGlyphs() const;
  void SetNumGlyphs(int count);
  TBitmap& Glyph();
  void SetGlyph(const TBitmap* bitmap);
  TButtonStyle Style() const { return style_; }
  void SetStyle(TButtonStyle style);
  bool ActiveFrame() const { return activeFrame_; }

  void ShowAsActive(bool active) override;
  void Click() override;

  // Paints the face for one draw request (algorithm of the owner-drawn button).
  void PaintFace(HDC dc, UINT itemState);

protected:
  void CreateParams(WindowParams& params) override;
  void CreateWnd() override;
  void WndProc(TMessage& message) override;
  void FontChanged() override;
  void EnabledChanged() override;

private:
  void Repaint();

  std::unique_ptr<TCanvas> canvas_;      // owned; attached during one draw request
  std::unique_ptr<TButtonGlyph> glyph_;  // owned
  TButtonStyle style_ = bsAutoDetect;
  TBitBtnKind kind_ = bkCustom;
  TButtonLayout layout_ = blGlyphLeft;
  int spacing_ = 4;
  int margin_ = -1;
  bool activeFrame_ = false;
  bool glyphAssigned_ = false;
};

// The stock glyph of a kind, loaded once and shared; nullptr for bkCustom.
const TBitmap* StockGlyph(TBitBtnKind kind);
