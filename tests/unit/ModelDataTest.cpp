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
#include <set>
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

// Where each value of a document sits, "/a/0/b" style.
std::set<std::string> pathsIn(const Json& document) {
  std::set<std::string> paths;
  const Json flat = document.flatten();
  for (const auto& [path, value] : flat.items()) {
    paths.insert(path);
  }
  return paths;
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
  if (writtenOtherwise) {
    const auto read = pathsIn(*written);
    for (const auto& path : pathsIn(source)) {
      EXPECT_TRUE(read.count(path)) << model << path << ": in the file but not read";
    }
  }
  // By text, so that 2 and 2.0 differ.
  EXPECT_EQ(written->dump(1), expected.dump(1)) << model;

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
