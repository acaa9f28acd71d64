// Flushes denormals to zero for one scope and restores the caller's floating-point state.
#pragma once

#if defined(__SSE__) || defined(__x86_64__) || defined(_M_X64)
#include <xmmintrin.h>
#define TAVREL_HAS_MXCSR 1
#endif

// The MXCSR register belongs to the host: a plug-in may change it only while the host waits for
// one of its process calls, and must hand it back unchanged on every way out.
class ScopedDenormalFlush
{
public:
    ScopedDenormalFlush()
    {
#ifdef TAVREL_HAS_MXCSR
        saved = _mm_getcsr();
        _mm_setcsr(saved | kFlushToZero | kDenormalsAreZero);
#endif
    }

    ~ScopedDenormalFlush()
    {
#ifdef TAVREL_HAS_MXCSR
        _mm_setcsr(saved);
#endif
    }

    ScopedDenormalFlush(const ScopedDenormalFlush&) = delete;
    ScopedDenormalFlush& operator=(const ScopedDenormalFlush&) = delete;

private:
#ifdef TAVREL_HAS_MXCSR
    static constexpr unsigned kFlushToZero = 0x8000;      // results that would be denormal become 0
    static constexpr unsigned kDenormalsAreZero = 0x0040; // denormal inputs are read as 0
    unsigned saved = 0;
#endif
};
