#pragma once

#include <zelvora/Completion.hpp>
#include <zelvora/Error.hpp>

#include <any>
#include <map>
#include <string>

namespace zelvora {

// The SDK's facade. It holds no state of its own: every ZelvoraAPI works on the same process-wide
// Store, server address and signing script, so any number of them may exist, interchangeably.
class ZelvoraAPI {
 public:
  // Settings of initialize. Three keys are read, each only when its value is text (std::string,
  // std::string_view or a C string; a non-text value counts as missing):
  //   "host"            the platform's address, e.g. "https://platform.example.com" or
  //                     "http://platform.test:8080" (http or https, a domain name, an optional
  //                     port)
  //   "correlation-id"  sent with every request (default "")
  //   "merchantName"    shown on the product page (default "")
  using Configuration = std::map<std::string, std::any>;

  // Loads the request-signing script into the process-wide script context. Never fails visibly:
  // without the script, requests go out with an empty signature.
  ZelvoraAPI();

  // Starts a merchant context; runs on the calling thread and calls the completion once before it
  // returns: (true, no error) on success; (false, the ZelvoraError) for an empty merchant id, API
  // key or API secret (checked in that order; nothing is stored) or for a "host" that is not a
  // valid address (the credentials are stored, the session, basket and product-page data are
  // cleared, the server address and the correlation id keep their earlier values).
  void initialize(const std::string& merchantId, const std::string& merchantApiKey,
                  const std::string& merchantApiSecret, const Configuration& configuration,
                  const InitializeCompletion& completion);
  // The same without settings.
  void initialize(const std::string& merchantId, const std::string& merchantApiKey,
                  const std::string& merchantApiSecret, const InitializeCompletion& completion);
};

}  // namespace zelvora
