// The runtime's locks: a fixed pool of critical sections handed out on first
// use, and the fatal error shown when a lock cannot be had.
#pragma once

#include <atomic>
#include <cstddef>

struct _RTL_CRITICAL_SECTION;
using RuntimeLock = _RTL_CRITICAL_SECTION;

constexpr size_t kLockPoolSize = 512;

// The next unused lock of the process-wide pool, initialised; nullptr once all
// kLockPoolSize locks are handed out. Locks are never returned.
RuntimeLock* TakeLockFromPool();

// Shows "Semaphore error <reason>" in a message box without owner (stop icon,
// the executable's file name as caption) and ends the process with exit code 1.
[[noreturn]] void FatalSemaphoreError(const char* reason);

// Enters a lock for the lifetime of the guard.
class ScopedRuntimeLock {
public:
  explicit ScopedRuntimeLock(RuntimeLock* lock);
  ~ScopedRuntimeLock();
  ScopedRuntimeLock(const ScopedRuntimeLock&) = delete;
  ScopedRuntimeLock& operator=(const ScopedRuntimeLock&) = delete;

private:
  RuntimeLock* lock_;  // not owned: pool locks live as long as the process
};

// A table of locks, one per entry, created on first use. Failing to get the
// table or an entry's lock is fatal, with the reasons given at construction.
class LockTable {
public:
  LockTable(size_t entries, const char* tableReason, const char* entryReason);
  // Entries never change once created, so the lookup that every stream
  // operation makes reads them without a guard; only creation takes one.
  RuntimeLock* LockFor(size_t entry) {
    if (std::atomic<RuntimeLock*>* locks = locks_.load(std::memory_order_acquire))
      if (RuntimeLock* lock = locks[entry].load(std::memory_order_acquire)) return lock;
    return CreateLockFor(entry);
  }

private:
  RuntimeLock* CreateLockFor(size_t entry);

  size_t entries_;
  const char* tableReason_;
  const char* entryReason_;
  std::atomic<std::atomic<RuntimeLock*>*> locks_{nullptr};  // owned; allocated on first use, never freed
};

// A single lock created on first use.
class LazyLock {
public:
  explicit LazyLock(const char* reason) : reason_(reason) {}
  RuntimeLock* Get();

private:
  const char* reason_;
  std::atomic<RuntimeLock*> lock_{nullptr};  // not owned: taken from the pool
};
