// The stream table: the process's text-stream slots, their check values and
// locks, and the buffers the streams obtained.
#pragma once

#include <memory>

#include "textfile/LockPool.h"
#include "textfile/TextStream.h"

namespace textfile {

class StreamTable {
public:
  // The process's table, made on first use with slots 0 to 2 holding the
  // standard streams. It is never destroyed, so that the exit write-out finds
  // it whatever else has gone.
  static StreamTable& Instance();

  StreamTable(const StreamTable&) = delete;
  StreamTable& operator=(const StreamTable&) = delete;

  // A stream handed back to us must be one of our slots, open, with its check.
  bool IsValid(const TextStream* stream) const;
  // The first free slot from 3 on; nullptr when all are open. Under TableLock().
  TextStream* FindFreeSlot();
  TextStream& Slot(int slot) { return slots_[slot]; }

  RuntimeLock* TableLock() { return tableLock_.Get(); }
  RuntimeLock* LockOf(const TextStream* stream) { return slotLocks_.LockFor(static_cast<size_t>(SlotOf(stream))); }

  // Makes `owned` the buffer the stream's slot holds (kStreamBufferOwned),
  // or holds none when it is empty; a buffer held before is released. The
  // stream's buffer fields are the caller's to set.
  void HoldBuffer(TextStream* stream, std::unique_ptr<char[]> owned);
  // Releases the slot's buffer and marks the slot free.
  void Free(TextStream* stream);

private:
  StreamTable();
  int SlotOf(const TextStream* stream) const;

  TextStream slots_[kStreamSlots];
  std::unique_ptr<char[]> ownedBuffers_[kStreamSlots];  // owned: what each slot obtained; empty for a caller's buffer
  LazyLock tableLock_{"creating global stream lock"};
  LockTable slotLocks_{kStreamSlots, "allocating stream lock table", "creating stream lock"};
};

}  // namespace textfile
