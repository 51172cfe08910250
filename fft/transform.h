// The right-angle transform under both FFT products (internal to the fft
// library, and the interface its tests and benchmarks use).
//
// A product of two real digit sequences x, y of 2M digits' room is computed
// with complex transforms of M points. Point j holds
//   z_j = x_j + i x_(j+M),
// so Z(t) = sum z_j t^j equals X(t) modulo t^M - i. Weighting the points by
// omega^j, omega = e^(2 pi i/(4M)) (omega^M = i), turns that negacyclic-like
// reduction into a cyclic one: with t = omega s,
//   X(t) Y(t) mod (t^M - i)  <->  cyclic convolution of z_j omega^j and
//                                 z'_j omega^j,
// and point j of that convolution times omega^(-j) is p_j + i p_(j+M), p the
// real product X Y (of degree below 2M). No real post-processing pass and no
// bit reversal are needed: the forward transform leaves its spectrum in a
// permuted order (spectrumFrequency), the pointwise product ignores the
// order, and the inverse transform undoes it.
//
// All buffers hold split points (split_storage.h); M = plan.points().
// The transforms poll the abort flag between blocks of at least
// FFT_POLL_POINTS points and return false, with the buffer in no useful
// state, when it is set.
#pragma once

#include "fft/fft_plan.h"
#include "fft/split_storage.h"

namespace quorvel::detail {

// z <- the weighted forward transform: position p receives
//   sum_j z_j omega^j e^(2 pi i j f(p)/M),  f(p) = spectrumFrequency(plan, p).
// With realInput, every z_j is an exact double in its re.hi slot, the other
// slots (imaginary part zero) are not read.
bool forwardTransform(const FftPlan& plan, SplitPoint* z, bool realInput);

// z <- M times the input of forwardTransform whose output z holds.
bool inverseTransform(const FftPlan& plan, SplitPoint* z);

// The whole convolution of a product in one depth-first pass over z:
//   z <- factor * inverse(forward(z) * spectrum)   (spectrum null: squared)
// except the final multiplication by omega^(-j), which the caller's rounding
// does (point j of the result times conj(omega^j) is factor M (p_j + i p_(j+M))).
// Each block small enough for the first-level cache is transformed,
// multiplied and transformed back before the next one is touched.
bool convolve(const FftPlan& plan, SplitPoint* z, bool realInput, const SplitPoint* spectrum, long double factor);

// The frequency whose value the forward transform leaves at position p.
int spectrumFrequency(const FftPlan& plan, int position);

}  // namespace quorvel::detail
