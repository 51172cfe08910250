// Newton's iteration for floor(2^p / B), run to its fixpoint.
//
// With z = 2^p / B and f(y) = y (2^(p+1) - B y) / 2^p = 2y - B y^2 / 2^p:
//     z - f(y) = (z - y)^2 / z,
// so a step never passes z, the error is squared relative to z, and for
// 0 <= y <= z it also never falls: f(y) - y = y (z - y) / z >= 0. The floor
// of an integer y's step is y + floor(y (2^p - B y) / 2^p) >= y, so the
// iterates rise until one repeats. A repeated y has y (z - y) / z < 1. For
// 2 <= y <= z/2 that fails (y (z - y) >= 2 * z/2), so a repeat has y > z/2,
// hence z - y < z / y < 2: y is floor(z) or floor(z) - 1. The floored step
// never leaves y = 1 (2 - 1/z floors to 1), so starts must be at least 2;
// every caller starts at 2^k with k >= 3.
#include "numtheory/bit_fields.h"
#include "numtheory/numtheory.h"
#include "platform/abort_flags.h"

namespace quorvel {

void refineReciprocal(vnum& x, const vnum& B, int64_t p) {
  const vnum twoToP1 = powerOfTwo(p + 1);
  vnum prev(int32_t{-1});
  while (x != prev && !isAborted()) {
    prev = x;
    vnum t = B * x;
    t.negate();
    t += twoToP1;
    t *= x;
    t.shift(-p);
    x = std::move(t);
  }
}

}  // namespace quorvel
