// The vnum10 product on base-10^8 limb spans: the transform step and the
// policy through which the generic kernels (vnum/limb_spans.h) send their
// sub-products back to vnum10::mulMagnitudes. The dispatcher itself is the
// span overload of vnum10::mulMagnitudes (vnum10.h).
#pragma once

#include <cstdint>

#include "decimal/limits.h"
#include "decimal/vnum10.h"
#include "vnum/limb_spans.h"

namespace quorvel {

// out[0 .. t+u) <- x y through one FFT product (vnum10::mulFft) in digit
// mode 0 or 1, for t >= u >= 1. Returns false, out unspecified, when the
// transform's rounding distance exceeded trustedError.
bool mulDecFftSpans(int32_t* out, const int32_t* x, int32_t t, const int32_t* y, int32_t u, int mode,
                    double trustedError);

// The largest total size of a Toom-3 product (square: of a square) below
// the transforms: DEC_TOOM3_MAX_LIMBS (DEC_SQR_) for the x87 transform, the
// _AVX2 limits where the products run on the AVX2 one.
int64_t decToom3MaxLimbs(bool square);
// The same for Karatsuba (karatsubaMaxLimbs in vnum/mul_spans.h).
int64_t decKaratsubaMaxLimbs(bool square);

struct DecimalSpans {
  static constexpr uint32_t BASE = DEC_LIMB_BASE;
  // Passed on to every sub-product (tests lower it to force the fallbacks).
  double trustedError = FFT_TRUSTED_ROUNDING_ERROR;
  void mul(int32_t* out, const int32_t* a, int32_t an, const int32_t* b, int32_t bn, int32_t* scratch) const {
    vnum10::mulMagnitudes(out, a, an, b, bn, scratch, trustedError);
  }
};

}  // namespace quorvel
