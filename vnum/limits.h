// Layout constants and size limits of the binary number type.
#pragma once

#include <cstdint>

namespace quorvel {

// A limb carries 30 value bits in a 32-bit word. The two spare bits are the
// headroom that lets a limb sum plus a carry (at most 2^31 - 1) and the
// partial sums of the schoolbook product stay inside one word.
inline constexpr int LIMB_BITS = 30;
inline constexpr int32_t LIMB_MASK = 0x3fffffff;
// Bit 29 of the top limb is the sign of the two's complement value.
inline constexpr int32_t LIMB_SIGN_BIT = 0x20000000;

// Capacity, in limbs, of a freshly constructed value.
inline constexpr int32_t FRESH_CAP = 256;
// A value that outgrows its storage reallocates to this many times the limb
// count it needs, so accumulators that keep growing rarely reallocate.
inline constexpr int32_t GROWTH_FACTOR = 8;

// Entries of the lazily squared powers-of-ten table: entry k is 10^(8*2^k).
inline constexpr int DEC_POWER_LADDER_SIZE = 40;
inline constexpr int SMALL_DEC_POWERS_SIZE = 8;

// FFT products by combined size m = A.len + B.len (limbs, after
// normalising). An FFT product's transform length and digit size come from
// the precision table of fft/limits.h: mode 0 takes the largest digits each
// length trusts, mode 1 (the retry of a product mode 0 could not trust)
// smaller ones. Each mode's limit is the largest product it can shape within
// the longest x87 transform (2^20 complex points: 19-bit digits in mode 0,
// 17-bit in mode 1); the AVX2 transform holds more (2^21 points of 13-bit
// digits, 11-bit in mode 1). Above the last limit a product is split into
// smaller ones.
inline constexpr int32_t MUL_FFT_MODE0_MAX_LIMBS = 1300000;
inline constexpr int32_t MUL_FFT_MODE1_MAX_LIMBS = 1150000;

// The product methods, by combined size m = an + bn of the operands'
// significant limbs (mulMagnitudes in mul_magnitudes.cpp): the schoolbook
// kernel while the shorter operand's balanced size 2 bn is at most
// MUL_SCHOOLBOOK_MAX_LIMBS, then Karatsuba up to MUL_KARATSUBA_MAX_LIMBS,
// then Toom-3 (Toom-2.5 for unbalanced operands) up to MUL_TOOM3_MAX_LIMBS,
// then one FFT product while the transform limits above allow, and Toom-3
// again beyond them. Squares have their own kernels and limits (SQR_*, on
// m = 2n).
//
// Measured with `quorvel-bench --crossover binary` (bench/crossover.cpp):
// every method on the same balanced random operands across sizes, its
// sub-products by the dispatcher with these limits, in thread CPU time, each
// time the least of 3 rounds of 4 to 12 batches. Machine: 2 vCPUs of an AMD
// EPYC (Zen 3) under KVM, with AVX2, shared with other builds (load 1 to 2
// for the lower limits, checked again at load 3.3 after the new transform:
// 424 and 848; at load 10 a single time can be 30% off). The limits sit
// where the two methods meet (microseconds):
// - schoolbook / Karatsuba: at 336 2.88 / 3.03, at 474 5.71 / 6.04, at 672
//   15.7 / 16.8, at 798 24.8 / 21.8; squares: the schoolbook ahead up to
//   the kernel's limit (at 950 18.3 / 22.7). A second run put the last
//   sizes where the schoolbook led at 424 and 848.
// - Karatsuba / Toom-3 take turns within a few percent from about 1,000 to
//   6,400 (at 1,902 56.9 / 55.0, at 3,804 172 / 185, at 5,380 301 / 280),
//   squares likewise, so the limit hardly matters there. On the IFMA
//   schoolbook kernel (Xeon with AVX-512, load 4 to 6) Karatsuba keeps the
//   lead to about 5,000: products at 1,998 26.5 / 31.1, 3,362 61.2 / 68.4,
//   3,998 81.8 / 87.7, 4,756 192 / 198, 5,656 302 / 286; squares at 3,998
//   80.2 / 84.3, 4,756 108.0 / 108.4, 5,656 153 / 142, 6,726 200 / 191.
// - Toom-3 / FFT (the right-angle transform, lengths 2^k and 3 2^k),
//   measured in four runs at load 2.9 to 3.7: the transform's time steps up
//   at each new length while Toom-3's grows smoothly, so the two take turns
//   from about 20,000 to 60,000 and the transform wins everywhere above.
//   Products, Toom-3 / FFT: at 19,024 1,857 / 2,860, at 23,784 2,654 /
//   2,345, at 28,282 3,402 / 4,600, at 31,996 4,109 / 3,995, at 33,634
//   4,275 / 3,920, at 45,248 7,039 / 5,469, at 63,990 15,036 / 8,153, at
//   127,978 34,563 / 17,941. Squares: at 20,000 1,430 / 1,650, at 23,784
//   1,940 / 1,674, at 28,282 2,392 / 2,659, at 33,634 3,088 / 2,744, at
//   47,566 5,409 / 3,799. The tool suggested 26,904 to 28,540 for both in
//   three of the runs (one run, with the transform's times 60% above the
//   others at 38,000 to 57,000, saw no crossover below 67,268). A single
//   time of the transform varies more with the load than Toom-3's.
// - Measured again with QUORVEL_SIMD=off on the CI-type machine (2-core
//   Intel Xeon, quiet) once the x87 transform took its digits and gave its
//   coefficients in place: it now wins from about 3,400 (products,
//   Karatsuba / Toom-3 / FFT: at 2,398 118 / 119 / 117, at 3,392 219 / 192
//   / 155, at 4,798 356 / 350 / 238, at 15,998 2,258 / 2,196 / 1,220;
//   squares, Karatsuba / FFT: at 3,804 143 / 167, at 4,524 196 / 168, at
//   9,050 597 / 370). The IFMA figures above no longer set a limit: every
//   processor with IFMA has AVX2, whose limits follow.
inline constexpr int32_t MUL_SCHOOLBOOK_MAX_LIMBS = 450;
// The same limits where the schoolbook product runs on IFMA (mul_ifma.cpp;
// MUL_IFMA_MIN_LIMBS below): measured with `quorvel-bench --crossover
// binary mul sqr` on a 2-core Xeon with AVX-512 IFMA (shared, load 2 to 4),
// the schoolbook product stays ahead of Karatsuba up to the kernel's own
// limit, 2 MUL_SCHOOLBOOK_KERNEL_MAX_LIMBS (microseconds, products /
// squares): at 598 5.12 / 6.16 and 5.19 / 6.22, at 848 8.92 / 10.12 and
// 9.01 / 9.94, at 1,008 12.29 / 16.00 and 12.20 / 12.71.
inline constexpr int32_t MUL_IFMA_SCHOOLBOOK_MAX_LIMBS = 1024;
inline constexpr int32_t SQR_IFMA_SCHOOLBOOK_MAX_LIMBS = 1024;
inline constexpr int32_t MUL_KARATSUBA_MAX_LIMBS = 2400;
inline constexpr int32_t MUL_TOOM3_MAX_LIMBS = 3400;
inline constexpr int32_t SQR_SCHOOLBOOK_MAX_LIMBS = 900;
inline constexpr int32_t SQR_KARATSUBA_MAX_LIMBS = 4000;
inline constexpr int32_t SQR_TOOM3_MAX_LIMBS = 4000;

// The Toom-3 limits above are those of the x87 transform. Where the
// products run on the AVX2 transform (fft_product.h: preferredFftKernel),
// it takes over far earlier, and the dispatcher uses these instead
// (toom3MaxLimbs, mul_spans.h). Measured with `quorvel-bench --crossover
// binary` on the development machine (Intel Xeon, Ice Lake, 2 vCPUs,
// shared: load 3 to 5), microseconds, Karatsuba / Toom-3 / FFT: products at
// 848 17.5 / 18.7 / 14.4, at 1,008 24.9 / 25.6 / 16.5, at 1,426 51.4 / 34.8
// / 21.1, at 2,522 83.8 / 81.2 / 34.1, at 5,998 395 / 379 / 123; squares
// at 848 13.0 / 18.4 / 8.4, at 1,008 12.3 / 14.9 / 12.2, at 1,426 21.2 /
// 23.9 / 15.6. So Toom-3 no longer runs between the other methods and the
// transform, and Karatsuba hands over early too (karatsubaMaxLimbs): on the
// word and IFMA kernels below, measured again, microseconds, Karatsuba /
// FFT: products at 1,426 15.2 / 16.2, at 1,696 20.1 / 19.1, at 2,398 60.4
// / 44.6, at 4,798 114 / 50; squares at 1,198 11.5 / 9.5, at 1,426 15.2 /
// 12.0. Without IFMA the schoolbook ends at 450 / 900 and Karatsuba fills
// the gap up to these limits.
inline constexpr int32_t MUL_TOOM3_MAX_LIMBS_AVX2 = 1000;
inline constexpr int32_t SQR_TOOM3_MAX_LIMBS_AVX2 = 1000;
inline constexpr int32_t MUL_KARATSUBA_MAX_LIMBS_AVX2 = 1600;
inline constexpr int32_t SQR_KARATSUBA_MAX_LIMBS_AVX2 = 1100;
// With more than one thread, Toom-3 products and squares of at least this
// many combined limbs form their five sub-products side by side on the task
// pool (toom3Parallel); smaller ones stay on the calling thread, where
// handing off and the pieces' own buffers cost more than they save. With
// `quorvel-bench product` (2 threads against 1, load 1.5 to 2): 50,000 bits
// (3,334 limbs) 1.32 to 1.39 times faster, 100,000 bits 1.5, 25,000 bits
// (Karatsuba, never handed off) level within the noise. Five pieces on two
// threads take three rounds, so 5/3 is the most a split can give.
inline constexpr int32_t MUL_TOOM3_PARALLEL_MIN_LIMBS = 3000;

// Toom-2.5 takes a product in the Toom-3 range only where Toom-3 cannot
// split the shorter operand into three parts (bn <= 2 ceil(an/3), the
// longer about 1.4 to 2 times the shorter); pieces take over where
// Toom-2.5 and Karatsuba cannot split it in two (bn <= ceil(an/2)). Measured
// with `quorvel-bench --crossover shapes` for a 3,000-limb shorter operand
// (microseconds, Toom-3 / Toom-2.5): at 9/8 the longer 848 / 911, at 10/8
// 699 / 979, at 11/8 1,091 / 1,205; for 6,000 decimal limbs 1,772 / 2,034,
// 2,035 / 2,105, 2,182 / 2,239. From 12/8 on only Toom-2.5 applies, ahead of
// Karatsuba and of pieces up to about 14/8 and level with pieces at 2.

// On AVX-512 IFMA the schoolbook product of base 2^30 runs on 52-bit
// digits (mul_ifma.cpp) once the shorter operand has this many limbs; below,
// converting to digits and back costs more than the faster columns save.
// Kernel alone against the AVX2 one, TSC cycles per product of n x n limbs
// (2-core Xeon with AVX-512, shared): n = 20 791 / 558, 34 1,430 / 1,257,
// 50 3,434 / 2,959 (a noisy run; another gave 2,175 / 3,126 at 70),
// 137 5,506 / 9,972, 300 15,357 / 39,445, 512 41,279 / 109,587.
inline constexpr int32_t MUL_IFMA_MIN_LIMBS = 48;

// The schoolbook kernel keeps its column sums and operands on the stack:
// neither operand of one core call exceeds this many limbs, and the shorter
// operand of any schoolbook product never does.
inline constexpr int32_t MUL_SCHOOLBOOK_KERNEL_MAX_LIMBS = 512;
static_assert(MUL_SCHOOLBOOK_MAX_LIMBS <= 2 * MUL_SCHOOLBOOK_KERNEL_MAX_LIMBS);
static_assert(SQR_SCHOOLBOOK_MAX_LIMBS <= 2 * MUL_SCHOOLBOOK_KERNEL_MAX_LIMBS);
static_assert(MUL_IFMA_SCHOOLBOOK_MAX_LIMBS <= 2 * MUL_SCHOOLBOOK_KERNEL_MAX_LIMBS);
static_assert(SQR_IFMA_SCHOOLBOOK_MAX_LIMBS <= 2 * MUL_SCHOOLBOOK_KERNEL_MAX_LIMBS);

}  // namespace quorvel
