#pragma once

#include <cstdint>

namespace tamberline::testing {

// While it lives, the calling thread obeys file permissions even as root:
// the capabilities that let root read or write any file are taken out of
// its effective set (they stay permitted and come back at the end). So
// tests of permission errors run the same under CI's root as for a user.
class WithoutFileOverride {
public:
    WithoutFileOverride();
    ~WithoutFileOverride();
    WithoutFileOverride(const WithoutFileOverride&) = delete;
    WithoutFileOverride& operator=(const WithoutFileOverride&) = delete;

private:
    uint32_t savedEffective_ = 0;
    bool changed_ = false;
};

}  // namespace tamberline::testing
