// Byte-level reading of window layout streams: the signature, component
// prefixes, short strings and typed values. No platform calls, so that it is
// fuzzed natively. Every read is bounds-checked: data that ends early raises
// EReadError ("ｽﾄﾘｰﾑからの読み込みｴﾗｰ"); a value of an unexpected kind raises
// EReadError ("不正なﾌﾟﾛﾊﾟﾃｨの値です").
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "stream/LayoutValueType.h"

// The messages of layout reading that the decoder raises; those about
// properties and classes are the layout reader's.
namespace layout_messages {
inline constexpr char kInvalidStreamFormat[] = "不正なｽﾄﾘｰﾑ形式です";
inline constexpr char kStreamReadError[] = "ｽﾄﾘｰﾑからの読み込みｴﾗｰ";
inline constexpr char kInvalidPropertyValue[] = "不正なﾌﾟﾛﾊﾟﾃｨの値です";
}  // namespace layout_messages

struct ComponentPrefix {
  bool inherited = false;    // the component exists already in its owner
  bool hasPosition = false;  // it is moved to `position` among its parent's children
  int32_t position = 0;
};

class LayoutDecoder {
public:
  // Lists, collections and child records may nest this deep; deeper data is refused.
  static constexpr int kMaxNesting = 64;

  explicit LayoutDecoder(std::span<const uint8_t> data) : data_(data) {}

  // "TPF0", or EReadError "不正なｽﾄﾘｰﾑ形式です".
  void ReadSignature();
  // The optional prefix byte (0xF0 and above) with its child position.
  ComponentPrefix ReadPrefix();
  // One length byte and that many bytes.
  std::string ReadShortString();
  // True, and the byte consumed, when the next byte ends a list.
  bool AtEndOfList();
  // The next value's type byte, without taking it.
  LayoutValueType NextValueType() const;
  LayoutValueType ReadValueType();
  bool AtEnd() const { return position_ == data_.size(); }
  size_t Position() const { return position_; }

  // Typed values: each takes the type byte and its payload.
  int32_t ReadInteger();         // 8-, 16- or 32-bit
  double ReadFloat();            // extended, or an integer
  std::string ReadString();      // string or long string
  std::string ReadIdentifier();  // identifier; false, true and nil as those words
  std::vector<std::string> ReadSet();
  std::vector<uint8_t> ReadBinary();
  void ReadListStart();  // a list's type byte

  // Passes over one value of any kind.
  void SkipValue();

  // Nesting of lists and child records read by the caller; raises when too deep.
  void EnterNested();
  void LeaveNested() { --depth_; }

private:
  uint8_t ReadByte();
  void Need(size_t count) const;
  uint32_t ReadUint32();
  std::string ReadBytes(size_t count);
  void Skip(size_t count);
  // The rest of a list or collection whose type byte was read.
  void SkipListItems();
  void SkipCollectionItems();

  std::span<const uint8_t> data_;
  size_t position_ = 0;
  int depth_ = 0;
};

// Reads an 80-bit extended float from its ten bytes.
double ExtendedToDouble(const uint8_t (&bytes)[10]);
