#pragma once

// The one codec behind every model. A model's source file specialises `ModelFields` with its
// name and a table of its fields, then instantiates the codec with ZELVORA_MODEL_CODEC; the C++
// type of each member picks the rule by which it is written, read and copied.

#include "Models/ModelCodec.hpp"
#include "Models/ModelCopy.hpp"
#include "Models/ModelList.hpp"
#include "Models/Models.hpp"

#include <zelvora/RawValue.hpp>
#include <zelvora/models/Forward.hpp>

#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <tuple>
#include <type_traits>
#include <vector>

namespace zelvora {

template <class M>
struct ModelFields;  // static constexpr std::string_view name; static constexpr auto fields;

template <class M, class T>
struct Field {
  std::string_view key;
  T M::*member;
};

template <class M, class T>
constexpr Field<M, T> field(std::string_view key, T M::*member) {
  return {key, member};
}

namespace codec {

template <class T>
struct IsVector : std::false_type {};
template <class T>
struct IsVector<std::vector<T>> : std::true_type {};

template <class T>
struct IsSharedPtr : std::false_type {};
template <class T>
struct IsSharedPtr<std::shared_ptr<T>> : std::true_type {};

template <class T>
constexpr std::string_view typeName() {
  if constexpr (std::is_same_v<T, std::string>) {
    return "String";
  } else if constexpr (std::is_same_v<T, std::int64_t>) {
    return "Int64";
  } else if constexpr (std::is_same_v<T, double>) {
    return "Double";
  } else {
    static_assert(std::is_same_v<T, bool>);
    return "Bool";
  }
}

// How a source value is named in a decoding failure: scalars as themselves, containers by kind,
// so that describing hostile input never walks it.
std::string describe(const Json& source);

[[noreturn]] void failNotConvertible(const Json& source, std::string_view typeName);

std::int64_t decodeInt64(const Json& source);
double decodeDouble(const Json& source);
bool decodeBool(const Json& source);

// ---- encoding

template <class T>
Json encodeValue(const T& value) {
  if constexpr (std::is_same_v<T, std::string> || std::is_same_v<T, bool> ||
                std::is_same_v<T, std::int64_t>) {
    return value;
  } else if constexpr (std::is_same_v<T, double>) {
    return zelvora::encodeValue(value);
  } else if constexpr (std::is_same_v<T, Date>) {
    return formatDate(value);
  } else if constexpr (std::is_enum_v<T>) {
    return rawValue(value);
  } else if constexpr (IsSharedPtr<T>::value) {
    if (value == nullptr) {
      throw EncodingError("a list holds no model");
    }
    return encodeToJSON(*value);
  } else {
    static_assert(IsVector<T>::value, "a field type the codec does not know");
    Json array = Json::array();
    for (const auto& element : value) {
      array.push_back(encodeValue(element));
    }
    return array;
  }
}

template <class M, class T>
void encodeField(Json& object, const M& model, const Field<M, T>& field) {
  const T& member = model.*field.member;
  if constexpr (IsSharedPtr<T>::value) {
    if (member != nullptr) {
      object.emplace(field.key, encodeToJSON(*member));
    }
  } else if (member.has_value()) {
    object.emplace(field.key, encodeValue(*member));
  }
}

// ---- decoding

template <class T>
T decodeValue(const Json& source) {
  if constexpr (std::is_same_v<T, std::string>) {
    if (!source.is_string()) {
      failNotConvertible(source, typeName<T>());
    }
    return source.get_ref<const std::string&>();
  } else if constexpr (std::is_same_v<T, std::int64_t>) {
    return decodeInt64(source);
  } else if constexpr (std::is_same_v<T, double>) {
    return decodeDouble(source);
  } else if constexpr (std::is_same_v<T, bool>) {
    return decodeBool(source);
  } else if constexpr (std::is_same_v<T, Date>) {
    return decodeDate(source);
  } else if constexpr (IsSharedPtr<T>::value) {
    return decodeModel<typename T::element_type>(source);
  } else {
    static_assert(IsVector<T>::value, "a field type the codec does not know");
    if (!source.is_array()) {
      throw DecodingError("");
    }
    T list;
    list.reserve(source.size());
    for (const auto& element : source) {
      list.push_back(decodeValue<typename T::value_type>(element));
    }
    return list;
  }
}

// A single enumeration is lenient: anything but one of its texts leaves it absent.
template <class E>
std::optional<E> decodeEnum(const Json& value) {
  if (!value.is_string()) {
    return std::nullopt;
  }
  return enumFromRawValue<E>(value.get_ref<const std::string&>());
}

// A list of enumerations is strict: an array of texts must hold only known texts, while anything
// that is not an array of texts leaves it absent.
template <class E>
std::optional<std::vector<E>> decodeEnumList(const Json& value) {
  if (!value.is_array()) {
    return std::nullopt;
  }
  for (const auto& element : value) {
    if (!element.is_string()) {
      return std::nullopt;
    }
  }
  std::vector<E> list;
  list.reserve(value.size());
  for (const auto& element : value) {
    const auto known = enumFromRawValue<E>(element.get_ref<const std::string&>());
    if (!known) {
      throw DecodingError("");
    }
    list.push_back(*known);
  }
  return list;
}

template <class T>
struct EnumListElement {
  using type = void;
};
template <class E>
struct EnumListElement<std::optional<std::vector<E>>> {
  using type = std::conditional_t<std::is_enum_v<E>, E, void>;
};

template <class M, class T>
void decodeField(const Json& object, M& model, const Field<M, T>& field) {
  const auto found = object.find(field.key);
  if (found == object.end()) {
    return;
  }
  T& member = model.*field.member;
  if constexpr (IsSharedPtr<T>::value) {
    if (!found->is_null()) {
      member = decodeValue<T>(*found);
    }
  } else if constexpr (std::is_enum_v<typename T::value_type>) {
    member = decodeEnum<typename T::value_type>(*found);
  } else if constexpr (!std::is_void_v<typename EnumListElement<T>::type>) {
    member = decodeEnumList<typename EnumListElement<T>::type>(*found);
  } else if (!found->is_null()) {
    member = decodeValue<typename T::value_type>(*found);
  }
}

// ---- copying

template <class T>
struct IsOptional : std::false_type {};
template <class T>
struct IsOptional<std::optional<T>> : std::true_type {};

// Points a member of a fresh copy at copies of the models it still shares with the original;
// plain values were copied with the model already.
template <class T>
void detach(T& value) {
  if constexpr (IsSharedPtr<T>::value) {
    if (value != nullptr) {
      value = copyModel(*value);
    }
  } else if constexpr (IsOptional<T>::value) {
    if (value.has_value()) {
      detach(*value);
    }
  } else if constexpr (IsVector<T>::value) {
    for (auto& element : value) {
      detach(element);
    }
  }
}

}  // namespace codec

template <class M>
std::string_view modelName() {
  return ModelFields<M>::name;
}

template <class M>
Json encodeToJSON(const M& model) {
  Json object = Json::object();
  std::apply([&](const auto&... fields) { (codec::encodeField(object, model, fields), ...); },
             ModelFields<M>::fields);
  return object;
}

template <class M>
std::shared_ptr<M> decodeModel(const Json& source) {
  if (!source.is_object()) {
    throw DecodingError("");
  }
  auto model = std::make_shared<M>();
  std::apply([&](const auto&... fields) { (codec::decodeField(source, *model, fields), ...); },
             ModelFields<M>::fields);
  return model;
}

template <class M>
std::shared_ptr<M> copyModel(const M& model) {
  auto copy = std::make_shared<M>(model);
  std::apply([&](const auto&... fields) { (codec::detach((*copy).*(fields.member)), ...); },
             ModelFields<M>::fields);
  return copy;
}

}  // namespace zelvora

// Each model's codec is compiled once, in the model's own source file; everywhere else it is
// only called.
#define ZELVORA_DECLARE_MODEL_CODEC(Model)                                              \
  extern template std::string_view zelvora::modelName<zelvora::Model>();                \
  extern template zelvora::Json zelvora::encodeToJSON(const zelvora::Model&);           \
  extern template std::shared_ptr<zelvora::Model> zelvora::decodeModel<zelvora::Model>( \
      const zelvora::Json&);                                                            \
  extern template std::shared_ptr<zelvora::Model> zelvora::copyModel<zelvora::Model>(   \
      const zelvora::Model&);
ZELVORA_FOR_EACH_MODEL(ZELVORA_DECLARE_MODEL_CODEC)
#undef ZELVORA_DECLARE_MODEL_CODEC

#define ZELVORA_MODEL_CODEC(Model)                                               \
  template std::string_view zelvora::modelName<zelvora::Model>();                \
  template zelvora::Json zelvora::encodeToJSON(const zelvora::Model& model);     \
  template std::shared_ptr<zelvora::Model> zelvora::decodeModel<zelvora::Model>( \
      const zelvora::Json&);                                                     \
  template std::shared_ptr<zelvora::Model> zelvora::copyModel<zelvora::Model>(const zelvora::Model&)
