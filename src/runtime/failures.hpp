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
  int references_ = 0;
};

class EInOutError : public Exception {
 public:
  EInOutError(std::string message, int32_t code) : Exception(std::move(message)), IOCode(code) {}
  const char* ClassName() const override { return "EInOutError"; }

  int32_t IOCode;
};

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

// A pre-made object is never released, however often it is raised and discarded.
void KeepForever(Exception& object);

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
