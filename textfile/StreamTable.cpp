// The stream table's slots, their check values and their buffers.
#include "textfile/StreamTable.h"

#include <utility>

namespace textfile {
namespace {

uint8_t CheckValueFor(int slot) {
  return static_cast<uint8_t>(0xA5 ^ (slot * 7));
}

}  // namespace

StreamTable& StreamTable::Instance() {
  static StreamTable* const table = new StreamTable();
  return *table;
}

StreamTable::StreamTable() {
  for (int slot = 0; slot < kStreamSlots; ++slot) {
    slots_[slot] = TextStream{};
    slots_[slot].handleNumber = -1;
    slots_[slot].check = CheckValueFor(slot);
  }
  // The standard streams are never free; they stay unbuffered here.
  for (int n = 0; n < 3; ++n) {
    slots_[n].handleNumber = static_cast<int8_t>(n);
    slots_[n].flags = n == 0 ? kStreamRead : kStreamWrite;
  }
}

int StreamTable::SlotOf(const TextStream* stream) const {
  if (stream < slots_ || stream >= slots_ + kStreamSlots) return -1;
  return static_cast<int>(stream - slots_);
}

bool StreamTable::IsValid(const TextStream* stream) const {
  const int slot = SlotOf(stream);
  return slot >= 0 && stream->check == CheckValueFor(slot) && stream->handleNumber >= 0;
}

TextStream* StreamTable::FindFreeSlot() {
  for (int slot = 3; slot < kStreamSlots; ++slot)
    if (slots_[slot].handleNumber < 0) return &slots_[slot];
  return nullptr;
}

void StreamTable::HoldBuffer(TextStream* stream, std::unique_ptr<char[]> owned) {
  if (owned)
    stream->flags |= kStreamBufferOwned;
  else
    stream->flags &= ~kStreamBufferOwned;
  ownedBuffers_[SlotOf(stream)] = std::move(owned);
}

void StreamTable::Free(TextStream* stream) {
  ownedBuffers_[SlotOf(stream)].reset();
  *stream = TextStream{nullptr, nullptr, 0, 0, 0, 0, 0, -1, stream->check};
}

}  // namespace textfile
