// Run-time class descriptions.
#include "runtime/ClassInfo.h"

bool ClassInfo::InheritsFrom(const ClassInfo& other) const {
  for (const ClassInfo* info = this; info; info = info->parent)
    if (info == &other) return true;
  return false;
}

bool ClassInfo::HasAncestorNamed(std::string_view ancestor) const {
  for (const ClassInfo* info = this; info; info = info->parent)
    if (ancestor == info->name) return true;
  return false;
}
