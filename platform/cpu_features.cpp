#include "cpu_features.h"

#include <atomic>

namespace platform {
namespace {

// 0 while nothing is forced, else the forced width in bytes.
std::atomic<int> forced{0};

VectorWidth widest()
{
#if defined(__x86_64__) || defined(__i386__)
    __builtin_cpu_init();
    // The compiler's checks include whether the system saves the wider
    // registers on a switch, not only whether the CPU has the instructions.
    // Each width must also run every narrower one's code.
    if (!__builtin_cpu_supports("ssse3") || !__builtin_cpu_supports("popcnt"))
        return VectorWidth::Baseline;
    if (!__builtin_cpu_supports("avx2"))
        return VectorWidth::Simd16;
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw"))
        return VectorWidth::Avx512;
    return VectorWidth::Avx2;
#elif defined(CEREBRIX_HAS_SIMD16)
    // The whole build assumes it: a CPU without it would not have loaded
    // the program (WebAssembly checks its SIMD128 before anything runs).
    return VectorWidth::Simd16;
#else
    return VectorWidth::Baseline;
#endif
}

VectorWidth detected()
{
    static const VectorWidth width = widest();
    return width;
}

}  // namespace

bool cpuRuns(VectorWidth width)
{
    // Each width's CPUs also run every narrower one.
    return int(width) <= int(detected());
}

VectorWidth vectorWidth()
{
    const int f = forced.load(std::memory_order_relaxed);
    return f ? VectorWidth(f) : detected();
}

bool forceVectorWidth(VectorWidth width)
{
    if (!cpuRuns(width))
        return false;
    forced.store(int(width), std::memory_order_relaxed);
    return true;
}

void unforceVectorWidth()
{
    forced.store(0, std::memory_order_relaxed);
}

}  // namespace platform
