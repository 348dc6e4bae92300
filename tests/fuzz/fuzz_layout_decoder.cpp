// Fuzzes the layout decoder: walks arbitrary bytes as a layout stream (records,
// property entries read by their value kind or skipped, children). Any input
// must end in a result or an EReadError, never in a crash or a stray read.
#include <cstddef>
#include <cstdint>
#include <span>

#include "runtime/Exceptions.h"
#include "stream/LayoutDecoder.h"

namespace {

void ReadValueAnyWay(LayoutDecoder& decoder, bool skip) {
  if (skip) {
    decoder.SkipValue();
    return;
  }
  switch (decoder.NextValueType()) {
    case LayoutValueType::kInt8:
    case LayoutValueType::kInt16:
    case LayoutValueType::kInt32:
      decoder.ReadInteger();
      return;
    case LayoutValueType::kExtended:
      decoder.ReadFloat();
      return;
    case LayoutValueType::kString:
    case LayoutValueType::kLongString:
      decoder.ReadString();
      return;
    case LayoutValueType::kIdentifier:
    case LayoutValueType::kFalse:
    case LayoutValueType::kTrue:
    case LayoutValueType::kNil:
      decoder.ReadIdentifier();
      return;
    case LayoutValueType::kSet:
      decoder.ReadSet();
      return;
    case LayoutValueType::kBinary:
      decoder.ReadBinary();
      return;
    case LayoutValueType::kList:
      decoder.ReadListStart();
      decoder.EnterNested();
      while (!decoder.AtEndOfList()) ReadValueAnyWay(decoder, false);
      decoder.LeaveNested();
      return;
    default:
      decoder.SkipValue();
      return;
  }
}

void ReadRecord(LayoutDecoder& decoder) {
  decoder.ReadPrefix();
  decoder.ReadShortString();
  decoder.ReadShortString();
  bool skip = false;
  while (!decoder.AtEndOfList()) {
    decoder.ReadShortString();
    ReadValueAnyWay(decoder, skip);
    skip = !skip;
  }
  decoder.EnterNested();
  while (!decoder.AtEndOfList()) ReadRecord(decoder);
  decoder.LeaveNested();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  LayoutDecoder decoder(std::span<const uint8_t>(data, size));
  try {
    decoder.ReadSignature();
    ReadRecord(decoder);
  } catch (const EReadError&) {}
  return 0;
}
