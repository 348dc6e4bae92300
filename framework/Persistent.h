// The root of every object with published properties: components and the
// sub-objects they own (fonts, string lists, bitmaps).
#pragma once

#include "runtime/ClassInfo.h"

class TPersistent {
public:
  static const ClassInfo kClassInfo;
  virtual ~TPersistent() = default;
  virtual const ClassInfo& classInfo() const { return kClassInfo; }
  const char* ClassName() const { return classInfo().name; }
};
