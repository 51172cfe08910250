// The vnum10 product: signs and the 1 x 1 limb case in mulAssign, the
// choice of method by size in mulMagnitudes, the only place that compares
// sizes with the decimal limits (limits.h).
//
// mulMagnitudes on values allocates the product and one scratch area for the
// whole recursion; mulMagnitudes on spans polls the abort flag and picks, for
// t >= u: a square's kernels by 2t; the schoolbook kernel while 2u is small;
// pieces of u limbs when y is too short to split (u <= ceil(t/2));
// Karatsuba, then Toom-3 (Toom-2.5 where Toom-3 cannot split y in three),
// by t + u; one FFT product in mode 0 or 1; or Toom-3 (Toom-2.5) above the
// transforms' limits or when a transform rounded too close to a half (its
// parts round with more margin).
#include <cassert>
#include <cstdint>
#include <memory>

#include "decimal/dec_limbs.h"
#include "decimal/mul_spans.h"
#include "decimal/vnum10.h"
#include "platform/abort_flags.h"
#include "platform/task_pool.h"
#include "vnum/limits.h"
#include "vnum/mul_karatsuba.h"
#include "vnum/mul_schoolbook.h"
#include "vnum/mul_toom25.h"
#include "vnum/mul_toom3.h"
#include "vnum/mul_unbalanced.h"

namespace quorvel {

static_assert(DEC_SCHOOLBOOK_MAX_LIMBS <= 2 * MUL_SCHOOLBOOK_KERNEL_MAX_LIMBS);
static_assert(DEC_SQR_SCHOOLBOOK_MAX_LIMBS <= 2 * MUL_SCHOOLBOOK_KERNEL_MAX_LIMBS);

namespace {

bool mulByTransform(int32_t* out, const int32_t* x, int32_t t, const int32_t* y, int32_t u, double trustedError) {
  const int64_t total = int64_t{t} + u;
  if (total <= DEC_FFT_MODE0_MAX_LIMBS && mulDecFftSpans(out, x, t, y, u, 0, trustedError)) return true;
  return total <= DEC_FFT_MODE1_MAX_LIMBS && mulDecFftSpans(out, x, t, y, u, 1, trustedError);
}

bool parallelToom(int64_t total) { return total >= DEC_TOOM3_PARALLEL_MIN_LIMBS && taskPoolThreads() > 1; }

}  // namespace

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
  const bool square = &x == &y || compareDecLimbs(x.limbs.get(), t, y.limbs.get(), u) == 0;
  // The schoolbook kernel needs no scratch; every other method may use it
  // all, and the recursion allocates nothing more.
  const bool schoolbook =
      square ? 2 * int64_t{t} <= DEC_SQR_SCHOOLBOOK_MAX_LIMBS : 2 * int64_t{u} <= DEC_SCHOOLBOOK_MAX_LIMBS;
  std::unique_ptr<int32_t[]> scratch;
  if (!schoolbook) scratch = std::make_unique_for_overwrite<int32_t[]>(static_cast<size_t>(mulScratchLimbs(t)));
  vnum10 product;
  product.growTo(t + u);
  mulMagnitudes(product.limbs.get(), x.limbs.get(), t, square ? x.limbs.get() : y.limbs.get(), u, scratch.get(),
                trustedError);
  product.trim();
  result.swap(product);
}

void vnum10::mulMagnitudes(int32_t* out, const int32_t* x, int32_t t, const int32_t* y, int32_t u, int32_t* scratch,
                           double trustedError) {
  assert(t >= u && u >= 1);
  if (isAborted()) {
    zeroSpan(out, t + u);
    return;
  }
  const DecimalSpans spans{trustedError};
  const int64_t total = int64_t{t} + u;
  if (x == y && t == u) {
    if (total <= DEC_SQR_SCHOOLBOOK_MAX_LIMBS)
      sqrSchoolbook(spans, out, x, t);
    else if (total <= decKaratsubaMaxLimbs(true))
      sqrKaratsuba(spans, out, x, t, scratch);
    else if (total <= decToom3MaxLimbs(true) || !mulByTransform(out, x, t, x, t, trustedError))
      parallelToom(total) ? toom3Parallel(spans, out, x, t, x, t) : mulToom3(spans, out, x, t, x, t, scratch);
    return;
  }
  if (2 * int64_t{u} <= DEC_SCHOOLBOOK_MAX_LIMBS) {
    mulSchoolbook(spans, out, x, t, y, u);
  } else if (u <= (t + 1) / 2) {
    mulUnbalanced(spans, out, x, t, y, u, scratch);
  } else if (total <= decKaratsubaMaxLimbs(false)) {
    mulKaratsuba(spans, out, x, t, y, u, scratch);
  } else if (total <= decToom3MaxLimbs(false) || !mulByTransform(out, x, t, y, u, trustedError)) {
    if (u > 2 * ((t + 2) / 3))
      parallelToom(total) ? toom3Parallel(spans, out, x, t, y, u) : mulToom3(spans, out, x, t, y, u, scratch);
    else
      mulToom25(spans, out, x, t, y, u, scratch);
  }
}

}  // namespace quorvel
