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

// A bundle that is one directory; an empty path is a bundle without resources.
class DirectoryBundle final : public Bundle {
 public:
  explicit DirectoryBundle(std::filesystem::path directory) : directory_(std::move(directory)) {}
  std::optional<std::filesystem::path> pathForResource(std::string_view name,
                                                       std::string_view type) const override;
  const std::filesystem::path& directory() const { return directory_; }

 private:
  std::filesystem::path directory_;
};

// What decides where the SDK's resources are, fixed when the library is built.
struct ResourceLocations {
  std::filesystem::path installedRelative;  // from the library's directory to share/zelvora
  std::filesystem::path buildDirectory;     // the build tree the library was built in
  std::filesystem::path sourceResources;    // the source tree's resources/
};

// Where the resources are for SDK code loaded from `loadedFile` (the library, or the program it
// is linked into): the installed directory beside it when that exists; else, for a file inside
// the build tree, the source tree's resources; else the installed directory all the same, so that
// an installation without its resources behaves as one whose resources are missing and never
// reads a source tree.
std::filesystem::path resourceDirectoryFor(const std::filesystem::path& loadedFile,
                                           const ResourceLocations& locations);

// resourceDirectoryFor() this library's own file.
std::filesystem::path frameworkResourceDirectory();

// The SDK's own bundle (a DirectoryBundle on frameworkResourceDirectory()).
std::shared_ptr<const Bundle> frameworkBundle();

// Replaces the SDK's bundle; for tests. Pass nullptr to return to the real one.
void setFrameworkBundleForTesting(std::shared_ptr<const Bundle> bundle);

}  // namespace zelvora::platform
