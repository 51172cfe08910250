// Euclid's algorithm on the leading bits of two values, in machine words.
//
// Word round (lehmerWordMatrix). Each step takes the larger of (x, y), say
// x, and subtracts the largest multiple q*y that leaves x >= 2^f:
// q = floor((x - 2^f) / y), at least 1 exactly when x - y >= 2^f. Full
// quotients are taken whenever the remainder stays above the floor, so this
// is Euclid's quotient sequence up to the last step, which may stop short.
// With x, y < 2^63 and the results >= 2^f, the entries stay below
// 2^(63-f) <= 2^31 (half_gcd.h, (1)), so q * u cannot overflow: it is at
// most the entry it is added to.
//
// Window (lehmerMatrix). The 127-bit window (X, Y) is reduced by word rounds
// on its own leading 63 bits, each applied to (X, Y) exactly. A round with
// floor f on bits shifted by t leaves X, Y above 2^(f-1+t) (the lemma), so
// f = F - t + 1 keeps them >= 2^F. The product of the rounds is again a
// product of steps taking (X, Y) < 2^127 to values >= 2^F, so its entries
// are below 2^(127-F) <= 2^63 at every stage, and every sum in U V is at
// most such an entry: no overflow in 64 bits.
#include <algorithm>
#include <bit>
#include <cassert>

#include "numtheory/gcd/half_gcd.h"
#include "numtheory/gcd/limits.h"

namespace quorvel {

namespace {

using u128 = unsigned __int128;

int bitWidth(u128 x) {
  const uint64_t high = static_cast<uint64_t>(x >> 64);
  return high ? 64 + std::bit_width(high) : std::bit_width(static_cast<uint64_t>(x));
}

}  // namespace

bool lehmerWordMatrix(uint64_t x, uint64_t y, int f, LehmerMatrix& U) {
  assert(f >= LEHMER_WORD_MIN_FLOOR_BITS && f < LEHMER_WORD_BITS);
  assert(x >> LEHMER_WORD_BITS == 0 && y >> LEHMER_WORD_BITS == 0);
  U = {1, 0, 0, 1};
  const uint64_t floor = uint64_t{1} << f;
  if (x < floor || y < floor) return false;
  bool stepped = false;
  for (;;) {
    if (x > y) {
      if (x - y < floor) break;
      const uint64_t d = x - floor;  // >= y
      // A quotient of 1 is the most frequent (about 42%); skip the division.
      const uint64_t q = d < 2 * y ? 1 : d / y;
      x -= q * y;
      U.u01 += q * U.u00;
      U.u11 += q * U.u10;
    } else {
      if (y - x < floor) break;  // also x == y
      const uint64_t d = y - floor;
      const uint64_t q = d < 2 * x ? 1 : d / x;
      y -= q * x;
      U.u00 += q * U.u01;
      U.u10 += q * U.u11;
    }
    stepped = true;
  }
  return stepped;
}

bool lehmerMatrix(u128 X, u128 Y, int F, LehmerMatrix& U) {
  assert(F >= LEHMER_WINDOW_MIN_FLOOR_BITS && F < LEHMER_WINDOW_BITS);
  assert(X >> LEHMER_WINDOW_BITS == 0 && Y >> LEHMER_WINDOW_BITS == 0);
  U = {1, 0, 0, 1};
  bool stepped = false;
  for (;;) {
    const int t = std::max(0, bitWidth(std::max(X, Y)) - LEHMER_WORD_BITS);
    const int f = std::max(LEHMER_WORD_MIN_FLOOR_BITS, F - t + 1);
    LehmerMatrix V;
    if (f >= LEHMER_WORD_BITS || !lehmerWordMatrix(static_cast<uint64_t>(X >> t), static_cast<uint64_t>(Y >> t), f, V))
      break;
    // Both results lie in [2^F, 2^127), so arithmetic mod 2^128 is exact.
    const u128 x = X;
    X = V.u11 * X - V.u01 * Y;
    Y = V.u00 * Y - V.u10 * x;
    U = {U.u00 * V.u00 + U.u01 * V.u10, U.u00 * V.u01 + U.u01 * V.u11, U.u10 * V.u00 + U.u11 * V.u10,
         U.u10 * V.u01 + U.u11 * V.u11};
    stepped = true;
  }
  assert(U.u00 >> 63 == 0 && U.u01 >> 63 == 0 && U.u10 >> 63 == 0 && U.u11 >> 63 == 0);
  return stepped;
}

}  // namespace quorvel
