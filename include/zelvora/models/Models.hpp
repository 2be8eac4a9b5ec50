#pragma once

// Every model of the platform.
#include <zelvora/models/AuthenticatedSession.hpp>
#include <zelvora/models/AuthenticatedShopper.hpp>
#include <zelvora/models/BasketPayment.hpp>
#include <zelvora/models/BasketPaymentConfirmation.hpp>
#include <zelvora/models/Client.hpp>
#include <zelvora/models/Fulfillment.hpp>
#include <zelvora/models/LocationInfo.hpp>
#include <zelvora/models/MerchantOffer.hpp>
#include <zelvora/models/Payment.hpp>
#include <zelvora/models/PaymentTypeOffer.hpp>
#include <zelvora/models/Product.hpp>
#include <zelvora/models/ProductFeaturesMap.hpp>
#include <zelvora/models/ProductOffer.hpp>
#include <zelvora/models/ReconciledTotal.hpp>
#include <zelvora/models/Session.hpp>
#include <zelvora/models/SkuFulfillment.hpp>
#include <zelvora/models/SkuOffer.hpp>
#include <zelvora/models/StoreBase.hpp>
#include <zelvora/models/TotalPayment.hpp>
#include <zelvora/models/TotalSummary.hpp>
