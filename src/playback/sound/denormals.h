#pragma once

#if defined(__SSE__) || defined(__x86_64__)
#include <xmmintrin.h>
#endif

namespace tamberline::sound {

// Flush-to-zero and denormals-are-zero for the scope of one mix: decaying
// filters and fades into silence would otherwise crawl through denormal
// arithmetic, many times slower. The caller's setting comes back afterwards.
class DenormalsOff {
public:
#if defined(__SSE__) || defined(__x86_64__)
    DenormalsOff() noexcept : saved_(_mm_getcsr()) {
        _mm_setcsr(saved_ | kFlushToZero | kDenormalsAreZero);
    }
    ~DenormalsOff() {
        _mm_setcsr(saved_);
    }

private:
    static constexpr unsigned kFlushToZero = 0x8000;
    static constexpr unsigned kDenormalsAreZero = 0x0040;
    unsigned saved_;
#elif defined(__aarch64__)
    DenormalsOff() noexcept {
        asm volatile("mrs %0, fpcr" : "=r"(saved_));
        const unsigned long long flushed = saved_ | (1ull << 24);
        asm volatile("msr fpcr, %0" : : "r"(flushed));
    }
    ~DenormalsOff() {
        asm volatile("msr fpcr, %0" : : "r"(saved_));
    }

private:
    unsigned long long saved_;
#endif
    DenormalsOff(const DenormalsOff&) = delete;
    DenormalsOff& operator=(const DenormalsOff&) = delete;
};

}  // namespace tamberline::sound
