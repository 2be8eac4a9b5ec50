#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>
#include <utility>

namespace zelvora {

// Each enumeration of the models is written on the wire as a text. Its specialisation of
// `EnumRawValues` holds the table of cases and texts that both directions read.
template <class E>
struct EnumRawValues;

template <class E, std::size_t N>
using RawValueTable = std::array<std::pair<E, std::string_view>, N>;

template <class E>
constexpr std::string_view rawValue(E value) {
  for (const auto& [candidate, text] : EnumRawValues<E>::values) {
    if (candidate == value) {
      return text;
    }
  }
  return {};
}

// The case whose text equals `text` exactly (case-sensitive), or none.
template <class E>
constexpr std::optional<E> enumFromRawValue(std::string_view text) {
  for (const auto& [candidate, candidateText] : EnumRawValues<E>::values) {
    if (candidateText == text) {
      return candidate;
    }
  }
  return std::nullopt;
}

// The four card kinds shared by payment instruments, provisioning, payment-type offers and
// payments.
enum class CardKind { Credit, ChargeCard, GiftCard, Debit };

template <>
struct EnumRawValues<CardKind> {
  static constexpr RawValueTable<CardKind, 4> values{{
      {CardKind::Credit, "credit"},
      {CardKind::ChargeCard, "charge-card"},
      {CardKind::GiftCard, "gift-card"},
      {CardKind::Debit, "debit"},
  }};
};

// The eight stages of a basket's shopping and payment flow, shared by baskets, previews, receipts
// and basket-state replies. `New` is capitalised only because `new` is a keyword.
enum class BasketFlowState {
  completeTransaction,
  New,
  updateBasket,
  initiatePayment,
  completeScan,
  associatePos,
  readyForPayment,
  cancelTransaction
};

template <>
struct EnumRawValues<BasketFlowState> {
  static constexpr RawValueTable<BasketFlowState, 8> values{{
      {BasketFlowState::completeTransaction, "complete-transaction"},
      {BasketFlowState::New, "new"},
      {BasketFlowState::updateBasket, "update-basket"},
      {BasketFlowState::initiatePayment, "initiate-payment"},
      {BasketFlowState::completeScan, "complete-scan"},
      {BasketFlowState::associatePos, "associate-pos"},
      {BasketFlowState::readyForPayment, "ready-for-payment"},
      {BasketFlowState::cancelTransaction, "cancel-transaction"},
  }};
};

// The one basket tag: reserve and collect in store.
enum class BasketTag { collect };

template <>
struct EnumRawValues<BasketTag> {
  static constexpr RawValueTable<BasketTag, 1> values{{{BasketTag::collect, "reserve-collect"}}};
};

}  // namespace zelvora
