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
// two magnitudes (base-10^8 limbs). The FFT products:
// - up to DEC_FFT_MODE0_MAX_LIMBS one FFT product whose transform length and
//   digit size (2 to 7 decimal places) come from the precision table of
//   fft/limits.h; if that product cannot be trusted, up to
//   DEC_FFT_MODE1_MAX_LIMBS one with a decimal place less. Each limit is the
//   largest product its mode can shape within the longest x87 transform
//   (2^20 complex points: 5-place digits in mode 0, 4 in mode 1); the AVX2
//   transform holds more (2^21 points of 4 places, 3 in mode 1).
// - above that, a Toom-3 split into five products of about a third.
inline constexpr int64_t DEC_FFT_MODE0_MAX_LIMBS = 1300000;
inline constexpr int64_t DEC_FFT_MODE1_MAX_LIMBS = 1000000;

// The methods, by total t + u of the trimmed lengths: the schoolbook kernel
// while the shorter operand's balanced size 2u is at most
// DEC_SCHOOLBOOK_MAX_LIMBS, then Karatsuba up to DEC_KARATSUBA_MAX_LIMBS,
// then Toom-3 (Toom-2.5 where Toom-3 cannot split the shorter operand, as
// for the binary product) up to DEC_TOOM3_MAX_LIMBS, then
// one FFT product within the limits above, and Toom-3 again beyond them.
// Squares have their own limits (DEC_SQR_*, on 2t). The kernels are those of
// vnum (vnum/mul_*.h) in base 10^8.
//
// Measured with `quorvel-bench --crossover decimal` on the machine and in
// the way described in vnum/limits.h (microseconds):
// - the schoolbook kernel needs no fold in base 10^8 and the decimal
//   carries cost more than the binary ones, so it leads further: schoolbook
//   / Karatsuba at 798 15.1 / 14.5, at 950 20.9 / 26.5 (a second run: the
//   schoolbook last ahead at 712); squares ahead up to the kernel's limit
//   (at 950 13.8 / 15.1).
// - Karatsuba / Toom-3 take turns within a few percent from about 1,100 to
//   6,400 (at 2,262 109 / 107, at 3,804 242 / 245, at 5,380 446 / 418),
//   squares likewise.
// - Toom-3 / FFT, in four runs at load 2.9 to 3.7, as for the binary
//   limits: they take turns from about 20,000 to 30,000, the transform
//   ahead from about 30,000 on. Products, Toom-3 / FFT: at 20,000 2,293 /
//   2,395, at 23,784 2,967 / 2,401, at 28,282 3,875 / 4,103, at 31,996
//   4,694 / 4,237, at 33,634 5,018 / 4,091, at 63,990 13,385 / 8,453, at
//   180,986 64,976 / 27,338. Squares: at 19,024 1,611 / 1,724, at 20,000
//   1,771 / 1,745, at 22,624 2,910 / 2,340, at 23,784 2,199 / 1,771, at
//   26,904 2,646 / 2,914, at 31,996 4,850 / 3,882. The tool suggested
//   26,904 to 28,540 for products in three runs, 16,970 to 26,904 for
//   squares. The top merge of a 5,000,000-bit conversion (about 188,000
//   limbs) is now one transform, about 2.4 times faster than Toom-3.
// Rerun after the transform changes, as for the binary limits: with
// QUORVEL_SIMD=off on the CI-type machine (2-core Intel Xeon, quiet), the
// x87 transform taking its digits in place, it wins from about 3,800
// (products, Karatsuba / Toom-3 / FFT: at 3,198 240 / 430 / 259, at 3,804
// 280 / 280 / 251, at 5,044 471 / 395 / 248, at 11,998 1,623 / 1,763 /
// 736; squares at 3,804 172 / 160 / 179, at 4,524 220 / 211 / 179).
inline constexpr int64_t DEC_SCHOOLBOOK_MAX_LIMBS = 800;
inline constexpr int64_t DEC_KARATSUBA_MAX_LIMBS = 2600;
inline constexpr int64_t DEC_TOOM3_MAX_LIMBS = 3800;
inline constexpr int64_t DEC_SQR_SCHOOLBOOK_MAX_LIMBS = 1000;
inline constexpr int64_t DEC_SQR_KARATSUBA_MAX_LIMBS = 2600;
inline constexpr int64_t DEC_SQR_TOOM3_MAX_LIMBS = 4500;
// The same with the AVX2 transform, as for the binary limits
// (vnum/limits.h), measured with `quorvel-bench --crossover decimal`
// (microseconds, Karatsuba / Toom-3 / FFT): products at 1,008 28.3 / 31.3 /
// 35.6, at 1,198 37.3 / 40.9 / 36.2, at 1,426 34.9 / 46.2 / 25.3, at 2,998
// 111 / 111 / 58.2, at 11,998 1,153 / 1,084 / 377; squares at 848 20.1 /
// 24.3 / 11.1, at 1,198 19.1 / 22.8 / 17.0, at 1,426 41.6 / 46.2 / 18.8.
// Karatsuba hands over as early (decKaratsubaMaxLimbs); again on the quiet
// machine: products at 988 17.9 / 20.6 / 16.3, at 1,398 32.8 / 33.9 /
// 21.8; squares at 988 14.2 / 17.3 / 12.0.
inline constexpr int64_t DEC_TOOM3_MAX_LIMBS_AVX2 = 1200;
inline constexpr int64_t DEC_SQR_TOOM3_MAX_LIMBS_AVX2 = 1000;
inline constexpr int64_t DEC_KARATSUBA_MAX_LIMBS_AVX2 = 900;
inline constexpr int64_t DEC_SQR_KARATSUBA_MAX_LIMBS_AVX2 = 1000;
// As MUL_TOOM3_PARALLEL_MIN_LIMBS, for the base-10^8 Toom-3.
inline constexpr int64_t DEC_TOOM3_PARALLEL_MIN_LIMBS = 3000;

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
