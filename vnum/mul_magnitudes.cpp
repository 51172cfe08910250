// The multiplication dispatcher: the only place that compares sizes with the
// method limits (limits.h).
//
// mulMagnitudes on vnum values takes the significant limbs of both operands,
// allocates the product and one scratch area for the whole recursion, and
// calls mulMagnitudes on spans. That one polls the abort flag and picks, for
// an >= bn:
// - a square (the same limbs twice): the squaring kernels by 2n;
// - the schoolbook kernel while 2 bn is small;
// - pieces of bn limbs when b is too short to split (bn <= ceil(an/2));
// - Karatsuba, then Toom-3 (Toom-2.5 where Toom-3 cannot split b in
//   three), by m = an + bn;
// - one FFT product (mulFft, mode by the normalised combined length);
// - Toom-3 (or Toom-2.5) above the transforms' limits, or when a transform
//   rounded too close to a half to be trusted: its parts are shorter, and
//   their transforms round with more margin.
// The kernels send every sub-product back here, so each level chooses again
// and polls again.
#include <memory>

#include "platform/abort_flags.h"
#include "platform/task_pool.h"
#include "vnum/mul_ifma.h"
#include "vnum/mul_karatsuba.h"
#include "vnum/mul_schoolbook.h"
#include "vnum/mul_spans.h"
#include "vnum/mul_toom25.h"
#include "vnum/mul_toom3.h"
#include "vnum/mul_unbalanced.h"
#include "vnum/vnum.h"

namespace quorvel {

namespace {

const vnum& oneValue() {
  static const vnum one(int32_t{1});
  return one;
}

// Limbs up to the highest non-zero one (at least 1).
int32_t significantLength(const vnum& x) {
  int32_t n = x.len;
  while (n > 1 && x.limbs[n - 1] == 0) --n;
  return n;
}

// The normalised vnum length of a positive value with n significant limbs:
// the limbs plus a zero sign limb, rounded up to even.
int64_t normalLength(int32_t n) { return n / 2 * 2 + 2; }

// One FFT product when the transforms' limits allow it and its rounding is
// trusted.
bool mulByTransform(int32_t* out, const int32_t* a, int32_t an, const int32_t* b, int32_t bn) {
  const int64_t m = normalLength(an) + normalLength(bn);
  if (m <= MUL_FFT_MODE0_MAX_LIMBS && mulFftSpans(out, a, an, b, bn, 0)) return true;
  return m <= MUL_FFT_MODE1_MAX_LIMBS && mulFftSpans(out, a, an, b, bn, 1);
}

bool parallelToom(int64_t m) { return m >= MUL_TOOM3_PARALLEL_MIN_LIMBS && taskPoolThreads() > 1; }

}  // namespace

int32_t mulSchoolbookMaxLimbs() { return hasIfmaKernel() ? MUL_IFMA_SCHOOLBOOK_MAX_LIMBS : MUL_SCHOOLBOOK_MAX_LIMBS; }
int32_t sqrSchoolbookMaxLimbs() { return hasIfmaKernel() ? SQR_IFMA_SCHOOLBOOK_MAX_LIMBS : SQR_SCHOOLBOOK_MAX_LIMBS; }

void mulMagnitudes(int32_t* out, const int32_t* a, int32_t an, const int32_t* b, int32_t bn, int32_t* scratch) {
  assert(an >= bn && bn >= 1);
  if (isAborted()) {
    zeroSpan(out, an + bn);
    return;
  }
  const BinarySpans spans;
  const int64_t m = int64_t{an} + bn;
  if (a == b && an == bn) {
    if (m <= sqrSchoolbookMaxLimbs())
      sqrSchoolbook(spans, out, a, an);
    else if (m <= karatsubaMaxLimbs(true))
      sqrKaratsuba(spans, out, a, an, scratch);
    else if (m <= toom3MaxLimbs(true) || !mulByTransform(out, a, an, a, an))
      parallelToom(m) ? toom3Parallel(spans, out, a, an, a, an) : mulToom3(spans, out, a, an, a, an, scratch);
    return;
  }
  if (2 * int64_t{bn} <= mulSchoolbookMaxLimbs()) {
    mulSchoolbook(spans, out, a, an, b, bn);
  } else if (bn <= (an + 1) / 2) {
    mulUnbalanced(spans, out, a, an, b, bn, scratch);
  } else if (m <= karatsubaMaxLimbs(false)) {
    mulKaratsuba(spans, out, a, an, b, bn, scratch);
  } else if (m <= toom3MaxLimbs(false) || !mulByTransform(out, a, an, b, bn)) {
    if (bn > 2 * ((an + 2) / 3))
      parallelToom(m) ? toom3Parallel(spans, out, a, an, b, bn) : mulToom3(spans, out, a, an, b, bn, scratch);
    else
      mulToom25(spans, out, a, an, b, bn, scratch);
  }
}

vnum& mulMagnitudes(vnum& out, vnum& A, vnum& B) {
  if (A.isZero() || B.isZero()) {
    out = vnum();
    return out;
  }
  if (A.compare(oneValue()) == 0) {
    out = B;
    return out;
  }
  if (B.compare(oneValue()) == 0) {
    out = A;
    return out;
  }
  if (isAborted()) {
    out = vnum();
    return out;
  }
  A.normalize();
  B.normalize();
  const int32_t an = significantLength(A), bn = significantLength(B);
  assert(an >= bn);
  const bool square = A.compare(B) == 0;
  // The schoolbook kernel needs no scratch; every other method may use it
  // all, and the recursion allocates nothing more.
  const bool schoolbook = square ? 2 * int64_t{an} <= sqrSchoolbookMaxLimbs()
                                 : 2 * int64_t{bn} <= mulSchoolbookMaxLimbs();
  std::unique_ptr<int32_t[]> scratch;
  if (!schoolbook) scratch = std::make_unique_for_overwrite<int32_t[]>(static_cast<size_t>(mulScratchLimbs(an)));
  vnum product;
  // Two zero limbs above the an + bn written keep the sign bit clear.
  product.extendTo(an + bn + 2);
  mulMagnitudes(product.limbs, A.limbs, an, square ? A.limbs : B.limbs, bn, scratch.get());
  product.plus = 1;
  product.normalize();
  out.swap(product);
  return out;
}

}  // namespace quorvel
