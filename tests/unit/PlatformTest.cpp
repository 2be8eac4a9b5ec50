// The framework bundle and the device's identifier for vendor.
#include "Platform/Bundle.hpp"
#include "Platform/Device.hpp"
#include "support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <thread>

namespace zelvora {
namespace {

namespace fs = std::filesystem;

using test::TemporaryDirectory;

TEST(BundleTest, ADirectoryBundleFindsOnlyItsFiles) {
  TemporaryDirectory directory;
  std::ofstream(directory.path() / "index.html") << "<html></html>";
  fs::create_directory(directory.path() / "thankyou.html");
  const platform::DirectoryBundle bundle(directory.path());
  EXPECT_EQ(bundle.pathForResource("index", "html"), directory.path() / "index.html");
  EXPECT_FALSE(bundle.pathForResource("index", "js"));
  EXPECT_FALSE(bundle.pathForResource("thankyou", "html"));  // a directory is no resource
  EXPECT_FALSE(platform::DirectoryBundle("/nonexistent/zelvora").pathForResource("index", "html"));
}

// Which resources a library uses, by where its file is: the source tree's only from inside the
// build tree, never for an installation, even one that lost its share/zelvora.
TEST(BundleTest, OnlyALibraryInItsBuildTreeUsesTheSourceResources) {
  TemporaryDirectory root;
  const fs::path& r = root.path();
  for (const char* directory : {"prefix/share/zelvora", "build/install/share/zelvora"}) {
    fs::create_directories(r / directory);
  }
  const platform::ResourceLocations locations{"../share/zelvora", r / "build", r / "src/resources"};
  const struct {
    fs::path loadedFile;
    fs::path expected;
  } cases[] = {
      {r / "build/libzelvora.so.0", locations.sourceResources},
      {r / "build/tests/zelvora_unit_tests", locations.sourceResources},
      {r / "build/tests/../libzelvora.so", locations.sourceResources},
      {r / "prefix/lib/libzelvora.so.0", r / "prefix/share/zelvora"},
      {r / "build/install/lib/libzelvora.so.0", r / "build/install/share/zelvora"},
      {r / "bare/lib/libzelvora.so.0", r / "bare/share/zelvora"},
      {r / "build2/libzelvora.so.0", r / "share/zelvora"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(platform::resourceDirectoryFor(c.loadedFile, locations), c.expected) << c.loadedFile;
  }
}

const std::regex upperCaseUuid(
    "[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}");

TEST(DeviceTest, IdentifierIsAnUpperCaseUuidKeptAcrossRunsAndOwnToTheUser) {
  TemporaryDirectory data, otherUsers;
  platform::PersistentDevice first([&] { return std::optional(data.path()); });
  const auto identifier = first.identifierForVendor();
  ASSERT_TRUE(identifier);
  EXPECT_TRUE(std::regex_match(*identifier, upperCaseUuid)) << *identifier;
  EXPECT_EQ(first.identifierForVendor(), identifier);
  EXPECT_TRUE(fs::is_regular_file(data.path() / "zelvora" / "identifierForVendor"));

  platform::PersistentDevice later([&] { return std::optional(data.path()); });
  EXPECT_EQ(later.identifierForVendor(), identifier);
  EXPECT_NE(platform::PersistentDevice([&] {
              return std::optional(otherUsers.path());
            }).identifierForVendor(),
            identifier);
}

TEST(DeviceTest, ALowerCaseIdentifierIsReadInUpperCaseAndAGarbledOneReplaced) {
  TemporaryDirectory data;
  fs::create_directories(data.path() / "zelvora");
  std::ofstream(data.path() / "zelvora" / "identifierForVendor")
      << "0a1b2c3d-4e5f-4a7b-8c9d-0e1f2a3b4c5d\n";
  EXPECT_EQ(
      platform::PersistentDevice([&] { return std::optional(data.path()); }).identifierForVendor(),
      "0A1B2C3D-4E5F-4A7B-8C9D-0E1F2A3B4C5D");

  std::ofstream(data.path() / "zelvora" / "identifierForVendor") << "not a uuid";
  const auto replaced =
      platform::PersistentDevice([&] { return std::optional(data.path()); }).identifierForVendor();
  ASSERT_TRUE(replaced);
  EXPECT_TRUE(std::regex_match(*replaced, upperCaseUuid));
  EXPECT_EQ(
      platform::PersistentDevice([&] { return std::optional(data.path()); }).identifierForVendor(),
      replaced);
}

TEST(DeviceTest, ConcurrentFirstUsesAgreeOnOneIdentifier) {
  TemporaryDirectory data;
  std::vector<std::optional<std::string>> seen(8);
  std::vector<std::thread> threads;
  for (auto& slot : seen) {
    threads.emplace_back([&] {
      slot = platform::PersistentDevice([&] {
               return std::optional(data.path());
             }).identifierForVendor();
    });
  }
  for (auto& thread : threads)
    thread.join();
  ASSERT_TRUE(seen[0]);
  for (const auto& identifier : seen)
    EXPECT_EQ(identifier, seen[0]);
  // No temporary files are left behind.
  EXPECT_EQ(
      std::distance(fs::directory_iterator(data.path() / "zelvora"), fs::directory_iterator()), 1);
}

TEST(DeviceTest, UnavailableStorageGivesNone) {
  TemporaryDirectory data;
  std::ofstream(data.path() / "file") << "x";
  EXPECT_FALSE(platform::PersistentDevice([&] {
                 return std::optional(data.path() / "file");
               }).identifierForVendor());
  EXPECT_FALSE(
      platform::PersistentDevice([] { return std::optional<fs::path>(); }).identifierForVendor());
  EXPECT_FALSE(platform::PersistentDevice(nullptr).identifierForVendor());
}

// Sets an environment variable for the life of the object.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name))
      old_ = old;
    value ? ::setenv(name, value, 1) : ::unsetenv(name);
  }
  ~ScopedEnvironment() { old_ ? ::setenv(name_, old_->c_str(), 1) : ::unsetenv(name_); }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(DeviceTest, DataDirectoryFollowsXdg) {
  const struct {
    const char* xdg;
    const char* expected;
  } cases[] = {
      {"/tmp/xdg-data", "/tmp/xdg-data"},
      {"relative/dir", "/home/someone/.local/share"},  // not absolute: ignored
      {nullptr, "/home/someone/.local/share"},
  };
  ScopedEnvironment home("HOME", "/home/someone");
  for (const auto& c : cases) {
    ScopedEnvironment xdg("XDG_DATA_HOME", c.xdg);
    EXPECT_EQ(platform::xdgDataHome(), fs::path(c.expected));
  }
}

TEST(DeviceTest, TheProcessDeviceUsesTheXdgDataDirectory) {
  TemporaryDirectory data;
  ScopedEnvironment xdg("XDG_DATA_HOME", data.path().c_str());
  platform::setDeviceForTesting(nullptr);
  const auto identifier = platform::device()->identifierForVendor();
  ASSERT_TRUE(identifier);
  std::ifstream file(data.path() / "zelvora" / "identifierForVendor");
  std::string stored;
  file >> stored;
  EXPECT_EQ(stored, *identifier);
  platform::setDeviceForTesting(nullptr);
}

}  // namespace
}  // namespace zelvora
