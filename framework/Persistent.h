// The root of every object with published properties: components and the
// sub-objects they own (fonts, string lists, bitmaps).
#pragma once

#include <string>
#include <string_view>

#include "runtime/ClassInfo.h"

class LayoutDecoder;

class TPersistent {
public:
  static const ClassInfo kClassInfo;
  virtual ~TPersistent() = default;
  virtual const ClassInfo& classInfo() const { return kClassInfo; }
  const char* ClassName() const { return classInfo().name; }

  // A value a layout stores for this object without a published property
  // (a bitmap's Data, a string list's Strings): reads it and returns true, or
  // returns false, leaving the value unread, when the name is not one of them.
  virtual bool ReadExtraProperty(std::string_view, LayoutDecoder&) { return false; }
};
