#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string_view>

namespace zelvora::platform {

// The SDK's resource files (the signing script, the product and receipt pages).
class Bundle {
 public:
  virtual ~Bundle() = default;
  // The path of the resource "<name>.<type>", absent when the bundle has no such file.
  virtual std::optional<std::filesystem::path> pathForResource(std::string_view name,
                                                               std::string_view type) const = 0;
};

// A bundle that is one directory.
class DirectoryBundle final : public Bundle {
 public:
  explicit DirectoryBundle(std::filesystem::path directory) : directory_(std::move(directory)) {}
  std::optional<std::filesystem::path> pathForResource(std::string_view name,
                                                       std::string_view type) const override;
  const std::filesystem::path& directory() const { return directory_; }

 private:
  std::filesystem::path directory_;
};

// Where the SDK's resources are: the directory installed beside the loaded library (share/zelvora,
// found from the library's own file), else the source tree's resources/ for a library that runs
// from its build tree.
std::filesystem::path frameworkResourceDirectory();

// The SDK's own bundle (a DirectoryBundle on frameworkResourceDirectory()).
std::shared_ptr<const Bundle> frameworkBundle();

// Replaces the SDK's bundle; for tests. Pass nullptr to return to the real one.
void setFrameworkBundleForTesting(std::shared_ptr<const Bundle> bundle);

}  // namespace zelvora::platform
