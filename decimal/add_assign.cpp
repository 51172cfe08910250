// Signed addition and subtraction of vnum10 values (sign and magnitude).
#include <algorithm>

#include "decimal/dec_limbs.h"
#include "decimal/vnum10.h"

namespace quorvel {

void vnum10::addAssign(const vnum10& other) {
  if (&other == this) {
    const vnum10 copy(other);
    addAssign(copy);
    return;
  }
  const int32_t t = trimmedLength();
  const int32_t u = other.trimmedLength();
  if (plus == other.plus) {
    // One limb above the longer operand takes the final carry.
    growTo(std::max(t, u) + 1);
    addDecLimbs(limbs.get(), len, other.limbs.get(), u);
  } else if (compareDecLimbs(limbs.get(), t, other.limbs.get(), u) >= 0) {
    // |this| >= |other|: the sign of this stays.
    subDecLimbs(limbs.get(), t, other.limbs.get(), u);
  } else {
    // |other| > |this|: this <- |other| - |this| with the sign of other.
    growTo(u + 1);
    const vnum10 smaller(*this);
    std::copy(other.limbs.get(), other.limbs.get() + u, limbs.get());
    std::fill(limbs.get() + u, limbs.get() + len, 0);
    subDecLimbs(limbs.get(), u, smaller.limbs.get(), t);
    plus = other.plus;
  }
  trim();
  if (isZero()) plus = 1;
}

void vnum10::subAssign(const vnum10& other) {
  vnum10 negated(other);
  negated.negate();
  addAssign(negated);
}

}  // namespace quorvel
