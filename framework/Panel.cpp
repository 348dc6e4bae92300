// TPanel: its background and bevel.
#include "framework/Panel.h"

namespace {

const char* const kBevelNames[] = {"bvNone", "bvLowered", "bvRaised", "bvSpace"};

const PropertyInfo kPanelProperties[] = {
    EnumProperty<&TPanel::BevelOuter, &TPanel::SetBevelOuter>("BevelOuter", kBevelNames, bvRaised),
};

}  // namespace

const ClassInfo TPanel::kClassInfo{"TPanel", &TWinControl::kClassInfo, CreateComponent<TPanel>, kPanelProperties};

TPanel::TPanel(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 185, 41);
}

void TPanel::SetBevelOuter(TPanelBevel bevel) {
  bevelOuter_ = bevel;
  Invalidate();
}

void TPanel::WndProc(TMessage& message) {
  if (message.msg == WM_ERASEBKGND) {
    HDC dc = reinterpret_cast<HDC>(message.wParam);
    RECT client;
    GetClientRect(Handle(), &client);
    FillRect(dc, &client, ColorBrush());
    if (bevelOuter_ == bvLowered) DrawEdge(dc, &client, BDR_SUNKENOUTER, BF_RECT);
    if (bevelOuter_ == bvRaised) DrawEdge(dc, &client, BDR_RAISEDINNER, BF_RECT);
    message.result = 1;
    return;
  }
  TWinControl::WndProc(message);
}
