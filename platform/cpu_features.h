// What the processor offers beyond the x86-64 baseline (SSE2), asked at run
// time: the programs are built for any x86-64 (no -march) and pick a faster
// kernel only where the processor has it.
//
// QUORVEL_SIMD=off in the environment makes every query below answer false,
// so that the whole program runs its baseline kernels (SSE2, the x87
// transform) on any machine; the tests run both ways. The variable is read
// once, at the first query.
#pragma once

namespace quorvel {

// True when the processor has AVX2 and the operating system saves its
// registers, unless SIMD is switched off.
bool hasAvx2();

// AVX2 together with FMA3 (fused multiply-add on four doubles).
bool hasAvx2Fma();

// BMI2 (mulx) and ADX (adcx, adox): two independent carry chains through
// a 64 x 64-bit product row.
bool hasBmi2Adx();

// AVX-512 foundation with the 52-bit integer multiply-add (IFMA), and the
// operating system saving the 512-bit state.
bool hasAvx512Ifma();

// False when QUORVEL_SIMD=off was set at start or a test switched SIMD off.
bool simdAllowed();

// Test hook: false makes every query above report false, so that the tests
// can run the baseline kernels on a machine that has more; true restores
// what the environment said.
void allowSimdForTesting(bool allowed);

}  // namespace quorvel
