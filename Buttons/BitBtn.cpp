// The bitmap button: painting, stock kinds, clicks by kind.
#include "Buttons/BitBtn.h"

#include <windows.h>

#include <array>

#include "runtime/Exceptions.h"
#include "runtime/ResourceStrings.h"
#include "runtime/ScopeExit.h"

namespace {

struct StockKind {
  const char* resource;
  unsigned captionId;  // 0: none
  TModalResult modalResult;
};

// Per kind, in the order of TBitBtnKind.
constexpr StockKind kStockKinds[] = {
    {nullptr, 0, mrNone},                            // bkCustom
    {"BBOK", strings::kOkButton, mrOk},              // bkOK
    {"BBCANCEL", strings::kCancelButton, mrCancel},  // bkCancel
    {"BBHELP", strings::kHelpButton, mrNone},        // bkHelp
    {"BBYES", strings::kYesButton, mrYes},           // bkYes
    {"BBNO", strings::kNoButton, mrNo},              // bkNo
    {"BBCLOSE", strings::kCloseButton, mrNone},      // bkClose
    {"BBABORT", strings::kAbortButton, mrAbort},     // bkAbort
    {"BBRETRY", strings::kRetryButton, mrRetry},     // bkRetry
    {"BBIGNORE", strings::kIgnoreButton, mrIgnore},  // bkIgnore
    {"BBALL", strings::kAllButton, mrAll},           // bkAll
};

bool DefaultOf(TBitBtnKind kind) {
  return kind == bkOK || kind == bkYes;
}
bool CancelOf(TBitBtnKind kind) {
  return kind == bkCancel || kind == bkNo;
}

// Loaded the first time a kind is chosen, shared by every button of that kind,
// destroyed with the process.
std::array<std::unique_ptr<TBitmap>, 11>& StockGlyphs() {
  static std::array<std::unique_ptr<TBitmap>, 11> glyphs;
  return glyphs;
}

const char* const kKindNames[] = {"bkCustom", "bkOK",    "bkCancel", "bkHelp",   "bkYes", "bkNo",
                                  "bkClose",  "bkAbort", "bkRetry",  "bkIgnore", "bkAll"};
const char* const kLayoutNames[] = {"blGlyphLeft", "blGlyphRight", "blGlyphTop", "blGlyphBottom"};
const char* const kStyleNames[] = {"bsAutoDetect", "bsWin31", "bsNew"};

TComponent* CreateBitBtn(TComponent* owner) {
  return new TBitBtn(owner);
}

const PropertyInfo kBitBtnProperties[] = {
    EnumProperty<&TBitBtn::KindForTable, &TBitBtn::SetKind>("Kind", kKindNames, bkCustom),
    EnumProperty<&TBitBtn::Layout, &TBitBtn::SetLayout>("Layout", kLayoutNames, blGlyphLeft),
    IntegerProperty<&TBitBtn::Margin, &TBitBtn::SetMargin>("Margin", -1),
    IntegerProperty<&TBitBtn::Spacing, &TBitBtn::SetSpacing>("Spacing", 4),
    IntegerProperty<&TBitBtn::NumGlyphs, &TBitBtn::SetNumGlyphs>("NumGlyphs", 1),
    ObjectProperty<&TBitBtn::Glyph>("Glyph", TBitmap::kClassInfo),
    EnumProperty<&TBitBtn::Style, &TBitBtn::SetStyle>("Style", kStyleNames, bsAutoDetect),
    TextProperty<&TControl::Caption, &TControl::SetCaption>("Caption"),
    BooleanProperty<&TButton::Default, &TButton::SetDefault>("Default", false),
    BooleanProperty<&TButton::Cancel, &TButton::SetCancel>("Cancel", false),
    IntegerProperty<&TButton::ModalResult, &TButton::SetModalResult>("ModalResult", 0),
};

}  // namespace

const ClassInfo TBitBtn::kClassInfo{"TBitBtn", &TButton::kClassInfo, CreateBitBtn, kBitBtnProperties};

const TBitmap* StockGlyph(TBitBtnKind kind) {
  if (kind == bkCustom) return nullptr;
  std::unique_ptr<TBitmap>& slot = StockGlyphs()[kind];
  if (!slot) {
    slot = std::make_unique<TBitmap>();
    try {
      slot->LoadFromResourceName(GetModuleHandleA(nullptr), kStockKinds[kind].resource);
    } catch (const Exception&) {
      // A missing stock image leaves the glyph empty: the caption shows alone.
    }
  }
  return slot.get();
}

TBitBtn::TBitBtn(TComponent* owner)
    : TButton(owner), canvas_(std::make_unique<TCanvas>()), glyph_(std::make_unique<TButtonGlyph>()) {
  glyph_->OnChange = [this] { Repaint(); };
}

TBitBtn::~TBitBtn() {
  DestroyHandle();
  glyph_.reset();
  canvas_.reset();
}

void TBitBtn::CreateParams(WindowParams& params) {
  TButton::CreateParams(params);
  params.style |= BS_OWNERDRAW;
}

void TBitBtn::CreateWnd() {
  TButton::CreateWnd();
  glyph_->BuildStateImage(Enabled() ? gsNormal : gsDisabled);
}

void TBitBtn::Repaint() {
  if (HandleAllocated()) {
    InvalidateRect(Handle(), nullptr, TRUE);
    UpdateWindow(Handle());
  }
}

TBitBtnKind TBitBtn::Kind() {
  if (kind_ != bkCustom && (Default() != DefaultOf(kind_) || Cancel() != CancelOf(kind_) ||
                            ModalResult() != kStockKinds[kind_].modalResult || glyphAssigned_))
    kind_ = bkCustom;  // for good
  return kind_;
}

void TBitBtn::SetKind(TBitBtnKind kind) {
  if (kind == kind_) return;
  if (kind != bkCustom) {
    SetDefault(DefaultOf(kind));
    SetCancel(CancelOf(kind));
    const unsigned captionId = kStockKinds[kind].captionId;
    if (captionId != 0 && (!Loading() || Caption().empty())) SetCaption(LoadResString(captionId));
    SetModalResult(kStockKinds[kind].modalResult);
    glyph_->AssignBitmap(StockGlyph(kind));
    glyph_->SetImageCount(2);
    glyphAssigned_ = false;
  }
  kind_ = kind;
  Repaint();
}

void TBitBtn::SetLayout(TButtonLayout layout) {
  if (layout == layout_) return;
  layout_ = layout;
  Repaint();
}

void TBitBtn::SetMargin(int margin) {
  if (margin < -1 || margin == margin_) return;
  margin_ = margin;
  Repaint();
}

void TBitBtn::SetSpacing(int spacing) {
  if (spacing == spacing_) return;
  spacing_ = spacing;
  Repaint();
}

int TBitBtn::NumGlyphs() const {
  return glyph_->ImageCount();
}

void TBitBtn::SetNumGlyphs(int count) {
  if (count > 4) count = 4;
  if (count == glyph_->ImageCount()) return;
  glyph_->SetImageCount(count);
  Repaint();
}

TBitmap& TBitBtn::Glyph() {
  return glyph_->GlyphBitmap();
}

void TBitBtn::SetGlyph(const TBitmap* bitmap) {
  glyph_->AssignBitmap(bitmap);
  glyphAssigned_ = true;
  Repaint();
}

void TBitBtn::SetStyle(TButtonStyle style) {
  if (style == style_) return;
  style_ = style;
  Repaint();
}

void TBitBtn::ShowAsActive(bool active) {
  if (active == activeFrame_) return;
  activeFrame_ = active;
  Repaint();
}

void TBitBtn::Click() {
  TWinControl* top = ParentForm();
  switch (kind_) {
    case bkHelp:
      // The nearest help topic of the button or its parents, if any.
      for (TControl* control = this; control; control = control->Parent()) {
        if (control->HelpContext() != 0) {
          ShowHelpTopic(control->HelpContext());
          return;
        }
      }
      break;
    case bkClose:
      if (top && top != this) {
        top->CloseWindow();
        return;
      }
      break;
    default:
      break;
  }
  TButton::Click();
}

void TBitBtn::PaintFace(HDC dc, UINT itemState) {
  canvas_->SetHandle(dc);
  const ScopeExit detach([this] { canvas_->SetHandle(nullptr); });  // the DC is the draw request's
  const RECT client{0, 0, Width(), Height()};
  RECT r = client;
  const bool pressed = itemState & ODS_SELECTED;
  const bool focus = itemState & ODS_FOCUS;
  const TGlyphState state = !Enabled() ? gsDisabled : pressed ? gsPressed : gsNormal;

  if (focus || activeFrame_) {
    canvas_->Pen().SetColor(clWindowFrame);
    canvas_->Pen().SetWidth(1);
    canvas_->Brush().SetStyle(bsClear);
    canvas_->Rectangle(r);
    InflateRect(&r, -1, -1);
  }
  if (pressed) {
    canvas_->Pen().SetColor(clBtnShadow);
    canvas_->Pen().SetWidth(1);
    canvas_->Brush().SetStyle(bsSolid);
    canvas_->Brush().SetColor(clBtnFace);
    canvas_->Rectangle(r);
    InflateRect(&r, -1, -1);
  } else {
    UINT frame = DFCS_BUTTONPUSH | DFCS_ADJUSTRECT;
    if (itemState & ODS_DISABLED) frame |= DFCS_INACTIVE;
    DrawFrameControl(dc, &r, DFC_BUTTON, frame);
  }
  if (activeFrame_) {
    r = client;
    InflateRect(&r, -1, -1);
  }
  canvas_->Font().Assign(Font());
  if (pressed) OffsetRect(&r, 1, 1);
  canvas_->Brush().SetStyle(bsSolid);
  glyph_->DrawContent(*canvas_, r, Caption(), layout_, margin_, spacing_, state);
  if (activeFrame_) {
    r = client;
    InflateRect(&r, -4, -4);
    canvas_->Pen().SetColor(clWindowFrame);
    canvas_->Brush().SetColor(clBtnFace);
    SetTextColor(dc, ColorToRGB(clWindowFrame));
    DrawFocusRect(dc, &r);
  }
}

void TBitBtn::WndProc(TMessage& message) {
  switch (message.msg) {
    case CN_DRAWITEM: {
      const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(message.lParam);
      PaintFace(item.hDC, item.itemState);
      message.result = TRUE;
      return;
    }
    case CN_MEASUREITEM: {
      auto& item = *reinterpret_cast<MEASUREITEMSTRUCT*>(message.lParam);
      item.itemWidth = static_cast<UINT>(Width());
      item.itemHeight = static_cast<UINT>(Height());
      message.result = TRUE;
      return;
    }
    case WM_LBUTTONDBLCLK:
      // A double click is a second press: two clicks, not one.
      message.msg = WM_LBUTTONDOWN;
      break;
    default:
      break;
  }
  TButton::WndProc(message);
}

void TBitBtn::FontChanged() {
  TButton::FontChanged();
  Repaint();
}

void TBitBtn::EnabledChanged() {
  TButton::EnabledChanged();
  Repaint();
}
