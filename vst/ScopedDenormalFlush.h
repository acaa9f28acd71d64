// Flushes denormals to zero for one scope and restores the caller's floating-point state.
#pragma once

#if defined(__SSE__) || defined(__x86_64__) || defined(_M_X64)
#include <xmmintrin.h>
#define TAVREL_HAS_MXCSR 1
#elif defined(__aarch64__)
#include <cstdint>
#define TAVREL_HAS_FPCR 1
#endif

// The floating-point control register (MXCSR on x86, FPCR on aarch64) belongs to the host: a
// plug-in may change it only while the host waits for one of its process calls, and must hand it
// back unchanged on every way out. Elsewhere the scope does nothing (the components' anti-denormal
// offsets keep their recursions out of denormal numbers on their own).
class ScopedDenormalFlush
{
public:
    ScopedDenormalFlush()
    {
#if defined(TAVREL_HAS_MXCSR)
        saved = _mm_getcsr();
        _mm_setcsr(saved | kFlushToZero | kDenormalsAreZero);
#elif defined(TAVREL_HAS_FPCR)
        saved = readFpcr();
        writeFpcr(saved | kFlushToZero);
#endif
    }

    ~ScopedDenormalFlush()
    {
#if defined(TAVREL_HAS_MXCSR)
        _mm_setcsr(saved);
#elif defined(TAVREL_HAS_FPCR)
        writeFpcr(saved);
#endif
    }

    ScopedDenormalFlush(const ScopedDenormalFlush&) = delete;
    ScopedDenormalFlush& operator=(const ScopedDenormalFlush&) = delete;

private:
#if defined(TAVREL_HAS_MXCSR)
    static constexpr unsigned kFlushToZero = 0x8000;      // results that would be denormal become 0
    static constexpr unsigned kDenormalsAreZero = 0x0040; // denormal inputs are read as 0
    unsigned saved = 0;
#elif defined(TAVREL_HAS_FPCR)
    // FZ: denormal inputs and results of single and double operations become 0.
    static constexpr std::uint64_t kFlushToZero = std::uint64_t{1} << 24;
    static std::uint64_t readFpcr()
    {
        std::uint64_t value;
        asm volatile("mrs %0, fpcr" : "=r"(value));
        return value;
    }
    static void writeFpcr(std::uint64_t value)
    {
        asm volatile("msr fpcr, %0" : : "r"(value));
    }
    std::uint64_t saved = 0;
#endif
};
