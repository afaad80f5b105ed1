#include "server/rate_limiter.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double kMinuteMs = 60000.0;
}

void RateLimiter::refill(Bucket& bucket, int64_t now_ms) const {
    const double elapsed = static_cast<double>(std::max<int64_t>(0, now_ms - bucket.updated_ms));
    bucket.tokens =
        std::min<double>(per_minute_, bucket.tokens + elapsed * per_minute_ / kMinuteMs);
    bucket.updated_ms = std::max(bucket.updated_ms, now_ms);
}

void RateLimiter::make_room(int64_t now_ms) {
    for (auto it = buckets_.begin(); it != buckets_.end();) {
        refill(it->second, now_ms);
        it = it->second.tokens >= per_minute_ ? buckets_.erase(it) : std::next(it);
    }
    if (buckets_.size() < kMaxAddresses) return;
    // Many busy addresses at once: the one seen longest ago gives way.
    const auto oldest = std::min_element(
        buckets_.begin(), buckets_.end(),
        [](const auto& a, const auto& b) { return a.second.updated_ms < b.second.updated_ms; });
    buckets_.erase(oldest);
}

int64_t RateLimiter::take(const std::string& address, int64_t now_ms) {
    if (per_minute_ == 0) return 0;
    auto it = buckets_.find(address);
    if (it == buckets_.end()) {
        if (buckets_.size() >= kMaxAddresses) make_room(now_ms);
        it = buckets_.emplace(address, Bucket{static_cast<double>(per_minute_), now_ms}).first;
    }
    Bucket& bucket = it->second;
    refill(bucket, now_ms);
    if (bucket.tokens >= 1.0) {
        bucket.tokens -= 1.0;
        return 0;
    }
    const double wait_ms = (1.0 - bucket.tokens) * kMinuteMs / per_minute_;
    return std::max<int64_t>(1, static_cast<int64_t>(std::ceil(wait_ms / 1000.0)));
}
