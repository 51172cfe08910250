// The AVX2 transform (internal to the fft library, and the interface its
// tests and benchmarks use): the right-angle transform of transform.h in
// double precision, four points per vector, on buffers of PointQuads.
// Lengths 2^k, 3 2^k and 5 2^k (isAvx2Length). The same contracts as the
// x87 functions of the same names, with doubles for extended reals; with
// realInput the imaginary halves are not read.
//
// Only callers that checked hasAvx2Fma() may use these functions.
#pragma once

#include "fft/avx2_plan.h"

namespace quorvel::detail {

bool forwardTransform(const Avx2Plan& plan, PointQuad* z, bool realInput);
bool inverseTransform(const Avx2Plan& plan, PointQuad* z);
bool convolve(const Avx2Plan& plan, PointQuad* z, bool realInput, const PointQuad* spectrum, double factor);
int spectrumFrequency(const Avx2Plan& plan, int position);

// The levels below the first one, over every first-level block: the parts
// of forwardTransform and convolve that follow their first level, for
// callers that run that level themselves (avx2_first_level.h). convolve's
// inverse first level is left to the caller as well.
bool forwardBlocks(const Avx2Plan& plan, PointQuad* z);
bool convolveBlocks(const Avx2Plan& plan, PointQuad* z, const PointQuad* spectrum, double factor);

}  // namespace quorvel::detail
