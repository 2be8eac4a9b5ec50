#include "Platform/Bundle.hpp"

#include <dlfcn.h>

#include <mutex>
#include <string>

namespace zelvora::platform {

namespace fs = std::filesystem;

std::optional<fs::path> DirectoryBundle::pathForResource(std::string_view name,
                                                         std::string_view type) const {
  std::string file(name);
  if (!type.empty())
    file.append(".").append(type);
  fs::path path = directory_ / file;
  std::error_code error;
  if (!fs::is_regular_file(path, error))
    return std::nullopt;
  return path;
}

fs::path frameworkResourceDirectory() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<const void*>(&frameworkResourceDirectory), &info) != 0 &&
      info.dli_fname != nullptr) {
    std::error_code error;
    const fs::path library = fs::absolute(info.dli_fname, error);
    if (!error) {
      const fs::path installed =
          (library.parent_path() / ZELVORA_INSTALLED_RESOURCES_RELATIVE).lexically_normal();
      if (fs::is_directory(installed, error))
        return installed;
    }
  }
  return ZELVORA_SOURCE_RESOURCES;
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
