#pragma once

// Every model of the platform.
#include <zelvora/models/AuthenticatedSession.hpp>
#include <zelvora/models/AuthenticatedShopper.hpp>
#include <zelvora/models/Client.hpp>
#include <zelvora/models/LocationInfo.hpp>
#include <zelvora/models/Session.hpp>
