// Layout constants, size thresholds and table sizes of the decimal subsystem.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quorvel {

// A vnum10 limb holds eight decimal digits: 0 .. 99,999,999. The product of
// two limbs plus two limbs of carry stays below 10^16 + 2*10^8 < 2^64.
inline constexpr int32_t DEC_LIMB_BASE = 100000000;
inline constexpr int DEC_LIMB_DIGITS = 8;
// Capacity, in limbs, of a freshly constructed vnum10.
inline constexpr int32_t DEC_FRESH_CAP = 16;

// vnum10::mulMagnitudes picks its method by the total limb count t + u of the
// two magnitudes (base-10^8 limbs):
// - up to DEC_SCHOOLBOOK_MAX_LIMBS the quadratic kernel. A short FFT product
//   pays for its twiddle tables and buffers, and the merges in the lower half
//   of the conversion tree are exactly such products (2 x 3 limbs, 19 x 37,
//   ..., 578 x 1156). Measured on the 2-core x86-64 build machine: 0.52 ms
//   against 0.73 ms for the mode-0 transform at 1,500 limbs, even at about
//   1,800, the transform ahead from 2,048.
// - up to DEC_FFT_MODE0_MAX_LIMBS one FFT product whose transform length and
//   digit size (2 to 7 decimal places) come from the precision table of
//   fft/limits.h; if that product cannot be trusted, up to
//   DEC_FFT_MODE1_MAX_LIMBS one with a decimal place less. Each limit is the
//   largest product its mode can shape within the longest transform (2^20
//   complex points: 5-place digits in mode 0, 4 in mode 1).
// - above that, one Karatsuba step into three products of about half size.
inline constexpr int64_t DEC_SCHOOLBOOK_MAX_LIMBS = 1500;
inline constexpr int64_t DEC_FFT_MODE0_MAX_LIMBS = 1300000;
inline constexpr int64_t DEC_FFT_MODE1_MAX_LIMBS = 1000000;
// The schoolbook kernel sums a whole column of products below 10^16 in 64
// bits: 1,800 of them plus the carry from the column below stay under 2^64
// (1.8447e19). Every call of the dispatcher is far inside it (at most 750).
inline constexpr int32_t DEC_SCHOOLBOOK_MAX_SHORTER = 1800;

// Decimal text: digitQuads prints one limb half (0 .. 9999) as 4 digits; the
// 10,000 groups lie back to back, followed by one NUL.
inline constexpr int DIGIT_QUAD_COUNT = 10000;
inline constexpr size_t DIGIT_QUAD_SIZE = 4 * DIGIT_QUAD_COUNT + 1;

// binPowerLadder: entry k may hold 2^(30*2^k). The conversion of a vnum with
// at most 2^31 limbs needs levels k <= 30, so 40 entries are never exhausted.
inline constexpr int BIN_POWER_LADDER_SIZE = 40;

// The V10R table: records k = 0 .. V10R_RECORDS - 1, each a little-endian
// 32-bit limb count and that many base-10^8 limbs of 2^(30*2^k). Records
// 0..17 serve every value up to the 5,000,000-bit result cap; 18..20 only
// larger ones.
inline constexpr int V10R_RECORDS = 21;
inline constexpr size_t V10R_WORDS = 2367428;
inline constexpr size_t V10R_BYTES = V10R_WORDS * 4;

}  // namespace quorvel
