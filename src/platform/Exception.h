#pragma once

#include <exception>
#include <string>

namespace bailan {

// Base of every failure the system raises. The message is the system's own text
// (CP936 bytes) exactly as it is shown or logged; ClassName() names the kind, so
// that a caller can print "ClassName: message" without RTTI name mangling.
class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : message_(std::move(message)) {}
  const char* what() const noexcept override { return message_.c_str(); }
  const std::string& Message() const noexcept { return message_; }
  virtual const char* ClassName() const noexcept { return "Exception"; }

 private:
  std::string message_;
};

}  // namespace bailan

// Declares a failure class derived from `Base` whose ClassName() is its own name.
#define BAILAN_DECLARE_EXCEPTION(Name, Base)                          \
  class Name : public Base {                                          \
   public:                                                            \
    using Base::Base;                                                 \
    const char* ClassName() const noexcept override { return #Name; } \
  }

namespace bailan {

// File failures, with the texts of the system's runtime library:
//   EFCreateError  "Cannot create file "<path>". <reason>"
//   EFOpenError    "Cannot open file "<path>". <reason>"
//   EInOutError    a read, write, seek, size or rename failure on an open file
BAILAN_DECLARE_EXCEPTION(EStreamError, Exception);
BAILAN_DECLARE_EXCEPTION(EFCreateError, EStreamError);
BAILAN_DECLARE_EXCEPTION(EFOpenError, EStreamError);
BAILAN_DECLARE_EXCEPTION(EInOutError, Exception);
// A text that is not a valid number, date or time.
BAILAN_DECLARE_EXCEPTION(EConvertError, Exception);

}  // namespace bailan
