#include "CoreNetworking/Response/ReplyText.hpp"

#include <array>
#include <exception>
#include <iterator>
#include <string_view>
#include <utility>
#include <vector>

namespace zelvora {
namespace {

constexpr std::array<std::pair<std::string_view, std::string_view>, 5> kEntities{{
    {"&amp;", "&"},
    {"&lt;", "<"},
    {"&gt;", ">"},
    {"&quot;", "\""},
    {"&apos;", "'"},
}};

void replaceAll(std::string& text, std::string_view from, std::string_view to) {
  auto at = text.find(from);
  if (at == std::string::npos) {
    return;
  }
  std::string replaced;
  replaced.reserve(text.size());
  std::size_t start = 0;
  for (; at != std::string::npos; at = text.find(from, start)) {
    replaced.append(text, start, at - start).append(to);
    start = at + from.size();
  }
  replaced.append(text, start, std::string::npos);
  text = std::move(replaced);
}

bool mayHoldEntity(const std::string& text) {
  return text.find('&') != std::string::npos;
}

void replaceEntitiesInKeys(Json::object_t& object) {
  std::vector<Json::object_t::node_type> renamed;
  for (auto entry = object.begin(); entry != object.end();) {
    const auto next = std::next(entry);
    if (mayHoldEntity(entry->first)) {
      auto replaced = replaceHtmlEntities(entry->first);
      if (replaced != entry->first) {
        renamed.push_back(object.extract(entry));
        renamed.back().key() = std::move(replaced);
      }
    }
    entry = next;
  }
  // Put back only once all are out, so that a renamed key never meets one still to be renamed. A
  // key sent as it reads keeps its value when a renamed one would collide with it.
  for (auto& node : renamed) {
    object.insert(std::move(node));
  }
}

// Depth first with a stack of its own: a hostile document may nest deeper than a thread's stack.
void replaceEntitiesInStringsAndKeys(Json& document) {
  struct Level {
    Json::iterator next;
    Json::iterator end;
  };
  std::vector<Level> levels;
  const auto visit = [&levels](Json& value) {
    if (value.is_string()) {
      auto& text = value.get_ref<std::string&>();
      if (mayHoldEntity(text)) {
        text = replaceHtmlEntities(std::move(text));
      }
    } else if (value.is_structured()) {
      if (value.is_object()) {
        replaceEntitiesInKeys(value.get_ref<Json::object_t&>());
      }
      levels.push_back({value.begin(), value.end()});
    }
  };
  visit(document);
  while (!levels.empty()) {
    Level& level = levels.back();
    if (level.next == level.end) {
      levels.pop_back();
      continue;
    }
    Json& child = *level.next;
    ++level.next;
    visit(child);
  }
}

Json parseKeepingStructure(std::string text) {
  Json document;
  try {
    document = Json::parse(text);
  } catch (const Json::exception&) {
    if (!mayHoldEntity(text)) {
      throw;
    }
    // Some replies are JSON only once their entities are replaced.
    return Json::parse(replaceHtmlEntities(std::move(text)));
  }
  std::string().swap(text);
  replaceEntitiesInStringsAndKeys(document);
  return document;
}

}  // namespace

std::string replaceHtmlEntities(std::string text) {
  for (const auto& [entity, character] : kEntities) {
    replaceAll(text, entity, character);
  }
  return text;
}

// Every failure is a value: a syntax error, a number beyond a double, text that is not UTF-8, or
// running out of memory on a huge document.
Expected<Json, Error> parseReplyText(std::string text) {
  try {
    return parseKeepingStructure(std::move(text));
  } catch (const Json::exception& error) {
    return Error::json(error.id, error.what());
  } catch (const std::exception& error) {
    return Error::json(0, error.what());
  }
}

}  // namespace zelvora
