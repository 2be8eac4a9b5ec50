#pragma once

#include <memory>

namespace zelvora {

// A new model with the same values that shares no object with `model`: its nested models and the
// models in its lists are copied too, so a change to one never shows in the other. Defined with
// the codec (Models/ModelFields.hpp) and compiled once per model, in the model's own source file.
template <class M>
std::shared_ptr<M> copyModel(const M& model);

}  // namespace zelvora
