// Links only what the installed library exports: the facade, the errors, the Store's reads and the
// models. Exits 0 when initialize refuses an empty merchant id as a ZelvoraError and stores
// nothing.
#include <zelvora/Store.hpp>
#include <zelvora/ZelvoraAPI.hpp>
#include <zelvora/models/Models.hpp>

#include <iostream>

int main() {
  zelvora::ZelvoraAPI api;
  std::optional<zelvora::Error> refusal;
  api.initialize("", "api-key", "api-secret",
                 [&](bool success, std::optional<zelvora::Error> error) {
                   if (!success) {
                     refusal = std::move(error);
                   }
                 });
  if (!refusal || !refusal->zelvoraError() || zelvora::Store::merchantId() ||
      zelvora::Store::basket()) {
    std::cerr << "initialize did not refuse an empty merchant id\n";
    return 1;
  }
  std::cout << refusal->localizedDescription() << '\n';
  return 0;
}
