#pragma once

#include <zelvora/models/ModelTypes.hpp>

namespace zelvora {

// The body of a reply by which the platform rejects a request.
class ZELVORA_EXPORT BadRequestBody {
 public:
  enum class Status { error };
  enum class ModelError { request };

  std::optional<Status> status;
  std::optional<ModelError> error;
  std::optional<ModelList<BadRequestBodyErrors>> errors;
};

template <>
struct EnumRawValues<BadRequestBody::Status> {
  static constexpr RawValueTable<BadRequestBody::Status, 1> values{
      {{BadRequestBody::Status::error, "error"}}};
};

template <>
struct EnumRawValues<BadRequestBody::ModelError> {
  static constexpr RawValueTable<BadRequestBody::ModelError, 1> values{
      {{BadRequestBody::ModelError::request, "bad-request"}}};
};

}  // namespace zelvora
