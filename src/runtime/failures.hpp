// Failure objects and how they travel. A failure is an object of a class rooted at Exception;
// it is thrown as a Failure, which pairs it with the code address where it was raised and
// shares ownership of it, so that the pre-made objects can be raised again and again.
#pragma once

#include <cstdint>
#include <string>

namespace runtime {

class Exception {
 public:
  explicit Exception(std::string message) : MessageText(std::move(message)) {}
  Exception(const Exception&) = delete;
  Exception& operator=(const Exception&) = delete;
  virtual ~Exception() = default;
  virtual const char* ClassName() const { return "Exception"; }

  std::string MessageText;

 private:
  friend class Failure;
  friend void KeepForever(Exception& object);
  friend void StopKeeping(Exception& object);
  int references_ = 0;
};

class EInOutError : public Exception {
 public:
  EInOutError(std::string message, int32_t code) : Exception(std::move(message)), IOCode(code) {}
  const char* ClassName() const override { return "EInOutError"; }

  int32_t IOCode;
};

// The rest of the tree. Every class names itself, spelled as the last-resort report prints it.
#define KELVOR_FAILURE_CLASS(Name, Base)                     \
  class Name : public Base {                                 \
   public:                                                   \
    using Base::Base;                                        \
    const char* ClassName() const override { return #Name; } \
  };

KELVOR_FAILURE_CLASS(EHeapException, Exception)
KELVOR_FAILURE_CLASS(EOutOfMemory, EHeapException)
KELVOR_FAILURE_CLASS(EInvalidPointer, EHeapException)
KELVOR_FAILURE_CLASS(EExternal, Exception)
KELVOR_FAILURE_CLASS(EIntError, EExternal)
KELVOR_FAILURE_CLASS(EMathError, EExternal)
KELVOR_FAILURE_CLASS(EDivByZero, EIntError)
KELVOR_FAILURE_CLASS(ERangeError, EIntError)
KELVOR_FAILURE_CLASS(EIntOverflow, EIntError)
KELVOR_FAILURE_CLASS(EInvalidOp, EMathError)
KELVOR_FAILURE_CLASS(EZeroDivide, EMathError)
KELVOR_FAILURE_CLASS(EOverflow, EMathError)
KELVOR_FAILURE_CLASS(EUnderflow, EMathError)
KELVOR_FAILURE_CLASS(EAccessViolation, EExternal)
KELVOR_FAILURE_CLASS(EPrivilege, EExternal)
KELVOR_FAILURE_CLASS(EControlC, EExternal)
KELVOR_FAILURE_CLASS(EStackOverflow, EExternal)
KELVOR_FAILURE_CLASS(EExternalException, EExternal)

#undef KELVOR_FAILURE_CLASS

// What is thrown. Copying shares the object; the last copy to go releases it.
class Failure {
 public:
  Failure(Exception* object, const void* location);
  Failure(const Failure& other);
  Failure& operator=(const Failure&) = delete;
  ~Failure();

  Exception& Object() const { return *object_; }
  const void* Location() const { return location_; }

 private:
  Exception* object_;
  const void* location_;
};

// A pre-made object is never released, however often it is raised and discarded, until
// StopKeeping lets it go (at once, or when the last Failure that carries it goes).
void KeepForever(Exception& object);
void StopKeeping(Exception& object);

[[noreturn]] void Raise(Exception* object, const void* location);

// Runs `cleanup` on every way out of `body`. A cleanup may raise: its failure then replaces
// the one in flight, which a destructor could not do.
template <typename Body, typename Cleanup>
void Protect(Body&& body, Cleanup&& cleanup) {
  try {
    body();
  } catch (...) {
    cleanup();
    throw;
  }
  cleanup();
}

}  // namespace runtime
