// Every model against its data file: tests/data/models/<Model>.json sets every key of the model,
// is decoded through the registry under the model's name, encoded back, and compared key by key
// with the file itself or, where the encoding writes a value in another form (a date, a number of
// another kind), with <Model>.expected.json.
#include "Models/ModelList.hpp"
#include "Models/Models.hpp"

#include <zelvora/models/Models.hpp>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace zelvora {
namespace {

namespace fs = std::filesystem;

const fs::path kModelData = fs::path(ZELVORA_TEST_DATA_DIR) / "models";

using Recode = Json (*)(const Json&);

// Decoded as replies and events are, by the registry entry of the model's name.
template <class M>
Json recode(const Json& source) {
  const auto* decoder = Decoders::find(modelName<M>());
  if (decoder == nullptr) {
    throw std::logic_error("the registry has no entry for this model");
  }
  return encodeToJSON(*std::any_cast<std::shared_ptr<M>>((*decoder)(source)));
}

// The models the registry is filled with, by name.
const std::map<std::string, Recode>& everyModel() {
  static const auto models = [] {
    std::map<std::string, Recode> byName;
#define ZELVORA_ADD_MODEL(Model) byName.emplace(modelName<Model>(), &recode<Model>);
    ZELVORA_FOR_EACH_MODEL(ZELVORA_ADD_MODEL)
#undef ZELVORA_ADD_MODEL
    return byName;
  }();
  return models;
}

Json readJson(const fs::path& file) {
  std::ifstream stream(file);
  return Json::parse(stream);
}

std::optional<Json> recodeOrFail(const std::string& model, const Json& source) {
  try {
    return everyModel().at(model)(source);
  } catch (const std::exception& error) {
    ADD_FAILURE() << model << " failed to decode and encode: " << error.what();
    return std::nullopt;
  }
}

// Adds where `written` departs from `expected`, one "path: what" line each. With `keysOnly`, only
// keys of `expected` that `written` lacks count (a key the decoder skipped); otherwise also keys
// it adds and values that differ, leaves compared by their text so that 2 and 2.0 differ.
void compare(const Json& expected, const Json& written, const std::string& path, bool keysOnly,
             std::vector<std::string>& differences) {
  if (expected.is_object() && written.is_object()) {
    for (const auto& [key, value] : expected.items()) {
      const auto found = written.find(key);
      if (found == written.end()) {
        differences.push_back(
            path + "/" + key +
            (keysOnly ? ": in the file but not read" : ": expected but not written"));
      } else {
        compare(value, *found, path + "/" + key, keysOnly, differences);
      }
    }
    for (const auto& [key, value] : written.items()) {
      if (!keysOnly && !expected.contains(key)) {
        differences.push_back(path + "/" + key + ": written but not expected");
      }
    }
  } else if (expected.is_array() && written.is_array() && expected.size() == written.size()) {
    for (std::size_t i = 0; i < expected.size(); ++i) {
      compare(expected[i], written[i], path + "/" + std::to_string(i), keysOnly, differences);
    }
  } else if (!keysOnly && expected.dump() != written.dump()) {
    differences.push_back(path + ": expected " + expected.dump() + ", written " + written.dump());
  }
}

// Dates are written in the process's time zone: the files hold them as written in UTC.
class ModelData : public testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    if (const char* zone = std::getenv("TZ")) {
      savedZone_ = zone;
    }
    setenv("TZ", "UTC", 1);
    tzset();
  }
  void TearDown() override {
    savedZone_ ? setenv("TZ", savedZone_->c_str(), 1) : unsetenv("TZ");
    tzset();
  }

 private:
  std::optional<std::string> savedZone_;
};

TEST_P(ModelData, ReadsEveryKeyOfItsFileAndWritesItBack) {
  const std::string& model = GetParam();
  const fs::path file = kModelData / (model + ".json");
  ASSERT_TRUE(fs::exists(file)) << model << " has no data file " << file;
  const Json source = readJson(file);
  const fs::path expectedFile = kModelData / (model + ".expected.json");
  const bool writtenOtherwise = fs::exists(expectedFile);
  const Json expected = writtenOtherwise ? readJson(expectedFile) : source;

  const auto written = recodeOrFail(model, source);
  ASSERT_TRUE(written);
  std::vector<std::string> differences;
  if (writtenOtherwise) {
    compare(source, *written, "", true, differences);
  }
  compare(expected, *written, "", false, differences);
  EXPECT_TRUE(differences.empty()) << model << ":\n" << testing::PrintToString(differences);

  // No field has a default.
  EXPECT_EQ(recodeOrFail(model, Json::object()).value_or(nullptr), Json::object());
}

std::vector<std::string> modelNames() {
  std::vector<std::string> names;
  for (const auto& [name, recode] : everyModel()) {
    names.push_back(name);
  }
  return names;
}

INSTANTIATE_TEST_SUITE_P(EveryModel, ModelData, testing::ValuesIn(modelNames()),
                         [](const auto& model) { return model.param; });

}  // namespace
}  // namespace zelvora
