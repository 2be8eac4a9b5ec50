#pragma once

#include "Helpers/Expected.hpp"
#include "Helpers/Extensions.hpp"

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace zelvora {

// A failed decode. The message is empty where the platform's decoders give none (a model that is
// not an object, a list that is not an array, an unknown tag).
class DecodingError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The codec of every model, instantiated once per model in the model's own source file.
template <class M>
std::string_view modelName();

// The model as a JSON object; absent fields are left out. Throws EncodingError for a value with
// no JSON form.
template <class M>
Json encodeToJSON(const M& model);

// A new model from a JSON object. Throws DecodingError.
template <class M>
std::shared_ptr<M> decodeModel(const Json& source);

// The request body of a model, or why it has none.
template <class M>
Expected<std::string, EncodingError> encodeToJSONText(const M& model) {
  try {
    return serializeJSON(encodeToJSON(model));
  } catch (const EncodingError& error) {
    return error;
  }
}

}  // namespace zelvora
