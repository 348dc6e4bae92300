// Event handler types, and events as layouts store them: a handler's method
// name together with the bound handler.
#pragma once

#include <functional>
#include <string>

class TPersistent;

enum TCloseAction { caNone, caHide, caFree, caMinimize };

using TNotifyEvent = std::function<void(TPersistent* sender)>;
using TCloseEvent = std::function<void(TPersistent* sender, TCloseAction& action)>;
using TCloseQueryEvent = std::function<void(TPersistent* sender, bool& canClose)>;
using TKeyPressEvent = std::function<void(TPersistent* sender, char& key)>;

template <class Handler>
struct TEvent {
  std::string name;
  Handler handler;
  explicit operator bool() const { return static_cast<bool>(handler); }
};
