// FFT multiplication engine: large products of 30-bit-limb (vnum) and
// base-10^8-limb (vnum10) magnitudes through an extended-precision
// right-angle FFT.
//
// The pieces and the road of one product, say a vnum product of 40,000
// combined limbs (1,200,000 bits) in mode 0:
// 1. binaryProductShape (fft_shape.cpp) picks the transform: for each
//    length M (2^k or 3 2^k complex points) the precision table in limits.h
//    gives the largest trusted digit size; the cheapest M that holds the
//    product's 2M digit slots wins and gets the smallest digits that fit.
// 2. fftProductBinary (fft_product_binary.cpp) cuts both operands into
//    digits of that many bits; convolveDigits (fft_product_common.cpp) loads
//    them, less half the digit base (centred), into split-stored complex
//    points z_j = x_j + i x_(j+M), with the x87 unit at 64-bit precision.
// 3. transform.cpp transforms y (forward, depth-first decimation in
//    frequency, right-angle weights in its first level), then runs x through
//    one fused pass: forward, pointwise product with y's spectrum, inverse,
//    block by block in the first-level cache (butterflies.h). FftPlan
//    (fft_plan.cpp) holds the weights and twiddles of the length.
// 4. The rounding removes the weights, rounds every coefficient to an
//    integer, keeps the largest distance seen, and adds back the exact part
//    the centring took out; the carry turns the coefficients into 30-bit
//    limbs. The caller (vnum's mulFft) trusts the limbs only if the distance
//    is at most FFT_TRUSTED_ROUNDING_ERROR; otherwise it retries with mode 1.
// Sizes, digit limits and that threshold live in limits.h.
#pragma once

#include "fft/fft_product.h"
#include "fft/limits.h"
