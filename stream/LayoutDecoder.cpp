// Byte-level reading of window layout streams.
#include "stream/LayoutDecoder.h"

#include <cmath>
#include <cstring>

#include "runtime/Exceptions.h"

namespace {

[[noreturn]] void ThrowInvalidValue() {
  throw EReadError(layout_messages::kInvalidPropertyValue);
}

}  // namespace

void LayoutDecoder::Need(size_t count) const {
  if (count > data_.size() - position_) throw EReadError(layout_messages::kStreamReadError);
}

uint8_t LayoutDecoder::ReadByte() {
  Need(1);
  return data_[position_++];
}

uint32_t LayoutDecoder::ReadUint32() {
  Need(4);
  uint32_t value = 0;
  for (int i = 0; i < 4; ++i) value |= static_cast<uint32_t>(data_[position_ + i]) << (8 * i);
  position_ += 4;
  return value;
}

std::string LayoutDecoder::ReadBytes(size_t count) {
  Need(count);
  std::string bytes(reinterpret_cast<const char*>(data_.data() + position_), count);
  position_ += count;
  return bytes;
}

void LayoutDecoder::ReadSignature() {
  if (data_.size() < 4 || std::memcmp(data_.data(), "TPF0", 4) != 0)
    throw EReadError(layout_messages::kInvalidStreamFormat);
  position_ = 4;
}

ComponentPrefix LayoutDecoder::ReadPrefix() {
  ComponentPrefix prefix;
  Need(1);
  if (data_[position_] < 0xF0) return prefix;
  const uint8_t flags = ReadByte() & 0x0F;
  prefix.inherited = flags & 1;
  if (flags & 2) {
    prefix.hasPosition = true;
    prefix.position = ReadInteger();
  }
  return prefix;
}

std::string LayoutDecoder::ReadShortString() {
  return ReadBytes(ReadByte());
}

bool LayoutDecoder::AtEndOfList() {
  Need(1);
  if (data_[position_] != 0) return false;
  ++position_;
  return true;
}

LayoutValueType LayoutDecoder::NextValueType() const {
  Need(1);
  return static_cast<LayoutValueType>(data_[position_]);
}

LayoutValueType LayoutDecoder::ReadValueType() {
  return static_cast<LayoutValueType>(ReadByte());
}

int32_t LayoutDecoder::ReadInteger() {
  switch (ReadValueType()) {
    case LayoutValueType::kInt8:
      return static_cast<int8_t>(ReadByte());
    case LayoutValueType::kInt16: {
      Need(2);
      const uint16_t value = static_cast<uint16_t>(data_[position_] | (data_[position_ + 1] << 8));
      position_ += 2;
      return static_cast<int16_t>(value);
    }
    case LayoutValueType::kInt32:
      return static_cast<int32_t>(ReadUint32());
    default:
      ThrowInvalidValue();
  }
}

double ExtendedToDouble(const uint8_t (&bytes)[10]) {
  uint64_t mantissa = 0;
  for (int i = 0; i < 8; ++i) mantissa |= static_cast<uint64_t>(bytes[i]) << (8 * i);
  const int exponent = ((bytes[9] & 0x7F) << 8) | bytes[8];
  const bool negative = bytes[9] & 0x80;
  double value;
  if (exponent == 0x7FFF)
    value = (mantissa << 1) ? NAN : INFINITY;
  else
    value = std::ldexp(static_cast<double>(mantissa), exponent - 16383 - 63);
  return negative ? -value : value;
}

double LayoutDecoder::ReadFloat() {
  const LayoutValueType type = NextValueType();
  if (type == LayoutValueType::kInt8 || type == LayoutValueType::kInt16 || type == LayoutValueType::kInt32)
    return ReadInteger();
  if (ReadValueType() != LayoutValueType::kExtended) ThrowInvalidValue();
  Need(10);
  uint8_t bytes[10];
  std::memcpy(bytes, data_.data() + position_, 10);
  position_ += 10;
  return ExtendedToDouble(bytes);
}

std::string LayoutDecoder::ReadString() {
  switch (ReadValueType()) {
    case LayoutValueType::kString:
      return ReadShortString();
    case LayoutValueType::kLongString:
      return ReadBytes(ReadUint32());
    default:
      ThrowInvalidValue();
  }
}

std::string LayoutDecoder::ReadIdentifier() {
  switch (ReadValueType()) {
    case LayoutValueType::kIdentifier:
      return ReadShortString();
    case LayoutValueType::kFalse:
      return "False";
    case LayoutValueType::kTrue:
      return "True";
    case LayoutValueType::kNil:
      return "nil";
    default:
      ThrowInvalidValue();
  }
}

std::vector<std::string> LayoutDecoder::ReadSet() {
  if (ReadValueType() != LayoutValueType::kSet) ThrowInvalidValue();
  std::vector<std::string> names;
  for (std::string name = ReadShortString(); !name.empty(); name = ReadShortString()) names.push_back(name);
  return names;
}

std::vector<uint8_t> LayoutDecoder::ReadBinary() {
  if (ReadValueType() != LayoutValueType::kBinary) ThrowInvalidValue();
  const uint32_t length = ReadUint32();
  Need(length);
  std::vector<uint8_t> bytes(data_.begin() + static_cast<ptrdiff_t>(position_),
                             data_.begin() + static_cast<ptrdiff_t>(position_ + length));
  position_ += length;
  return bytes;
}

void LayoutDecoder::ReadListStart() {
  if (ReadValueType() != LayoutValueType::kList) ThrowInvalidValue();
}

void LayoutDecoder::EnterNested() {
  if (++depth_ > kMaxNesting) {
    --depth_;
    throw EReadError(layout_messages::kInvalidStreamFormat);
  }
}

void LayoutDecoder::Skip(size_t count) {
  Need(count);
  position_ += count;
}

void LayoutDecoder::SkipValue() {
  switch (ReadValueType()) {
    case LayoutValueType::kList:
      SkipListItems();
      return;
    case LayoutValueType::kInt8:
      Skip(1);
      return;
    case LayoutValueType::kInt16:
      Skip(2);
      return;
    case LayoutValueType::kInt32:
      Skip(4);
      return;
    case LayoutValueType::kExtended:
      Skip(10);
      return;
    case LayoutValueType::kString:
    case LayoutValueType::kIdentifier:
      Skip(ReadByte());
      return;
    case LayoutValueType::kFalse:
    case LayoutValueType::kTrue:
    case LayoutValueType::kNil:
      return;
    case LayoutValueType::kBinary:
    case LayoutValueType::kLongString:
      Skip(ReadUint32());
      return;
    case LayoutValueType::kSet:
      for (size_t length = ReadByte(); length != 0; length = ReadByte()) Skip(length);
      return;
    case LayoutValueType::kCollection:
      SkipCollectionItems();
      return;
    case LayoutValueType::kEndOfList:
    default:
      throw EReadError(layout_messages::kInvalidStreamFormat);
  }
}

void LayoutDecoder::SkipListItems() {
  EnterNested();
  while (!AtEndOfList()) SkipValue();
  LeaveNested();
}

// Each item: an optional integer (its index), then a list of named values.
void LayoutDecoder::SkipCollectionItems() {
  EnterNested();
  while (!AtEndOfList()) {
    const LayoutValueType next = NextValueType();
    if (next == LayoutValueType::kInt8 || next == LayoutValueType::kInt16 || next == LayoutValueType::kInt32)
      ReadInteger();
    ReadListStart();
    while (!AtEndOfList()) {
      ReadShortString();
      SkipValue();
    }
  }
  LeaveNested();
}
