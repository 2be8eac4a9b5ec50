#pragma once

#include "Conditions/OperationCondition.hpp"

namespace zelvora::internal {

// initialize has stored a merchant id. Nothing can supply one in its place.
class MerchantExists final : public OperationCondition {
 public:
  std::shared_ptr<CoreOperation> dependency() const override { return nullptr; }
  std::optional<Error> evaluate(const StoreValues& store) const override;
};

}  // namespace zelvora::internal
