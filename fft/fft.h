// FFT multiplication engine: large products of 30-bit-limb (vnum) and
// base-10^8-limb (vnum10) magnitudes through a right-angle FFT, in double
// precision with AVX2 and FMA where the processor has them, else in the
// x87 unit's extended precision (QUORVEL_SIMD=off forces that one).
//
// The pieces and the road of one product, say a vnum product of 40,000
// combined limbs (1,200,000 bits) in mode 0:
// 1. binaryProductShape (fft_shape.cpp) picks the kernel (preferredFftKernel)
//    and the transform: for each length M the kernel supports (2^k, 3 2^k
//    and, for AVX2, 5 2^k complex points) its precision table in limits.h
//    gives the largest trusted digit size; the cheapest M that holds the
//    product's 2M digit slots wins and gets the smallest digits that fit.
// 2. fftProductBinary (fft_product_binary.cpp) sees the operands as
//    balanced digits of that many bits (fft_product_common.h), cut from the
//    limbs in chunks as the transform needs them: z_j = d_j + i d_(j+M).
// 3. The AVX2 kernel (avx2_convolution.cpp) cuts y's digits straight into
//    the first level of its transform (avx2_first_level.h), which applies
//    the right-angle weights; the levels below run depth-first, two at a
//    time on long blocks, down to leaves in the first-level cache
//    (avx2_transform.cpp). x goes through one fused pass: forward,
//    pointwise product with y's spectrum, inverse, block by block; the
//    inverse first level removes the weights and rounds every coefficient
//    on the spot, keeping the largest distance seen. The x87 kernel
//    (x87_convolution.cpp, transform.cpp) loads the digits, transforms and
//    rounds in separate passes. Avx2Plan and FftPlan hold each length's
//    weights and twiddles, shared through a cache.
// 4. The carry (in ranges on the task pool) turns the signed coefficients,
//    left in the transform buffer, into 30-bit limbs. The caller (vnum's
//    mulFftSpans) trusts the limbs only if the distance is at most
//    FFT_TRUSTED_ROUNDING_ERROR; otherwise it retries with mode 1.
// Sizes, digit limits and that threshold live in limits.h.
#pragma once

#include "fft/fft_product.h"
#include "fft/limits.h"
