// Layout streams written for tests, value by value, so that the reader meets
// layouts a form designer could store, damaged ones included. No platform
// calls: the decoder's tests run natively too.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "stream/LayoutValueType.h"

class LayoutEncoder {
public:
  void WriteSignature() { Append("TPF0", 4); }

  void WriteShortString(const std::string& text) {
    const size_t length = text.size() < 255 ? text.size() : 255;
    bytes_.push_back(static_cast<uint8_t>(length));
    Append(text.data(), length);
  }

  void WriteEndOfList() { Append(LayoutValueType::kEndOfList); }

  // The smallest integer kind that holds the value.
  void WriteInteger(int32_t value) {
    if (value >= -128 && value <= 127) {
      Append(LayoutValueType::kInt8);
      bytes_.push_back(static_cast<uint8_t>(value));
    } else if (value >= -32768 && value <= 32767) {
      Append(LayoutValueType::kInt16);
      bytes_.push_back(static_cast<uint8_t>(value));
      bytes_.push_back(static_cast<uint8_t>(value >> 8));
    } else {
      Append(LayoutValueType::kInt32);
      AppendUint32(static_cast<uint32_t>(value));
    }
  }

  void WriteBoolean(bool value) { Append(value ? LayoutValueType::kTrue : LayoutValueType::kFalse); }

  // A string, as a long string when it needs more than 255 bytes.
  void WriteString(const std::string& text) {
    if (text.size() <= 255) {
      Append(LayoutValueType::kString);
      WriteShortString(text);
    } else {
      Append(LayoutValueType::kLongString);
      AppendUint32(static_cast<uint32_t>(text.size()));
      Append(text.data(), text.size());
    }
  }

  void WriteIdentifier(const std::string& name) {
    // false, true and nil have bytes of their own.
    if (name == "False" || name == "false") return WriteBoolean(false);
    if (name == "True" || name == "true") return WriteBoolean(true);
    if (name == "nil") {
      Append(LayoutValueType::kNil);
      return;
    }
    Append(LayoutValueType::kIdentifier);
    WriteShortString(name);
  }

  void WriteSet(const std::vector<std::string>& names) {
    Append(LayoutValueType::kSet);
    for (const std::string& name : names)
      if (!name.empty()) WriteShortString(name);
    Append(LayoutValueType::kEndOfList);  // an empty name ends a set
  }

  void WriteBinary(const std::vector<uint8_t>& data) {
    Append(LayoutValueType::kBinary);
    AppendUint32(static_cast<uint32_t>(data.size()));
    Append(data.data(), data.size());
  }

  void WriteListStart() { Append(LayoutValueType::kList); }
  const std::vector<uint8_t>& Bytes() const { return bytes_; }

private:
  void Append(LayoutValueType type) { bytes_.push_back(static_cast<uint8_t>(type)); }
  void Append(const void* data, size_t size) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    bytes_.insert(bytes_.end(), bytes, bytes + size);
  }
  void AppendUint32(uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes_.push_back(static_cast<uint8_t>(value >> (8 * i)));
  }

  std::vector<uint8_t> bytes_;
};
