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

}  // namespace quorvel::detail
