#pragma once

#include "APIs/ClientCore.hpp"
#include "Conditions/AuthenticatedSessionExists.hpp"
#include "CoreOperations/ClientOperation.hpp"

#include <zelvora/models/Receipts.hpp>

namespace zelvora::internal {

// The app is handed the list itself (the same receipt objects), absent when the reply has none.
struct HandOverReceiptList {
  static std::shared_ptr<ModelList<Receipt>> record(const std::shared_ptr<Receipts>& reply) {
    if (!reply || !reply->receipts) {
      return nullptr;
    }
    return std::make_shared<ModelList<Receipt>>(*reply->receipts);
  }
};

// Reads the shopper's past receipts.
using GetReceiptsOperation =
    ClientOperation<&ClientCore::getReceipts, AuthenticatedSessionExists, HandOverReceiptList>;

}  // namespace zelvora::internal
