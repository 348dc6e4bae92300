// Watches for message boxes that the code under test shows on this thread,
// records what they said, and answers them as a user would.
#pragma once

#include <functional>
#include <string>
#include <vector>

struct HWND__;
typedef HWND__* HWND;

enum class MessageBoxAnswer {
  kOkButton,      // clicks OK
  kCancelButton,  // clicks Cancel
  kEscapeKey,     // presses Escape
  kCloseBox,      // clicks the close box in the caption
};

struct SeenMessageBox {
  std::string text;
  std::string caption;
  HWND owner = nullptr;
  std::vector<std::string> buttons;  // captions, in window order
  bool hasIcon = false;
};

class MessageBoxWatcher {
public:
  explicit MessageBoxWatcher(MessageBoxAnswer answer = MessageBoxAnswer::kOkButton);
  ~MessageBoxWatcher();
  MessageBoxWatcher(const MessageBoxWatcher&) = delete;
  MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;

  const std::vector<SeenMessageBox>& seen() const { return seen_; }
  void set_answer(MessageBoxAnswer answer) { answer_ = answer; }
  // Runs while a box is up, before it is answered.
  void set_on_show(std::function<void(HWND box)> callback) { onShow_ = std::move(callback); }

private:
  static long long __stdcall HookProcedure(int code, unsigned long long wParam, long long lParam);
  static void __stdcall OnWatchdog(HWND, unsigned, unsigned long long, unsigned long);
  static void __stdcall OnReadTimer(HWND, unsigned, unsigned long long, unsigned long);
  void OnActivate(HWND dialog);
  void ReadAndAnswer(HWND dialog);

  MessageBoxAnswer answer_;
  std::function<void(HWND)> onShow_;
  std::vector<SeenMessageBox> seen_;
  void* hook_ = nullptr;             // owned: a WH_CBT hook on this thread
  unsigned long long watchdog_ = 0;  // owned: a thread timer
};
