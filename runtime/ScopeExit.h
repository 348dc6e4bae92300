// Guards that undo something however a scope is left.
#pragma once

#include <utility>

// Runs a function when the scope ends, unless dismissed. The function must
// not throw: it runs in a destructor.
template <class Function>
class [[nodiscard]] ScopeExit {
public:
  explicit ScopeExit(Function function) : function_(std::move(function)) {}
  ~ScopeExit() {
    if (active_) function_();
  }
  ScopeExit(const ScopeExit&) = delete;
  ScopeExit& operator=(const ScopeExit&) = delete;

  // The scope ends without running the function.
  void Dismiss() noexcept { active_ = false; }

private:
  Function function_;
  bool active_ = true;
};

// Gives a variable a value for the length of a scope; the old value comes
// back however the scope is left.
template <class T>
class [[nodiscard]] ScopedAssign {
public:
  ScopedAssign(T& variable, T value) : variable_(variable), saved_(std::exchange(variable, std::move(value))) {}
  ~ScopedAssign() { variable_ = std::move(saved_); }
  ScopedAssign(const ScopedAssign&) = delete;
  ScopedAssign& operator=(const ScopedAssign&) = delete;

private:
  T& variable_;
  T saved_;
};
