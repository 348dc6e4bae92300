// Class descriptions of the exception family and the I/O error's messages
// (no platform calls).
#include "runtime/Exceptions.h"

#include <cstdio>

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

std::string InOutErrorMessage(unsigned long code) {
  switch (code) {
    case 2:
      return "ﾌｧｲﾙが見つかりません";
    case 3:
      return "不正なﾌｧｲﾙ名です";
    case 4:
      return "ｵｰﾌﾟﾝしたﾌｧｲﾙが多すぎます";
    case 5:
      return "ﾌｧｲﾙへのｱｸｾｽが拒否されました";
    case 100:
      return "ﾌｧｲﾙの末尾以降を読み込みました";
    case 101:
      return "ﾃﾞｨｽｸがいっぱいです";
    case 106:
      return "入力値が数値ではありません";
    default: {
      char text[64];
      std::snprintf(text, sizeof text, "I/O ｴﾗｰ (%lu)", code);
      return text;
    }
  }
}

void RaiseInOutError(unsigned long code) {
  throw EInOutError(InOutErrorMessage(code), code);
}
