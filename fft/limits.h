// Sizes and numeric limits of the FFT products and their kernel.
#pragma once

#include <cstddef>
#include <cstdint>

#include "fft/fft_product.h"

namespace quorvel {

// Every transform value is an x87 extended real: 64-bit significand, stored
// as a pair of doubles (split_storage.h).
inline constexpr int EXTENDED_SIGNIFICAND_BITS = 64;

// Blocks of at most this many complex points (8 KiB of split storage; with
// the spectrum they are multiplied by, 16 KiB of the 32 KiB first-level
// cache) run all their remaining levels inside that cache; larger blocks are
// split depth-first by radix-4 steps. On the development machine (AMD EPYC,
// Zen 3, 2 cores) leaves of 64 to 1024 points gave the same 6-7 ns per
// butterfly at 2^16 and 2^20 reals within the noise: the x87 unit, not the
// cache, sets the pace below the second-level cache.
inline constexpr int FFT_LEAF_POINTS = 256;

// The AVX2 transform's leaves: blocks of at most this many points (16 KiB
// of doubles; with the spectrum they are multiplied by, 32 of the 48 KiB
// first-level cache of the development machine) run all their remaining
// levels inside that cache.
inline constexpr int AVX2_FFT_LEAF_POINTS = 1024;

// The transforms poll the abort flag before each block of at least this many
// points: about 2 ms of work per block on the development machine, so a
// cancelled product stops within a few milliseconds.
inline constexpr int FFT_POLL_POINTS = 1 << 15;

// Pieces for the task pool (parallel_pieces.h). A block of at least
// FFT_PARALLEL_BLOCK_POINTS points (the whole transform included) hands its
// quarters (or its R first-level blocks) to the pool; a step over a whole
// block or a pass over all points is cut into ranges of at least
// FFT_PARALLEL_RANGE_POINTS points, at most FFT_RANGES_PER_THREAD per
// thread. 2^13 points is the transform of a product of about 100,000 bits:
// below it every block stays on the calling thread, so products under that
// size never pay a hand-off (a mutex and a wake-up per batch). Measured with
// quorvel-bench on the shared 2-core machine: "product 25000" and "50000"
// run no piece (speed-up 0.91-1.09, the noise of the run); "product 100000"
// hands off one batch per transform and reads 1.00-1.05 with 2 threads.
inline constexpr int FFT_PARALLEL_BLOCK_POINTS = 1 << 13;
inline constexpr int FFT_PARALLEL_RANGE_POINTS = 1 << 13;
inline constexpr int FFT_RANGES_PER_THREAD = 2;

// Tables of recently used transform lengths kept between products
// (plan_cache.cpp), in bytes: the tables of 2^19 points take 24 MiB, so
// this holds those of the lengths that one large product and its neighbours
// use; the tables of longer transforms are built for each product.
inline constexpr size_t FFT_PLAN_CACHE_BYTES = size_t{64} << 20;

// Transform buffers of recent products kept for the next ones
// (buffer_cache.h), in bytes: those of a 10,000,000-bit product (two of
// 12 MiB) and of everything shorter. Buffers under the minimum come from
// the allocator's own free lists and are not kept.
inline constexpr size_t FFT_BUFFER_CACHE_BYTES = size_t{32} << 20;
inline constexpr size_t FFT_BUFFER_CACHE_MIN_BYTES = size_t{1} << 20;

// Largest |x - round(x)| over the transform outputs of a product that its
// caller still trusts. The exact values are integers: an error below 1/2
// still rounds to the right one, and the largest distance over all outputs
// measures the error of the whole transform, so stopping above 1/4 keeps a
// factor of two between what was seen and what would be wrong. The outputs
// are the centred coefficients c'_j, at most m^2 |I_j| (fft_product_common.h):
// up to about 2^58 within the x87 precision table (19-bit digits at 2^20
// points, 20-bit at 786,432), where extended reals are 2^-5 apart, and below
// 2^49 within the AVX2 table, where doubles are 2^-4 apart; the AVX2
// rounding condemns any output from 2^50 on, where they are 1/4 apart. Both
// grids resolve the threshold.
inline constexpr double FFT_TRUSTED_ROUNDING_ERROR = 0.25;

// Limb sizes of the two number types.
inline constexpr int BINARY_LIMB_BITS = 30;
inline constexpr int DECIMAL_LIMB_PLACES = 8;

// Transform lengths, in complex points: 2^k and 3 2^k in this range. The
// longest holds a product of 2^21 digits of 19 bits (about 1.3 million
// limbs) in about 150 MB; longer products are split by the callers.
inline constexpr int FFT_MIN_POINTS = 4;
inline constexpr int FFT_MAX_POINTS = 1 << 20;

// The AVX2 transform's lengths: 2^k, 3 2^k and 5 2^k whose first level
// leaves blocks of at least 16 points, up to this many.
inline constexpr int AVX2_FFT_MAX_POINTS = 1 << 21;

// The AVX2 transform's cost per point and level of its three families of
// lengths (2^k, 3 2^k, 5 2^k), relative to the first: the shapes weigh the
// lengths by these. Measured on whole binary products filling each length
// with the digits of its table row, one thread, best of many (ns per point
// and log2 M): 2^12 .. 2^19 points 1.20 1.17 1.12 1.29 1.26 1.45 1.51 1.62;
// 3 2^10 .. 3 2^17 1.24 1.21 1.14 1.26 1.26 1.49 1.55 1.65; 5 2^9 .. 5 2^16
// 1.31 1.24 1.18 1.15 1.28 1.27 1.40 1.50. The cost per level grows with
// the length (the caches), so the radix-5 lengths, a little dearer at equal
// length below 20,000 points and cheaper above, count as the radix-3 ones.
inline constexpr double AVX2_FFT_FAMILY_COST[3] = {1.0, 1.02, 1.02};

// Digit sizes the products use: bits for 30-bit limbs, decimal places for
// base-10^8 limbs.
inline constexpr int FFT_MIN_DIGIT_BITS = 8;
inline constexpr int FFT_MAX_DIGIT_BITS = 30;
inline constexpr int FFT_MIN_DECIMAL_PLACES = 2;
inline constexpr int FFT_MAX_DECIMAL_PLACES = 7;

// Mode 1 (the retry of a product mode 0 could not trust) takes digits this
// much smaller than the table allows: each bit less divides the rounding
// error by about 4.
inline constexpr int FFT_SAFE_MARGIN_BITS = 2;
inline constexpr int FFT_SAFE_MARGIN_PLACES = 1;

// The precision table: for each transform length, the largest digits its
// products are trusted with, in bits for 30-bit limbs and in decimal places
// for base-10^8 limbs. Measured with build/fft-error-table on the
// development machine, operands filling the whole transform: each row holds
// the largest size whose all-maximum products and squares (the worst case
// while digits were centred; with balanced digits the same transform inputs
// come from every digit B/2 - 1) round within 3/32,
// more than a factor 2 below the trusted 1/4 (one size more multiplies the
// distance by about 4 for bits, 100 for decimal places). Random operands of
// the same size stay below 1/30 at the shortest lengths and below 1/4000
// from 1024 points up, so they never need the retry.
struct FftPrecision {
  int points;
  int digitBits;
  int decimalPlaces;
};
inline constexpr FftPrecision FFT_PRECISION_TABLE[] = {
    {4, 29, 7},         {6, 29, 7},         {8, 29, 7},         {12, 29, 7},       {16, 28, 7},
    {24, 28, 7},        {32, 28, 7},        {48, 27, 7},        {64, 27, 7},       {96, 27, 7},
    {128, 27, 7},       {192, 26, 7},       {256, 26, 7},       {384, 26, 7},      {512, 26, 7},
    {768, 25, 7},       {1024, 25, 7},      {1536, 24, 7},      {2048, 25, 7},     {3072, 24, 7},
    {4096, 24, 7},      {6144, 23, 7},      {8192, 23, 7},      {12288, 23, 6},    {16384, 23, 6},
    {24576, 22, 6},     {32768, 22, 6},     {49152, 22, 6},     {65536, 22, 6},    {98304, 21, 6},
    {131072, 21, 6},    {196608, 21, 6},    {262144, 21, 6},    {393216, 20, 6},   {524288, 20, 6},
    {786432, 20, 6},    {1048576, 19, 5},
};

// The same for the AVX2 transform, in double precision (53-bit
// significand: about five bits less per digit than the x87 table at the
// same length). Measured with `build/fft-error-table --kernel=avx2` on the
// development machine (Intel Xeon, Ice Lake, 2 cores): each row holds the
// largest size whose worst-case products and squares (every digit B/2 - 1,
// fft_product_common.h) round below 3/32, and no more than the row of any
// shorter length. One size more multiplies the distance by about 4 (one
// decimal place more by about 60). Random operands of the table's sizes
// stay below 1/1000, below 1/10000 from 8192 points up. Other structured
// operands come close to the worst case: before the digits were balanced,
// when all-maximum digits were the worst, alternating maximal and zero
// digits or a run of zeros then maximal digits measured up to 1.2 times
// its distance (at 81920 points, 16 bits: 0.109 against 0.094).
inline constexpr FftPrecision AVX2_FFT_PRECISION_TABLE[] = {
    {48, 22, 6}, {64, 21, 6}, {80, 21, 6}, {96, 21, 6}, {128, 21, 6}, {160, 20, 6}, {192, 20, 6}, {256, 20, 6},
    {320, 20, 6}, {384, 20, 6}, {512, 20, 6}, {640, 20, 5}, {768, 19, 5}, {1024, 19, 5}, {1280, 19, 5},
    {1536, 19, 5}, {2048, 19, 5}, {2560, 18, 5}, {3072, 18, 5}, {4096, 18, 5}, {5120, 18, 5}, {6144, 18, 5},
    {8192, 18, 5}, {10240, 17, 5}, {12288, 17, 5}, {16384, 17, 5}, {20480, 17, 5}, {24576, 17, 5},
    {32768, 16, 5}, {40960, 16, 5}, {49152, 16, 4}, {65536, 16, 4}, {81920, 16, 4}, {98304, 15, 4},
    {131072, 15, 4}, {163840, 15, 4}, {196608, 15, 4}, {262144, 15, 4}, {327680, 14, 4}, {393216, 14, 4},
    {524288, 14, 4}, {655360, 14, 4}, {786432, 14, 4}, {1048576, 14, 4}, {1310720, 13, 4}, {1572864, 13, 4},
    {2097152, 13, 4},
};

template <size_t N>
inline constexpr const FftPrecision& fftPrecision(const FftPrecision (&table)[N], int points) {
  for (const FftPrecision& row : table) {
    if (row.points == points) return row;
  }
  return table[0];  // not a transform length: callers check first
}
inline constexpr const FftPrecision& fftPrecision(int points, FftKernel kernel) {
  return kernel == FftKernel::avx2 ? fftPrecision(AVX2_FFT_PRECISION_TABLE, points)
                                   : fftPrecision(FFT_PRECISION_TABLE, points);
}
inline constexpr int fftMaxDigitBits(int points, FftKernel kernel = FftKernel::x87) {
  return fftPrecision(points, kernel).digitBits;
}
inline constexpr int fftMaxDecimalPlaces(int points, FftKernel kernel = FftKernel::x87) {
  return fftPrecision(points, kernel).decimalPlaces;
}

}  // namespace quorvel
