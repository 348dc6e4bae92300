// A process-wide pool of critical sections, and lock tables created on demand.
#include "textfile/LockPool.h"

#include <windows.h>

#include <new>
#include <string>

#include "runtime/MbcsText.h"

namespace {

CRITICAL_SECTION gPoolLocks[kLockPoolSize];
size_t gPoolLocksTaken = 0;
// Guards the pool and every first-use creation; statically initialised, so it
// needs no lock of its own.
SRWLOCK gCreationGuard = SRWLOCK_INIT;

class CreationGuard {
public:
  CreationGuard() { AcquireSRWLockExclusive(&gCreationGuard); }
  ~CreationGuard() { ReleaseSRWLockExclusive(&gCreationGuard); }
  CreationGuard(const CreationGuard&) = delete;
  CreationGuard& operator=(const CreationGuard&) = delete;
};

RuntimeLock* TakeLockLocked() {
  if (gPoolLocksTaken == kLockPoolSize) return nullptr;
  CRITICAL_SECTION* lock = &gPoolLocks[gPoolLocksTaken++];
  InitializeCriticalSection(lock);
  return lock;
}

}  // namespace

RuntimeLock* TakeLockFromPool() {
  CreationGuard guard;
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

RuntimeLock* LockTable::LockFor(size_t entry) {
  // Once created, a table entry never changes, but reading it unguarded would
  // race with its creation; the guard is uncontended in this program.
  CreationGuard guard;
  if (!locks_) {
    locks_ = new (std::nothrow) RuntimeLock*[entries_]();
    if (!locks_) FatalSemaphoreError(tableReason_);
  }
  if (!locks_[entry]) {
    locks_[entry] = TakeLockLocked();
    if (!locks_[entry]) FatalSemaphoreError(entryReason_);
  }
  return locks_[entry];
}

RuntimeLock* LazyLock::Get() {
  CreationGuard guard;
  if (!lock_) {
    lock_ = TakeLockLocked();
    if (!lock_) FatalSemaphoreError(reason_);
  }
  return lock_;
}
