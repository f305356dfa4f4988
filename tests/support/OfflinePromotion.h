#pragma once

// While it lives, the program's promotion server is an address where
// nothing answers, so that a window under test never reaches the real one.
// A test may point the promotion at a server of its own in between.

#include "communal/Promo.h"

#include <string>

namespace testsupport {

class OfflinePromotion {
public:
    static constexpr char OfflineServer[] = "http://127.0.0.1:1/";

    OfflinePromotion() { communal::setPromoBaseUrlForTesting(OfflineServer); }
    ~OfflinePromotion() { communal::setPromoBaseUrlForTesting({}); }
    OfflinePromotion(const OfflinePromotion&) = delete;
    OfflinePromotion& operator=(const OfflinePromotion&) = delete;

    void serveFrom(const std::string& baseUrl) { communal::setPromoBaseUrlForTesting(baseUrl); }
};

} // namespace testsupport
