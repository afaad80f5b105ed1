// Submissions a minute per address: a bucket per address that holds up to the limit and refills
// at the limit a minute. Memory stays bounded: a full bucket is the same as none, so idle
// addresses are dropped, and past kMaxAddresses the longest idle one goes.
//
// Not thread-safe; the caller holds a lock. Times are passed in, in milliseconds of a steady
// clock, so that the limiter can be tested without waiting.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>

class RateLimiter {
public:
    static constexpr std::size_t kMaxAddresses = 65536;

    // 0 allows everything.
    explicit RateLimiter(unsigned per_minute) : per_minute_(per_minute) {}

    // Takes one submission from the address's allowance. 0 when it is allowed; otherwise the
    // whole seconds to wait before the next one will be (at least 1).
    int64_t take(const std::string& address, int64_t now_ms);

    std::size_t tracked() const { return buckets_.size(); }

private:
    struct Bucket {
        double tokens = 0.0;
        int64_t updated_ms = 0;
    };

    void refill(Bucket& bucket, int64_t now_ms) const;
    void make_room(int64_t now_ms);

    unsigned per_minute_;
    std::unordered_map<std::string, Bucket> buckets_;
};
