#include "Models/Models.hpp"

#include "Models/ModelFields.hpp"

#include <array>
#include <charconv>
#include <cmath>
#include <ctime>
#include <limits>
#include <mutex>
#include <unordered_map>

namespace zelvora {
namespace codec {

std::string describe(const Json& source) {
  switch (source.type()) {
    case Json::value_t::string:
      return source.get_ref<const std::string&>();
    case Json::value_t::boolean:
      return source.get<bool>() ? "1" : "0";
    case Json::value_t::array:
      return "<array>";
    case Json::value_t::object:
      return "<object>";
    case Json::value_t::null:
      return "<null>";
    default:
      return source.dump();
  }
}

void failNotConvertible(const Json& source, std::string_view typeName) {
  throw DecodingError("Source " + describe(source) + " is not convertible to type " +
                      std::string(typeName) + ": Maybe swagger file is insufficient");
}

namespace {

// The platform's numbers and booleans share one representation, so each reads as the other.
std::optional<std::int64_t> toInt64(const Json& source) {
  switch (source.type()) {
    case Json::value_t::number_integer:
      return source.get<std::int64_t>();
    case Json::value_t::number_unsigned: {
      const auto value = source.get<std::uint64_t>();
      if (value > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
        return std::nullopt;
      }
      return static_cast<std::int64_t>(value);
    }
    case Json::value_t::number_float: {
      const double truncated = std::trunc(source.get<double>());
      // 2^63 is exactly representable; anything at or beyond it does not fit.
      if (!(truncated >= -0x1p63 && truncated < 0x1p63)) {
        return std::nullopt;
      }
      return static_cast<std::int64_t>(truncated);
    }
    case Json::value_t::boolean:
      return source.get<bool>() ? 1 : 0;
    default:
      return std::nullopt;
  }
}

}  // namespace

std::int64_t decodeInt64(const Json& source) {
  const auto value = toInt64(source);
  if (!value) {
    failNotConvertible(source, typeName<std::int64_t>());
  }
  return *value;
}

double decodeDouble(const Json& source) {
  if (source.is_boolean()) {
    return source.get<bool>() ? 1.0 : 0.0;
  }
  if (!source.is_number()) {
    failNotConvertible(source, typeName<double>());
  }
  return source.get<double>();
}

bool decodeBool(const Json& source) {
  if (source.is_boolean()) {
    return source.get<bool>();
  }
  if (!source.is_number()) {
    failNotConvertible(source, typeName<bool>());
  }
  return source.get<double>() != 0.0;
}

}  // namespace codec

namespace {

// ---- dates

// The six text forms the platform has been seen to send, tried in this order. They are read with
// fixed Gregorian, ASCII rules whatever the locale; forms without a zone are local time, and a
// literal "Z" is UTC.
constexpr std::array<std::string_view, 6> kDatePatterns{
    "yyyy-MM-dd",
    "yyyy-MM-dd'T'HH:mm:ssZZZZZ",
    "yyyy-MM-dd'T'HH:mm:ss.SSSZZZZZ",
    "yyyy-MM-dd'T'HH:mm:ss'Z'",
    "yyyy-MM-dd'T'HH:mm:ss.SSS",
    "yyyy-MM-dd HH:mm:ss",
};

struct DateFields {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millisecond = 0;
  std::optional<int> offsetSeconds;  // none: local time
  bool hasClockTime = false;         // false: the text names a whole day
};

class DateTextReader {
 public:
  explicit DateTextReader(std::string_view text) : text_(text) {}

  bool atEnd() const { return position_ == text_.size(); }

  bool literal(char expected) {
    if (atEnd() || text_[position_] != expected) {
      return false;
    }
    ++position_;
    return true;
  }

  bool digits(std::size_t count, int& value) {
    if (text_.size() - position_ < count) {
      return false;
    }
    value = 0;
    for (std::size_t i = 0; i < count; ++i) {
      const char c = text_[position_ + i];
      if (c < '0' || c > '9') {
        return false;
      }
      value = value * 10 + (c - '0');
    }
    position_ += count;
    return true;
  }

  // A fraction of a second of any length, kept to milliseconds.
  bool fraction(int& milliseconds) {
    std::size_t count = 0;
    milliseconds = 0;
    while (!atEnd() && text_[position_] >= '0' && text_[position_] <= '9') {
      if (count < 3) {
        milliseconds = milliseconds * 10 + (text_[position_] - '0');
      }
      ++count;
      ++position_;
    }
    for (std::size_t i = count; i < 3; ++i) {
      milliseconds *= 10;
    }
    return count > 0;
  }

  // "Z", or a sign with hours and minutes and, for the local mean times of old dates, seconds,
  // each separated by a colon.
  bool zoneOffset(std::optional<int>& offsetSeconds) {
    if (literal('Z')) {
      offsetSeconds = 0;
      return true;
    }
    const bool negative = literal('-');
    if (!negative && !literal('+')) {
      return false;
    }
    int hours = 0, minutes = 0, seconds = 0;
    if (!digits(2, hours) || !literal(':') || !digits(2, minutes) || hours > 23 || minutes > 59) {
      return false;
    }
    if (literal(':') && (!digits(2, seconds) || seconds > 59)) {
      return false;
    }
    offsetSeconds = (negative ? -1 : 1) * (hours * 3600 + minutes * 60 + seconds);
    return true;
  }

 private:
  std::string_view text_;
  std::size_t position_ = 0;
};

bool readPatternToken(std::string_view token, DateTextReader& reader, DateFields& fields) {
  if (token == "yyyy")
    return reader.digits(4, fields.year);
  if (token == "MM")
    return reader.digits(2, fields.month);
  if (token == "dd")
    return reader.digits(2, fields.day);
  if (token == "HH") {
    fields.hasClockTime = true;
    return reader.digits(2, fields.hour);
  }
  if (token == "mm")
    return reader.digits(2, fields.minute);
  if (token == "ss")
    return reader.digits(2, fields.second);
  if (token == "SSS")
    return reader.fraction(fields.millisecond);
  if (token == "ZZZZZ")
    return reader.zoneOffset(fields.offsetSeconds);
  if (token == "'Z'") {
    fields.offsetSeconds = 0;
    return reader.literal('Z');
  }
  if (token.front() == '\'')
    return reader.literal(token[1]);
  return reader.literal(token.front());
}

// Splits a pattern into its runs of one letter, quoted literals and single punctuation.
std::size_t patternTokenLength(std::string_view pattern) {
  if (pattern.front() == '\'') {
    return pattern.find('\'', 1) + 1;
  }
  const bool letter = (pattern.front() >= 'a' && pattern.front() <= 'z') ||
                      (pattern.front() >= 'A' && pattern.front() <= 'Z');
  if (!letter) {
    return 1;
  }
  return std::min(pattern.find_first_not_of(pattern.front()), pattern.size());
}

std::optional<DateFields> readDateText(std::string_view pattern, std::string_view text) {
  DateTextReader reader(text);
  DateFields fields;
  while (!pattern.empty()) {
    const auto length = patternTokenLength(pattern);
    if (!readPatternToken(pattern.substr(0, length), reader, fields)) {
      return std::nullopt;
    }
    pattern.remove_prefix(length);
  }
  if (!reader.atEnd()) {
    return std::nullopt;
  }
  return fields;
}

long localOffsetAt(std::time_t time) {
  std::tm local{};
  return localtime_r(&time, &local) != nullptr ? local.tm_gmtoff : 0;
}

// The first instant at which the offset is no longer `offsetBefore`, knowing that it still is at
// `before` and no longer is at `after`.
std::time_t firstInstantWithNewOffset(std::time_t before, std::time_t after, long offsetBefore) {
  while (after - before > 1) {
    const std::time_t middle = before + (after - before) / 2;
    if (localOffsetAt(middle) == offsetBefore) {
      before = middle;
    } else {
      after = middle;
    }
  }
  return after;
}

// The instant at which the process's clock shows `wallClock`. Around a change of offset a wall
// clock time may not exist (a gap) or exist twice (an overlap). A whole day starts at its first
// instant: the end of a gap that swallows its midnight, the earlier of two midnights. A clock time
// in a gap is read with the offset before the change, so it lands as far past the gap as it lies
// into it; of two occurrences the later one is taken.
std::chrono::sys_seconds fromLocalTime(std::chrono::sys_seconds wallClock, bool hasClockTime) {
  constexpr std::time_t kDay = 24 * 60 * 60;  // wider than any offset, so it spans the change
  const std::time_t asIfUtc = wallClock.time_since_epoch().count();
  const long offsetBefore = localOffsetAt(asIfUtc - kDay);
  const long offsetAfter = localOffsetAt(asIfUtc + kDay);
  const bool existsBefore = localOffsetAt(asIfUtc - offsetBefore) == offsetBefore;
  const bool existsAfter = localOffsetAt(asIfUtc - offsetAfter) == offsetAfter;
  std::time_t instant;
  if (existsBefore && existsAfter) {
    instant = asIfUtc - (hasClockTime ? offsetAfter : offsetBefore);
  } else if (existsBefore || existsAfter) {
    instant = asIfUtc - (existsBefore ? offsetBefore : offsetAfter);
  } else if (hasClockTime) {
    instant = asIfUtc - offsetBefore;
  } else {
    instant =
        firstInstantWithNewOffset(asIfUtc - offsetAfter, asIfUtc - offsetBefore, offsetBefore);
  }
  return std::chrono::sys_seconds{std::chrono::seconds{instant}};
}

std::optional<Date> toDate(const DateFields& fields) {
  using namespace std::chrono;
  const year_month_day day{year{fields.year}, month{static_cast<unsigned>(fields.month)},
                           std::chrono::day{static_cast<unsigned>(fields.day)}};
  if (!day.ok() || fields.hour > 23 || fields.minute > 59 || fields.second > 59) {
    return std::nullopt;
  }
  const sys_seconds wallClock =
      sys_days{day} + hours{fields.hour} + minutes{fields.minute} + seconds{fields.second};
  const sys_seconds instant = fields.offsetSeconds ? wallClock - seconds{*fields.offsetSeconds}
                                                   : fromLocalTime(wallClock, fields.hasClockTime);
  return instant + milliseconds{fields.millisecond};
}

std::optional<Date> parseDateText(std::string_view text) {
  for (const auto pattern : kDatePatterns) {
    if (const auto fields = readDateText(pattern, text)) {
      return toDate(*fields);
    }
  }
  return std::nullopt;
}

}  // namespace

Date decodeDate(const Json& source) {
  if (source.is_string()) {
    if (const auto date = parseDateText(source.get_ref<const std::string&>())) {
      return *date;
    }
  } else if (const auto milliseconds = codec::toInt64(source)) {
    return Date{std::chrono::seconds{*milliseconds / 1000}};
  }
  throw DecodingError("formatter failed to parse " + codec::describe(source));
}

// ---- registry

namespace {

using DecoderTable = std::unordered_map<std::string, Decoders::Decoder>;

template <class M>
void addModel(DecoderTable& table) {
  table.emplace(Decoders::listKey<M>(), [](const Json& source) -> std::any {
    return codec::decodeValue<std::vector<std::shared_ptr<M>>>(source);
  });
  table.emplace(std::string(modelName<M>()),
                [](const Json& source) -> std::any { return decodeModel<M>(source); });
}

DecoderTable makeTable() {
  DecoderTable table;
  table.emplace("Date", [](const Json& source) -> std::any { return decodeDate(source); });
#define ZELVORA_REGISTER_MODEL(Model) addModel<Model>(table);
  ZELVORA_FOR_EACH_MODEL(ZELVORA_REGISTER_MODEL)
#undef ZELVORA_REGISTER_MODEL
  return table;
}

const DecoderTable& decoderTable() {
  static const DecoderTable table = makeTable();
  return table;
}

}  // namespace

const Decoders::Decoder* Decoders::find(std::string_view key) {
  const auto& table = decoderTable();
  const auto found = table.find(std::string(key));
  return found == table.end() ? nullptr : &found->second;
}

std::size_t Decoders::count() {
  return decoderTable().size();
}

}  // namespace zelvora
