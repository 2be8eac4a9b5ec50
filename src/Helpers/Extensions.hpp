#pragma once

#include <zelvora/Date.hpp>

#include <nlohmann/json.hpp>

#include <stdexcept>
#include <string>

namespace zelvora {

using Json = nlohmann::json;

// A value that has no JSON form: a non-finite number, text that is not UTF-8, a date the
// calendar cannot write.
class EncodingError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// "yyyy-MM-dd'T'HH:mm:ss.SSSZZZZZ" in the process's time zone, Gregorian and ASCII whatever the
// locale; the fraction is truncated and a zero offset is written "Z". Throws EncodingError for an
// instant beyond the calendar's years.
std::string formatDate(Date date);

Json encodeValue(double value);  // throws EncodingError for NaN and infinities

// The JSON text of a tree. Throws EncodingError for text that is not valid UTF-8.
std::string serializeJSON(const Json& tree);

}  // namespace zelvora
