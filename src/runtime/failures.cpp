#include "failures.hpp"

namespace runtime {

Failure::Failure(Exception* object, const void* location) : object_(object), location_(location) {
  ++object_->references_;
}

Failure::Failure(const Failure& other) : Failure(other.object_, other.location_) {}

Failure::~Failure() {
  if (--object_->references_ == 0) delete object_;
}

void KeepForever(Exception& object) {
  ++object.references_;
}

void StopKeeping(Exception& object) {
  if (--object.references_ == 0) delete &object;
}

void Raise(Exception* object, const void* location) {
  throw Failure(object, location);
}

}  // namespace runtime
