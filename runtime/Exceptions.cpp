// Class descriptions of the exception family (no platform calls).
#include "runtime/Exceptions.h"


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
