// The vnum10 product: signs and the 1 x 1 limb case in mulAssign, the choice
// of method by size in mulMagnitudes.
#include <cassert>
#include <cstdint>

#include "decimal/dec_limbs.h"
#include "decimal/mul_steps.h"
#include "decimal/vnum10.h"
#include "platform/abort_flags.h"

namespace quorvel {

void vnum10::mulAssign(const vnum10& other) {
  if (isZero() || other.isZero()) {
    *this = vnum10();
    return;
  }
  const bool negative = plus != other.plus;
  const int32_t t = trimmedLength();
  const int32_t u = other.trimmedLength();
  vnum10 product;
  if (t == 1 && u == 1) {
    // Below 10^16: one 64-bit product, split by the constructor.
    product = vnum10(static_cast<int64_t>(limbs[0]) * other.limbs[0]);
  } else if (compareDecLimbs(limbs.get(), t, other.limbs.get(), u) >= 0) {
    mulMagnitudes(product, *this, other);
  } else {
    mulMagnitudes(product, other, *this);
  }
  // Only a cancelled product can be zero here; it stays +0.
  product.plus = negative && !product.isZero() ? 0 : 1;
  swap(product);
}

void vnum10::mulMagnitudes(vnum10& result, const vnum10& x, const vnum10& y, double trustedError) {
  assert(&result != &x && &result != &y);
  const int32_t t = x.trimmedLength();
  const int32_t u = y.trimmedLength();
  assert(compareDecLimbs(x.limbs.get(), t, y.limbs.get(), u) >= 0);
  if (x.isZero() || y.isZero() || isAborted()) {
    result = vnum10();
    return;
  }
  const int64_t total = int64_t{t} + u;
  if (total <= DEC_SCHOOLBOOK_MAX_LIMBS) {
    mulSchoolbookStep(result, x, y);
    return;
  }
  // Each FFT attempt that rounds too close to a half falls through to the
  // next method: mode 1 splits every limb into more, smaller digits (smaller
  // coefficients, wider margin); the Karatsuba step halves the operands.
  if (total <= DEC_FFT_MODE0_MAX_LIMBS && mulFft(result, x, y, 0) <= trustedError) return;
  if (total <= DEC_FFT_MODE1_MAX_LIMBS && mulFft(result, x, y, 1) <= trustedError) return;
  mulKaratsubaStep(result, x, y, trustedError);
}

}  // namespace quorvel
