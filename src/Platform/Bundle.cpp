#include "Platform/Bundle.hpp"

#include <dlfcn.h>
#include <link.h>

#include <mutex>
#include <string>

namespace zelvora::platform {

namespace fs = std::filesystem;

std::optional<fs::path> DirectoryBundle::pathForResource(std::string_view name,
                                                         std::string_view type) const {
  // No directory means no resources, never the working directory.
  if (directory_.empty())
    return std::nullopt;
  std::string file(name);
  if (!type.empty())
    file.append(".").append(type);
  fs::path path = directory_ / file;
  std::error_code error;
  if (!fs::is_regular_file(path, error))
    return std::nullopt;
  return path;
}

namespace {

// Whether `path` is `directory` or lies beneath it, by whole components ("/a/build2" is not inside
// "/a/build").
bool isWithin(const fs::path& path, const fs::path& directory) {
  const fs::path relative = path.lexically_relative(directory);
  return !relative.empty() && *relative.begin() != "..";
}

fs::path resolved(const fs::path& path) {
  std::error_code error;
  fs::path result = fs::weakly_canonical(path, error);
  return error ? path.lexically_normal() : result;
}

// The file that holds this code: the shared library, or the program when the SDK is linked into
// it statically (the dynamic linker names the program "").
std::optional<fs::path> loadedFile() {
  Dl_info info{};
  link_map* map = nullptr;
  if (dladdr1(reinterpret_cast<const void*>(&loadedFile), &info, reinterpret_cast<void**>(&map),
              RTLD_DL_LINKMAP) == 0 ||
      map == nullptr || map->l_name == nullptr) {
    return std::nullopt;
  }
  std::error_code error;
  const fs::path file = map->l_name[0] == '\0' ? fs::read_symlink("/proc/self/exe", error)
                                               : fs::absolute(map->l_name, error);
  if (error) {
    return std::nullopt;
  }
  return file;
}

}  // namespace

fs::path resourceDirectoryFor(const fs::path& loadedFile, const ResourceLocations& locations) {
  const fs::path directory = resolved(loadedFile).parent_path();
  const fs::path installed = (directory / locations.installedRelative).lexically_normal();
  std::error_code error;
  if (fs::is_directory(installed, error)) {
    return installed;
  }
  if (isWithin(directory, resolved(locations.buildDirectory))) {
    return locations.sourceResources;
  }
  return installed;
}

fs::path frameworkResourceDirectory() {
  const ResourceLocations locations{ZELVORA_INSTALLED_RESOURCES_RELATIVE, ZELVORA_BUILD_DIRECTORY,
                                    ZELVORA_SOURCE_RESOURCES};
  const auto file = loadedFile();
  // Without its own file the library cannot tell where it is installed: it has no resources.
  return file ? resourceDirectoryFor(*file, locations) : fs::path{};
}

namespace {
struct BundleHolder {
  std::mutex mutex;
  std::shared_ptr<const Bundle> bundle;
};

BundleHolder& holder() {
  static auto* const instance = new BundleHolder;
  return *instance;
}
}  // namespace

std::shared_ptr<const Bundle> frameworkBundle() {
  auto& h = holder();
  std::lock_guard lock(h.mutex);
  if (!h.bundle)
    h.bundle = std::make_shared<DirectoryBundle>(frameworkResourceDirectory());
  return h.bundle;
}

void setFrameworkBundleForTesting(std::shared_ptr<const Bundle> bundle) {
  auto& h = holder();
  std::lock_guard lock(h.mutex);
  h.bundle = std::move(bundle);
}

}  // namespace zelvora::platform
