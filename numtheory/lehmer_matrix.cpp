// Euclid's algorithm on the leading 63 bits of two values, in machine words.
//
// Each step takes the larger of (x, y), say x, and subtracts the largest
// multiple q*y that leaves x >= 2^f:  q = floor((x - 2^f) / y), which is at
// least 1 exactly when x - y >= 2^f. Full quotients are taken whenever the
// remainder stays above the floor, so this is Euclid's quotient sequence up
// to the last step, which may stop short. The loop ends when the two leading
// parts are within 2^f of each other (which includes the step that would go
// below the floor).
//
// With x, y < 2^63 and the results >= 2^f, the entries stay below
// 2^(63-f) <= 2^31 (half_gcd.h, (1)), so q * u cannot overflow: it is at most
// the entry it is added to.
#include <cassert>

#include "numtheory/functions_limits.h"
#include "numtheory/half_gcd.h"

namespace quorvel {

bool lehmerMatrix(uint64_t x, uint64_t y, int f, LehmerMatrix& U) {
  assert(f >= LEHMER_MIN_FLOOR_BITS && f < LEHMER_LEADING_BITS);
  assert(x < (uint64_t{1} << LEHMER_LEADING_BITS) && y < (uint64_t{1} << LEHMER_LEADING_BITS));
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
  assert(U.u00 < (uint64_t{1} << 31) && U.u01 < (uint64_t{1} << 31));
  assert(U.u10 < (uint64_t{1} << 31) && U.u11 < (uint64_t{1} << 31));
  return stepped;
}

}  // namespace quorvel
