#pragma once

#include "Helpers/Expected.hpp"
#include "Helpers/Extensions.hpp"

#include <zelvora/Error.hpp>

#include <string>

namespace zelvora {

// Reads the text of a platform reply or event frame as JSON, with the five HTML entities
// "&amp;", "&lt;", "&gt;", "&quot;" and "&apos;" replaced, in that order. A text that is JSON as
// it came keeps its structure: the entities are replaced only inside its strings and keys, so a
// value can never rewrite the document around it. Only a text that is not JSON as it came has
// them replaced over the whole text before it is parsed. Any thread; never throws: a text that
// does not parse (a number beyond a double included) gives an error of the JSON domain. The
// text is released as soon as the document exists.
Expected<Json, Error> parseReplyText(std::string text);

// "&amp;", "&lt;", "&gt;", "&quot;" and "&apos;" replaced, in that order, each over the whole
// text.
std::string replaceHtmlEntities(std::string text);

}  // namespace zelvora
