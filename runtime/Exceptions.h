// The family of framework errors: Exception carries a message text; each
// class has a run-time class description, and membership of the family is
// decided by the name "Exception" among a class's ancestors.
#pragma once

#include <exception>
#include <string>

#include "runtime/ClassInfo.h"

// A standard exception too, so that one catch clause takes it with every
// other error of the language's library.
class Exception : public std::exception {
public:
  static const ClassInfo kClassInfo;

  explicit Exception(std::string message) : message_(std::move(message)) {}
  virtual ~Exception() = default;

  const std::string& Message() const { return message_; }
  const char* what() const noexcept override { return message_.c_str(); }
  virtual const ClassInfo& classInfo() const { return kClassInfo; }
  const char* ClassName() const { return classInfo().name; }

private:
  std::string message_;
};

// True for an error object of the family: its class or an ancestor is named "Exception".
inline bool IsExceptionFamily(const Exception& error) {
  return error.classInfo().HasAncestorNamed("Exception");
}

// Declares an exception class deriving from Parent with its class description.
#define QUORVEL_EXCEPTION_CLASS(Name, Parent)                          \
  class Name : public Parent {                                         \
  public:                                                              \
    static const ClassInfo kClassInfo;                                 \
    using Parent::Parent;                                              \
    const ClassInfo& classInfo() const override { return kClassInfo; } \
  }

// Silent: handling it shows nothing.
QUORVEL_EXCEPTION_CLASS(EAbort, Exception);
// A forbidden operation on a form or control.
QUORVEL_EXCEPTION_CLASS(EInvalidOperation, Exception);
// The system could not provide a window, bitmap or list entry.
QUORVEL_EXCEPTION_CLASS(EOutOfResources, Exception);
// Bitmap data that cannot be read.
QUORVEL_EXCEPTION_CLASS(EInvalidGraphic, Exception);
// A registry key could not be opened or created.
QUORVEL_EXCEPTION_CLASS(ERegistryException, Exception);
// Reading a stored window layout failed.
QUORVEL_EXCEPTION_CLASS(EFilerError, Exception);
QUORVEL_EXCEPTION_CLASS(EReadError, EFilerError);
QUORVEL_EXCEPTION_CLASS(EClassNotFound, EFilerError);
// A resource of the program is missing.
QUORVEL_EXCEPTION_CLASS(EResNotFound, Exception);
// A list index or operation out of range.
QUORVEL_EXCEPTION_CLASS(EListError, Exception);

// A failed file or folder operation, with the system's error code.
class EInOutError : public Exception {
public:
  static const ClassInfo kClassInfo;
  EInOutError(std::string message, unsigned long errorCode) : Exception(std::move(message)), errorCode_(errorCode) {}
  const ClassInfo& classInfo() const override { return kClassInfo; }
  unsigned long ErrorCode() const { return errorCode_; }

private:
  unsigned long errorCode_;
};

// The message EInOutError carries for a system error code.
std::string InOutErrorMessage(unsigned long code);
// Raises EInOutError for a system error code, with the message chosen by it.
[[noreturn]] void RaiseInOutError(unsigned long code);
