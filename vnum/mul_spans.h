// The vnum product on limb spans: the dispatcher that chooses a method by
// size, the transform step, and the policy through which the generic kernels
// (limb_spans.h) send their sub-products back to the dispatcher.
#pragma once

#include <cstdint>

#include "vnum/limb_spans.h"
#include "vnum/limits.h"

namespace quorvel {

// out[0 .. an+bn) <- a b for an >= bn >= 1; a square when a == b and
// an == bn. Chooses the method by size (limits.h) after polling the abort
// flag: a cancelled call writes zeros and returns. Leading zero limbs are
// allowed. scratch holds mulScratchLimbs(an) limbs; out overlaps none of
// a, b and scratch.
void mulMagnitudes(int32_t* out, const int32_t* a, int32_t an, const int32_t* b, int32_t bn, int32_t* scratch);

// out[0 .. an+bn) <- a b through one FFT product (mulFft) in digit mode 0
// or 1, for an >= bn >= 1. Returns false, out unspecified, when the
// transform's rounding was too close to a half to be trusted.
bool mulFftSpans(int32_t* out, const int32_t* a, int32_t an, const int32_t* b, int32_t bn, int mode);

// The schoolbook limits in force: the IFMA ones where that kernel runs.
int32_t mulSchoolbookMaxLimbs();
int32_t sqrSchoolbookMaxLimbs();

// The largest combined size of a Toom-3 product (square: of a square) below
// the transforms: MUL_TOOM3_MAX_LIMBS (SQR_) for the x87 transform, the
// _AVX2 limits where the products run on the AVX2 one.
int32_t toom3MaxLimbs(bool square);
// The same for Karatsuba: on the AVX2 transform the products leave it far
// earlier than on the x87 one.
int32_t karatsubaMaxLimbs(bool square);

struct BinarySpans {
  static constexpr uint32_t BASE = uint32_t{1} << LIMB_BITS;
  void mul(int32_t* out, const int32_t* a, int32_t an, const int32_t* b, int32_t bn, int32_t* scratch) const {
    mulMagnitudes(out, a, an, b, bn, scratch);
  }
};

}  // namespace quorvel
