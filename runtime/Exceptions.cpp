// Class descriptions of the exception family.
#include "runtime/Exceptions.h"

#include <cstdarg>
#include <cstdio>

#include "runtime/ResourceStrings.h"

const ClassInfo Exception::kClassInfo{"Exception", nullptr};
const ClassInfo EAbort::kClassInfo{"EAbort", &Exception::kClassInfo};
const ClassInfo EInvalidOperation::kClassInfo{"EInvalidOperation", &Exception::kClassInfo};
const ClassInfo EOutOfResources::kClassInfo{"EOutOfResources", &Exception::kClassInfo};
const ClassInfo EInvalidGraphic::kClassInfo{"EInvalidGraphic", &Exception::kClassInfo};
const ClassInfo ERegistryException::kClassInfo{"ERegistryException", &Exception::kClassInfo};
const ClassInfo EFilerError::kClassInfo{"EFilerError", &Exception::kClassInfo};
const ClassInfo EReadError::kClassInfo{"EReadError", &EFilerError::kClassInfo};
const ClassInfo EClassNotFound::kClassInfo{"EClassNotFound", &EFilerError::kClassInfo};
const ClassInfo EResNotFound::kClassInfo{"EResNotFound", &Exception::kClassInfo};
const ClassInfo EListError::kClassInfo{"EListError", &Exception::kClassInfo};
const ClassInfo EInOutError::kClassInfo{"EInOutError", &Exception::kClassInfo};

std::string Exception::Formatted(unsigned stringId, ...) {
  const std::string format = LoadResString(stringId);
  va_list arguments;
  va_start(arguments, stringId);
  va_list copy;
  va_copy(copy, arguments);
  const int length = std::vsnprintf(nullptr, 0, format.c_str(), copy);
  va_end(copy);
  std::string text(length > 0 ? static_cast<size_t>(length) : 0, '\0');
  if (length > 0) std::vsnprintf(text.data(), text.size() + 1, format.c_str(), arguments);
  va_end(arguments);
  return text;
}
