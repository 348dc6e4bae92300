// The system's own description of an error code, in the user's language.
#pragma once

#include <string>

// FormatMessageA's text for a system error code, without the trailing line end;
// "エラー コード N" when the system has no text for it.
std::string SystemErrorText(unsigned long errorCode);
