#pragma once
// Which vector instructions this CPU offers. The one place the hot loops ask,
// so that all of them agree, and a test or a benchmark can force a narrower
// width to run the code built for it.

namespace platform {

// The vector widths the hot loops are built for, in bytes.
enum class VectorWidth : int {
    Baseline = 16,  // what every CPU of the target runs (SSE2 on x86-64)
    Avx2 = 32,      // AVX2 and POPCNT
    Avx512 = 64,    // AVX-512BW, with the system saving its registers
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
