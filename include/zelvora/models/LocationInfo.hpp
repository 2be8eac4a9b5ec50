#pragma once

#include <zelvora/models/ModelTypes.hpp>

namespace zelvora {

// Where a session is: a store, a zip code or a geographic position.
class ZELVORA_EXPORT LocationInfo {
 public:
  enum class Format { geo, store, zip };

  std::optional<Format> format;
  std::optional<std::string> zip;
  std::optional<std::string> store;
  std::optional<std::vector<double>> geo;
};

template <>
struct EnumRawValues<LocationInfo::Format> {
  static constexpr RawValueTable<LocationInfo::Format, 3> values{{
      {LocationInfo::Format::geo, "geo"},
      {LocationInfo::Format::store, "store"},
      {LocationInfo::Format::zip, "zip"},
  }};
};

}  // namespace zelvora
