// Property lookup through a class and its ancestors.
#include "framework/Properties.h"

#include <windows.h>

#include "framework/Persistent.h"

const ClassInfo TPersistent::kClassInfo{"TPersistent", nullptr};

const PropertyInfo* FindProperty(const ClassInfo& info, std::string_view name) {
  for (const ClassInfo* c = &info; c; c = c->parent) {
    for (const PropertyInfo& property : c->properties) {
      const std::string_view candidate(property.name);
      if (candidate.size() == name.size() &&
          CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, candidate.data(), static_cast<int>(candidate.size()),
                         name.data(), static_cast<int>(name.size())) == CSTR_EQUAL)
        return &property;
    }
  }
  return nullptr;
}
