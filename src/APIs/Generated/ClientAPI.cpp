#include "APIs/Generated/ClientAPI.hpp"
#include "APIs/Generated/Execute.hpp"

#include "CoreNetworking/Request/QueryRequest.hpp"
#include "Helpers/HandoffTrace.hpp"
#include "Models/Models.hpp"
#include "Platform/MainQueue.hpp"

#include <zelvora/models/Models.hpp>

namespace zelvora {
namespace {

const std::string* stringAt(const Json& object, const char* key) {
  const auto found = object.find(key);
  return found != object.end() && found->is_string() ? &found->get_ref<const std::string&>()
                                                     : nullptr;
}

std::optional<Error> parameterError(const Json& reply) {
  const auto errors = reply.find("errors");
  if (errors == reply.end() || !errors->is_array() || errors->empty() ||
      !errors->front().is_object()) {
    return std::nullopt;
  }
  const auto* param = stringAt(errors->front(), "param");
  const auto* error = stringAt(errors->front(), "error");
  if (param == nullptr || error == nullptr) {
    return std::nullopt;
  }
  return NetworkingError::errorWithCode(NetworkingError::kParameterError, *param + " - " + *error);
}

std::optional<Error> messageError(const Json& reply) {
  const auto* message = stringAt(reply, "message");
  if (stringAt(reply, "error") == nullptr || stringAt(reply, "tag") == nullptr ||
      message == nullptr) {
    return std::nullopt;
  }
  return NetworkingError::errorWithCode(NetworkingError::kMessageError, *message);
}

template <class T>
struct Decoded {
  using Value = std::shared_ptr<T>;
  static Expected<Value, DecodingError> from(const Json& json) {
    return Decoders::decode<Value>(json);
  }
};

template <class M>
struct Decoded<ModelList<M>> {
  using Value = std::shared_ptr<ModelList<M>>;
  static Expected<Value, DecodingError> from(const Json& json) {
    auto list = Decoders::decode<ModelList<M>>(json);
    if (!list) {
      return list.error();
    }
    return std::make_shared<ModelList<M>>(std::move(list).value());
  }
};

// A reply that cannot become a T, for whatever reason (running out of memory on a huge one
// included), is an error value like any other, so that the completion still runs once.
template <class T>
Expected<typename Decoded<T>::Value, DecodingError> decodeGuarded(const Json& json) {
  try {
    return Decoded<T>::from(json);
  } catch (const std::exception& error) {
    return DecodingError(error.what());
  }
}

bool isSuccessStatus(const std::optional<int>& status) {
  return !status || (*status >= 200 && *status <= 299);
}

// What the app gets for a serialised reply: the platform's error, a failing HTTP status, nothing
// for a reply of no content, or the reply decoded as T.
template <class T>
QueryResult<typename Decoded<T>::Value> respond(QueryResponse<Json> serialized) {
  if (!serialized.result.isSuccess()) {
    return serialized.result.error();
  }
  const Json& json = serialized.result.value();
  if (auto platformError = checkForError(json)) {
    return *platformError;
  }
  if (!isSuccessStatus(serialized.statusCode)) {
    return NetworkingError::errorWithCode(
        *serialized.statusCode,
        "The platform answered with HTTP status " + std::to_string(*serialized.statusCode) + ".");
  }
  if (json.is_null()) {
    return typename Decoded<T>::Value{};
  }
  auto decoded = decodeGuarded<T>(json);
  if (!decoded) {
    return NetworkingError::error(NetworkingError::ErrorCode::CouldNotConvertResponse);
  }
  return std::move(decoded).value();
}

// A Completion<T>, or an AnsweredCompletion<T> when Status is the HTTP status.
template <class T, class... Status>
using AnyCompletion = std::function<void(std::shared_ptr<T>, std::optional<Error>, Status...)>;

template <class T, class... Status>
void complete(const AnyCompletion<T, Status...>& completion,
              const QueryResult<std::shared_ptr<T>>& result,
              [[maybe_unused]] std::optional<int> status) {
  if (result.isSuccess()) {
    completion(result.value(), std::nullopt, Status(status)...);
  } else {
    completion(nullptr, result.error(), Status(status)...);
  }
}

template <class T, class... Status>
void failLater(AnyCompletion<T, Status...> completion, Error error) {
  platform::mainQueue()->post([completion = std::move(completion), error = std::move(error)] {
    complete(completion, QueryResult<std::shared_ptr<T>>(error), std::nullopt);
  });
}
// Sends the query and calls the completion once, on the main queue, with the reply decoded as T
// (a model, or a ModelList of one). A request that may not be sent fails without a transfer.
template <class T, class... Status>
void execute(const Query& query, AnyCompletion<T, Status...> completion) {
  auto request = buildURLRequest(query);
  if (!request) {
    failLater(std::move(completion), request.error());
    return;
  }
  Networking::sharedManager()
      .request(std::move(request).value())
      ->whenFinished([completion = std::move(completion)](CancellableRequest& finished) mutable {
        internal::trace::mark(internal::trace::Handoff::replyParsing);
        const auto& response = finished.response();
        QueryResponse<Json> serialized{
            finished.originalRequest(), response,
            response ? std::optional<int>(response->statusCode) : std::nullopt,
            serializeJSON(response, finished.takeData(), finished.error())};
        internal::trace::mark(internal::trace::Handoff::replyParsed);
        // Moved, not copied: what the completion holds (a web view among others) is let go on
        // the main thread, never by this step's thread.
        platform::mainQueue()->post(
            [completion = std::move(completion), serialized = std::move(serialized)]() mutable {
              internal::trace::mark(internal::trace::Handoff::completionStarted);
              const auto status = serialized.statusCode;
              // The reply's document is gone before the app sees the models made from it.
              const auto result = respond<T>(std::move(serialized));
              internal::trace::mark(internal::trace::Handoff::completionCalled);
              complete(completion, result, status);
            });
      });
}

template <class T, class... Status>
void executeGet(ClientAPIPath path, const std::vector<std::string>& placeholderValues,
                AnyCompletion<T, Status...> completion) {
  auto query = getQuery(path, placeholderValues);
  if (!query) {
    failLater(std::move(completion), query.error());
    return;
  }
  execute(query.value(), std::move(completion));
}

// A body that has no JSON form is never sent: a signed request without it would be a different
// call.
template <class T, class... Status, class Body>
void executePost(ClientAPIPath path, const std::shared_ptr<Body>& body,
                 AnyCompletion<T, Status...> completion) {
  Json json = Json::object();
  try {
    if (body) {
      json = encodeToJSON(*body);
    }
  } catch (const EncodingError& error) {
    failLater(std::move(completion), Error::json(0, error.what()));
    return;
  }
  execute(postQuery(path, json), std::move(completion));
}

}  // namespace

std::optional<Error> checkForError(const Json& json) {
  if (!json.is_object()) {
    return std::nullopt;
  }
  const auto* status = stringAt(json, "status");
  if (status == nullptr || *status != "error") {
    return std::nullopt;
  }
  if (auto error = parameterError(json)) {
    return error;
  }
  return messageError(json);
}

void ClientAPI::createSession(std::shared_ptr<Client> client, Completion<Session> completion) {
  executePost(ClientAPIPath::CreateSession, client, std::move(completion));
}

void ClientAPI::lookUpSession(std::string sessionId, Completion<Session> completion) {
  executeGet(ClientAPIPath::LookUpSession, {std::move(sessionId)}, std::move(completion));
}

void ClientAPI::addShopperToSession(std::shared_ptr<AuthenticatedShopper> authenticatedShopper,
                                    Completion<AuthenticatedSession> completion) {
  executePost(ClientAPIPath::AddShopperToSession, authenticatedShopper, std::move(completion));
}

void ClientAPI::lookUpShopper(std::string shopperId, Completion<Shopper> completion) {
  executeGet(ClientAPIPath::LookUpShopper, {std::move(shopperId)}, std::move(completion));
}

void ClientAPI::lookUpPaymentInstruments(std::string shopperId,
                                         Completion<ModelList<PaymentInstrumentOffer>> completion) {
  executeGet(ClientAPIPath::LookUpPaymentInstruments, {std::move(shopperId)},
             std::move(completion));
}

void ClientAPI::setDefaultPaymentInstrument(
    std::shared_ptr<SetDefaultPaymentInstrumentParam> defaultInstrumentParam,
    Completion<SetDefaultPaymentInstrumentValue> completion) {
  executePost(ClientAPIPath::SetDefaultPaymentInstrument, defaultInstrumentParam,
              std::move(completion));
}

void ClientAPI::getDefaultPaymentInstrument(std::string shopperId,
                                            Completion<PaymentInstrumentOffer> completion) {
  executeGet(ClientAPIPath::GetDefaultPaymentInstrument, {std::move(shopperId)},
             std::move(completion));
}

void ClientAPI::findReceipts(std::string shopperId, Completion<Receipts> completion) {
  executeGet(ClientAPIPath::FindReceipts, {std::move(shopperId)}, std::move(completion));
}

void ClientAPI::lookUpLoyaltyPoints(std::string shopperId, Completion<ShopperLoyalty> completion) {
  executeGet(ClientAPIPath::LookUpLoyaltyPoints, {std::move(shopperId)}, std::move(completion));
}

void ClientAPI::updateShopperProfile(std::shared_ptr<UpdateShopperProfile> shopperProfile,
                                     Completion<UpdateShopperProfile> completion) {
  executePost(ClientAPIPath::UpdateShopperProfile, shopperProfile, std::move(completion));
}

void ClientAPI::getShopperProfile(std::string shopperId, Completion<ShopperProfile> completion) {
  executeGet(ClientAPIPath::LookUpShopperProfile, {std::move(shopperId)}, std::move(completion));
}

void ClientAPI::createBasket(std::shared_ptr<CreateBasketParam> basketCreateParam,
                             Completion<Basket> completion) {
  executePost(ClientAPIPath::CreateBasket, basketCreateParam, std::move(completion));
}

void ClientAPI::associateBasket(std::shared_ptr<BasketPoS> basketPos,
                                Completion<MerchantPoS> completion) {
  executePost(ClientAPIPath::AssociateBasket, basketPos, std::move(completion));
}

void ClientAPI::lookUpBasket(std::string basketId, Completion<Basket> completion) {
  executeGet(ClientAPIPath::LookUpBasket, {std::move(basketId)}, std::move(completion));
}

void ClientAPI::lookUpReceipt(std::string basketId, Completion<BasketReceipt> completion) {
  executeGet(ClientAPIPath::LookUpReceipt, {std::move(basketId)}, std::move(completion));
}

void ClientAPI::previewPayment(std::shared_ptr<BasketPayment> basketPayment,
                               Completion<BasketPreview> completion) {
  executePost(ClientAPIPath::PreviewPayment, basketPayment, std::move(completion));
}

void ClientAPI::makePayment(std::shared_ptr<BasketPayment> basketPayment,
                            Completion<BasketPaymentConfirmation> completion) {
  executePost(ClientAPIPath::MakePayment, basketPayment, std::move(completion));
}

void ClientAPI::makePayment(std::shared_ptr<BasketPayment> basketPayment,
                            AnsweredCompletion<BasketPaymentConfirmation> completion) {
  executePost(ClientAPIPath::MakePayment, basketPayment, std::move(completion));
}

void ClientAPI::redeemLoyalty(std::int64_t points, std::string basketId,
                              Completion<Basket> completion) {
  auto body = std::make_shared<BasketLoyaltyPoints>();
  body->basketId = std::move(basketId);
  body->points = points;
  executePost(ClientAPIPath::RedeemLoyalty, body, std::move(completion));
}

void ClientAPI::getMostRecentBasket(std::string sessionId, Completion<Basket> completion) {
  executeGet(ClientAPIPath::LookUpMostRecentBasket, {std::move(sessionId)}, std::move(completion));
}

void ClientAPI::getActiveBaskets(std::string sessionId, Completion<ModelList<Basket>> completion) {
  executeGet(ClientAPIPath::LookUpActiveBaskets, {std::move(sessionId)}, std::move(completion));
}

void ClientAPI::updateBasket(std::shared_ptr<BasketUpdateParam> basketUpdateParam,
                             Completion<Basket> completion) {
  executePost(ClientAPIPath::UpdateBasket, basketUpdateParam, std::move(completion));
}

void ClientAPI::getProductOffer(std::string qrData, Completion<ProductOffer> completion) {
  executeGet(ClientAPIPath::GetInstantBuyProductOffer, {std::move(qrData)}, std::move(completion));
}

void ClientAPI::getSkusForProduct(std::string merchantId, std::string merchantProductId,
                                  Completion<ModelList<Product>> completion) {
  executeGet(ClientAPIPath::GetSkusForProduct,
             {std::move(merchantId), std::move(merchantProductId)}, std::move(completion));
}

void ClientAPI::getSkuAvailability(std::string merchantId, std::string sku,
                                   Completion<SkuFulfillment> completion) {
  executeGet(ClientAPIPath::GetSkuAvailability, {std::move(merchantId), std::move(sku)},
             std::move(completion));
}

void ClientAPI::posCompleteScan(std::shared_ptr<MobilePos> mobilePos,
                                Completion<BasketState> completion) {
  executePost(ClientAPIPath::PosCompleteScan, mobilePos, std::move(completion));
}

void ClientAPI::posReadyForPayment(std::shared_ptr<MobilePos> mobilePos,
                                   Completion<BasketState> completion) {
  executePost(ClientAPIPath::PosReadyForPayment, mobilePos, std::move(completion));
}

void ClientAPI::provisionPaymentInstrument(std::shared_ptr<ProvisionCardParam> provisionCardParam,
                                           Completion<WalletPaymentInstrumentInfo> completion) {
  executePost(ClientAPIPath::ProvisionPaymentInstru, provisionCardParam, std::move(completion));
}

}  // namespace zelvora
