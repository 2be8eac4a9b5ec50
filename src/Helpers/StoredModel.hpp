#pragma once

#include "Models/ModelCopy.hpp"

#include <zelvora/models/ModelTypes.hpp>

#include <cstddef>
#include <cstdint>
#include <memory>

namespace zelvora::internal {

// A copy of a model, or of a list of models, that shares no object with the original.
template <class M>
std::shared_ptr<M> copyOf(const M& model) {
  return copyModel(model);
}
template <class M>
std::shared_ptr<ModelList<M>> copyOf(const ModelList<M>& list) {
  auto copy = std::make_shared<ModelList<M>>();
  copy->reserve(list.size());
  for (const auto& element : list) {
    copy->push_back(element ? copyModel(*element) : nullptr);
  }
  return copy;
}

// The number of one read of the platform's state, in one process-wide order: a request's is taken
// as it goes out, an event's as the listener takes it on the main thread. A later read has a larger
// number; none is 0.
using PlatformRead = std::uint64_t;

// The next read's number. Any thread.
PlatformRead nextPlatformRead();

// A model value of the Store: the Store's own deep copy, taken as the value is stored, and never
// changed afterwards. Whatever a writer assigns is copied on the way in (the conversion is implicit
// for that reason), so nobody outside the Store, the app above all, holds an object the Store
// keeps; inside the SDK it is read in place, through const access only. A value stored from the
// platform's reply or event keeps the number of that read. Copying a StoredModel shares the same
// immutable object; two compare equal when they hold the same object.
template <class T>
class StoredModel {
 public:
  StoredModel() = default;
  StoredModel(std::nullptr_t) {}
  StoredModel(const std::shared_ptr<T>& value, PlatformRead read = 0)
      : value_(value ? copyOf(*value) : nullptr), read_(read) {}

  explicit operator bool() const { return value_ != nullptr; }
  const T& operator*() const { return *value_; }
  const T* operator->() const { return value_.get(); }

  // A copy of the stored value that its receiver may change at will; absent when none is stored.
  std::shared_ptr<T> copy() const { return value_ ? copyOf(*value_) : nullptr; }

  // The read of the platform that brought the value; 0 when it was stored without one.
  PlatformRead read() const { return read_; }

  friend bool operator==(const StoredModel&, const StoredModel&) = default;
  friend bool operator==(const StoredModel& stored, std::nullptr_t) { return !stored; }

 private:
  std::shared_ptr<const T> value_;
  PlatformRead read_ = 0;
};

}  // namespace zelvora::internal
