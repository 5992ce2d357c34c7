#pragma once
// Which vector instructions this CPU offers. The one place the hot loops ask,
// so that all of them agree, and a test or a benchmark can force a narrower
// width to run the code built for it.

// Where code for the 16-byte width can be built: on x86-64 function by
// function, each marked CEREBRIX_SIMD16; elsewhere only where the whole build
// assumes SSSE3, as WebAssembly's SIMD128 build does (its compiler maps it).
#if defined(__x86_64__)
#define CEREBRIX_HAS_SIMD16 1
#define CEREBRIX_SIMD16 __attribute__((target("ssse3,popcnt")))
#elif defined(__SSSE3__)
#define CEREBRIX_HAS_SIMD16 1
#define CEREBRIX_SIMD16
#endif

namespace platform {

// The vector widths the hot loops are built for, in bytes.
enum class VectorWidth : int {
    Baseline = 1,  // what every CPU of the target runs: loops that need byte
                   // shuffles go a byte at a time; the engine keeps the 16-byte
                   // vectors every x86-64 has (SSE2)
    Simd16 = 16,   // 16 bytes with byte shuffles: SSSE3 and POPCNT on x86,
                   // SIMD128 on WebAssembly
    Avx2 = 32,     // AVX2 and POPCNT
    Avx512 = 64,   // AVX-512BW, with the system saving its registers
};

// Whether code built for `width` runs on this CPU.
bool cpuRuns(VectorWidth width);

// The width the hot loops use: the widest the CPU runs, unless forced.
VectorWidth vectorWidth();

// Makes vectorWidth() answer `width` until unforced; false, and nothing
// changed, when the CPU cannot run it. Meant for tests and benchmarks, between
// runs of the loops, not while one is under way.
bool forceVectorWidth(VectorWidth width);
void unforceVectorWidth();

}  // namespace platform
