// A process-wide pool of critical sections, and lock tables created on demand.
#include "textfile/LockPool.h"

#include <windows.h>

#include <new>
#include <string>

#include "runtime/MbcsText.h"
#include "runtime/ScopeExit.h"

namespace {

CRITICAL_SECTION gPoolLocks[kLockPoolSize];
size_t gPoolLocksTaken = 0;
// Guards the pool and every first-use creation; statically initialised, so it
// needs no lock of its own.
SRWLOCK gCreationGuard = SRWLOCK_INIT;

// Holds the creation guard until the returned object goes.
[[nodiscard]] auto GuardCreation() {
  AcquireSRWLockExclusive(&gCreationGuard);
  return ScopeExit([] { ReleaseSRWLockExclusive(&gCreationGuard); });
}

RuntimeLock* TakeLockLocked() {
  if (gPoolLocksTaken == kLockPoolSize) return nullptr;
  CRITICAL_SECTION* lock = &gPoolLocks[gPoolLocksTaken++];
  InitializeCriticalSection(lock);
  return lock;
}

}  // namespace

RuntimeLock* TakeLockFromPool() {
  const auto guard = GuardCreation();
  return TakeLockLocked();
}

void FatalSemaphoreError(const char* reason) {
  char modulePath[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, modulePath, sizeof modulePath);
  const std::string caption(FileNamePart(modulePath));
  const std::string text = std::string("Semaphore error ") + reason;
  MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_OK | MB_ICONSTOP);
  ExitProcess(1);
}

ScopedRuntimeLock::ScopedRuntimeLock(RuntimeLock* lock) : lock_(lock) {
  EnterCriticalSection(lock_);
}

ScopedRuntimeLock::~ScopedRuntimeLock() {
  LeaveCriticalSection(lock_);
}

LockTable::LockTable(size_t entries, const char* tableReason, const char* entryReason)
    : entries_(entries), tableReason_(tableReason), entryReason_(entryReason) {}

RuntimeLock* LockTable::CreateLockFor(size_t entry) {
  const auto guard = GuardCreation();
  std::atomic<RuntimeLock*>* locks = locks_.load(std::memory_order_relaxed);
  if (!locks) {
    locks = new (std::nothrow) std::atomic<RuntimeLock*>[entries_]();
    if (!locks) FatalSemaphoreError(tableReason_);
    locks_.store(locks, std::memory_order_release);
  }
  RuntimeLock* lock = locks[entry].load(std::memory_order_relaxed);
  if (!lock) {
    lock = TakeLockLocked();
    if (!lock) FatalSemaphoreError(entryReason_);
    locks[entry].store(lock, std::memory_order_release);
  }
  return lock;
}

RuntimeLock* LazyLock::Get() {
  if (RuntimeLock* lock = lock_.load(std::memory_order_acquire)) return lock;
  const auto guard = GuardCreation();
  RuntimeLock* lock = lock_.load(std::memory_order_relaxed);
  if (!lock) {
    lock = TakeLockLocked();
    if (!lock) FatalSemaphoreError(reason_);
    lock_.store(lock, std::memory_order_release);
  }
  return lock;
}
