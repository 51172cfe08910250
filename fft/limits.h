// Sizes and numeric limits of the FFT products and their kernel.
#pragma once

#include <cstdint>

namespace quorvel {

// Every transform value is an x87 extended real: 64-bit significand, stored
// as a pair of doubles (split_storage.h).
inline constexpr int EXTENDED_SIGNIFICAND_BITS = 64;

// Blocks of at most this many complex points (8 KiB of split storage; with
// the spectrum they are multiplied by, 16 KiB of the 32 KiB first-level
// cache) run all their remaining levels inside that cache; larger blocks are
// split depth-first by radix-4 steps.
inline constexpr int FFT_LEAF_POINTS = 256;

// The transforms poll the abort flag before each block of at least this many
// points: about 2 ms of work per block on the development machine, so a
// cancelled product stops within a few milliseconds.
inline constexpr int FFT_POLL_POINTS = 1 << 15;

// Largest |x - round(x)| over the transform outputs of a product that its
// caller still trusts. The exact values are integers: an error below 1/2
// still rounds to the right one, and the largest distance over all outputs
// measures the error of the whole transform, so stopping above 1/4 keeps a
// factor of two between what was seen and what would be wrong. The outputs
// are the coefficients themselves (below 2^62), whose own spacing in
// extended precision is at most 1/4 apart... far finer in practice, since
// the precision table keeps them below 2^50.
inline constexpr double FFT_TRUSTED_ROUNDING_ERROR = 0.25;

// Limb sizes of the two number types.
inline constexpr int BINARY_LIMB_BITS = 30;
inline constexpr int DECIMAL_LIMB_PLACES = 8;

// Transform lengths, in complex points: 2^k and 3 2^k in this range.
inline constexpr int FFT_MIN_POINTS = 4;
inline constexpr int FFT_MAX_POINTS = 1 << 21;

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

// Position of a transform length in the precision tables: 2k for 2^k,
// 2k + 3 for 3 2^k (between 2^(k+1) and 2^(k+2)).
inline constexpr int fftLengthIndex(int points) {
  int k = 0;
  while (((points >> k) & 1) == 0) ++k;
  return (points >> k) == 1 ? 2 * k : 2 * k + 3;
}

// PLACEHOLDER until measured.
inline constexpr int fftMaxDigitBits(int points) {
  const int h = fftLengthIndex(points);
  return (58 - h / 2) / 2;
}
inline constexpr int fftMaxDecimalPlaces(int points) {
  const int bits = fftMaxDigitBits(points);
  return bits * 3 / 10;
}

}  // namespace quorvel
