// What the processor offers beyond the x86-64 baseline (SSE2), asked at run
// time: the programs are built for any x86-64 (no -march) and pick a faster
// kernel only where the processor has it.
#pragma once

namespace quorvel {

// True when the processor has AVX2 and the operating system saves its
// registers, unless a test has turned it off.
bool hasAvx2();

// Test hook: false makes hasAvx2() report false, so that the tests can run
// the baseline kernels on a machine with AVX2; true restores the truth.
void allowAvx2ForTesting(bool allowed);

}  // namespace quorvel
