// Newton's iteration for the inverse square root, in integers.
//
// For Y = 2^p / sqrt(x) the function 1/y^2 - x/2^(2p) has the Newton step
//   y' = y (3 - x y^2 / 2^(2p)) / 2 = y + y (2^p - x y^2 / 2^p) / 2^(p+1).
// With y = Y (1 + e) exactly, y' = Y (1 - 3e^2/2 - e^3/2): the step lands
// below Y from either side and the correct bits double. In integers
//   t = (y^2 x) >> p,   y' = y + ((y (2^p - t)) >> (p + 1)),
// which equals the textbook (y (3 * 2^p - t)) >> (p + 1) (an integer y comes
// out of the floor), but multiplies y only by the small correction 2^p - t,
// whose size shrinks as y converges: the last, confirming step is nearly
// free but for y^2 x.
//
// The iteration stops at the first repeated value. The truncations can in
// principle leave two neighbours that map onto each other; that cycle is
// ended at its smaller value, which keeps y at or below the fixed point.
#include <utility>

#include "numtheory/functions.h"
#include "platform/abort_flags.h"

namespace quorvel {

void refineInverseSqrt(vnum& y, const vnum& x, int64_t p) {
  vnum unit(int32_t{1});
  unit.shift(p);  // 2^p
  // No estimate is negative, so -1 never matches the first y.
  vnum prev(int32_t{-1}), beforePrev(int32_t{-1});
  while (y != prev && !isAborted()) {
    beforePrev = std::move(prev);
    prev = y;
    vnum t = y * y;
    t *= x;
    t.shift(-p);
    vnum correction(unit);
    correction -= t;
    correction *= y;
    correction.shift(-(p + 1));
    y += correction;
    if (y == beforePrev && y != prev) {
      if (prev < y) y = prev;
      return;
    }
  }
}

}  // namespace quorvel
