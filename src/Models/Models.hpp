#pragma once

#include "Models/ModelCodec.hpp"

#include <any>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

namespace zelvora {

// Reads a date from JSON: one of six text forms, or milliseconds since 1970 cut to whole seconds.
// Throws DecodingError("formatter failed to parse ...").
Date decodeDate(const Json& source);

// The process-wide table of decoders by type name: one per model, one per list of a model, and
// the date decoder. Filled once, on the first decode, and only read afterwards.
class Decoders {
 public:
  using Decoder = std::function<std::any(const Json&)>;

  Decoders() = delete;

  // Decodes a whole reply or event: T is a model's `std::shared_ptr` or a list of them.
  template <class T>
  static Expected<T, DecodingError> decode(const Json& source);

  static const Decoder* find(std::string_view key);
  static std::size_t count();

  template <class M>
  static std::string listKey() {
    return "Array<" + std::string(modelName<M>()) + ">";
  }

 private:
  template <class T>
  struct Key;
  template <class M>
  struct Key<std::shared_ptr<M>> {
    static std::string text() { return std::string(modelName<M>()); }
  };
  template <class M>
  struct Key<std::vector<std::shared_ptr<M>>> {
    static std::string text() { return listKey<M>(); }
  };
};

template <class T>
Expected<T, DecodingError> Decoders::decode(const Json& source) {
  static const std::string key = Key<T>::text();
  try {
    return std::any_cast<T>((*find(key))(source));
  } catch (const DecodingError& error) {
    return error;
  }
}

}  // namespace zelvora
