#include "communal/Download.h"

#include <algorithm>

namespace communal {
namespace {

const DownloadBudget*& innermostBudget() {
    static const DownloadBudget* budget = nullptr;
    return budget;
}

} // namespace

DownloadBudget::DownloadBudget(std::chrono::milliseconds time)
    : deadline_(Clock::now() + time)
    , outer_(innermostBudget()) {
    if (outer_)
        deadline_ = std::min(deadline_, outer_->deadline_);
    innermostBudget() = this;
}

DownloadBudget::~DownloadBudget() {
    innermostBudget() = outer_;
}

const DownloadBudget* DownloadBudget::current() {
    return innermostBudget();
}

std::chrono::milliseconds DownloadBudget::remaining() const {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline_ - Clock::now());
    return std::max(left, std::chrono::milliseconds(0));
}

bool DownloadFile(std::string_view address, std::string_view fileName,
                  const platform::DownloadLimits& limits) {
    platform::DownloadLimits bounded = limits;
    if (const DownloadBudget* budget = DownloadBudget::current()) {
        const std::chrono::milliseconds left = budget->remaining();
        if (left <= std::chrono::milliseconds(0))
            return false;
        bounded.connectTimeout = std::min(bounded.connectTimeout, left);
        bounded.totalTimeout = std::min(bounded.totalTimeout, left);
    }
    return platform::URLDownloadToFile(address, fileName, bounded) == platform::DownloadResult::Ok;
}

} // namespace communal
