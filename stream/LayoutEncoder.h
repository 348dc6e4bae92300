// Writing layout streams: the counterpart of LayoutDecoder, no platform calls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "stream/LayoutValueType.h"

class LayoutEncoder {
public:
  void WriteSignature() { Append("TPF0", 4); }
  void WriteShortString(const std::string& text);
  void WriteEndOfList() { Append(LayoutValueType::kEndOfList); }
  // The smallest integer kind that holds the value.
  void WriteInteger(int32_t value);
  void WriteBoolean(bool value) { Append(value ? LayoutValueType::kTrue : LayoutValueType::kFalse); }
  // A string, as a long string when it needs more than 255 bytes.
  void WriteString(const std::string& text);
  void WriteIdentifier(const std::string& name);
  void WriteSet(const std::vector<std::string>& names);
  void WriteBinary(const std::vector<uint8_t>& data);
  void WriteListStart() { Append(LayoutValueType::kList); }
  const std::vector<uint8_t>& Bytes() const { return bytes_; }

private:
  void Append(LayoutValueType type) { bytes_.push_back(static_cast<uint8_t>(type)); }
  void Append(const void* data, size_t size);
  void AppendUint32(uint32_t value);
  std::vector<uint8_t> bytes_;
};
