#pragma once

// What every model header needs: every field is optional, nested models are shared.
#include <zelvora/Date.hpp>
#include <zelvora/Export.hpp>
#include <zelvora/RawValue.hpp>
#include <zelvora/models/Forward.hpp>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zelvora {

template <class M>
using ModelList = std::vector<std::shared_ptr<M>>;

}  // namespace zelvora
