// FFT multiplication engine: large products of 30-bit-limb (vnum) and
// base-10^8-limb (vnum10) magnitudes through an extended-precision real FFT.
//
// The pieces and the road of one product, say a vnum product of 40,000
// combined limbs (binary mode 1, N = 2^18 reals):
// 1. fftProductBinary (fft_product_binary.cpp) cuts every limb into three
//    10-bit digits and loads them, less half the digit base (centred, which
//    shrinks the values the FFT must round), one per extended real into the
//    zero-padded buffer A (and B); the x87 unit is set to 64-bit precision.
// 2. FftConvolution::run transforms A and B with realFft (real_fft.cpp),
//    multiplies the packed spectra pointwise (or squares A) and transforms
//    back: A[j] = (N/2) c'_j, c'_j the convolution of the centred digits.
// 3. realFft is a complex FFT of N/2 points (complex_fft.cpp: depth-first
//    radix-4 decimation in frequency over split-stored values, one bit
//    reversal) plus a real post-processing pass with the cosine table;
//    twiddles.cpp builds the tables once per product, directly from sines
//    and cosines in extended precision.
// 4. The carry rounds every A[j] to a 64-bit integer, adds back the exact
//    integer part the centring took out (fft_product_common.h), folds groups
//    of elements into 30-bit output limbs, and returns the largest rounding
//    distance it saw. The caller trusts the limbs only if that distance is at
//    most FFT_TRUSTED_ROUNDING_ERROR, and then shifts out the factor N/2.
// Sizes, digit bases and that threshold live in limits.h.
#pragma once

#include "fft/fft_product.h"
#include "fft/limits.h"
#include "fft/real_fft.h"
