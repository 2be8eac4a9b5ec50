#pragma once

#include "Helpers/StoredModel.hpp"
#include "Models/ModelCodec.hpp"

#include <gtest/gtest.h>

#include <memory>

namespace zelvora::test {

// A model's values as the codec writes them, so that two models compare by content.
template <class M>
Json contentOf(const M& model) {
  return encodeToJSON(model);
}
template <class M>
Json contentOf(const ModelList<M>& list) {
  Json array = Json::array();
  for (const auto& element : list) {
    array.push_back(encodeToJSON(*element));
  }
  return array;
}

// The app's value holds what the Store keeps, in an object of its own.
template <class T>
::testing::AssertionResult isOwnCopyOf(const std::shared_ptr<T>& appValue,
                                       const internal::StoredModel<T>& stored) {
  if (!appValue || !stored) {
    return ::testing::AssertionFailure() << "absent: the app's value or the stored one";
  }
  if (appValue.get() == &*stored) {
    return ::testing::AssertionFailure() << "the app holds the Store's own object";
  }
  const Json held = contentOf(*appValue);
  const Json kept = contentOf(*stored);
  if (held != kept) {
    return ::testing::AssertionFailure() << held.dump() << " is not " << kept.dump();
  }
  return ::testing::AssertionSuccess();
}

}  // namespace zelvora::test
