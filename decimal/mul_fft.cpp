// The vnum10 product through one decimal FFT product, written straight into
// the caller's limbs.
//
// The fft library chooses the transform length and digit size for the mode
// (fft_product.h) and returns the product exactly in base-10^8 limbs, or a
// rounding distance the caller must not trust.
#include <algorithm>
#include <cassert>
#include <cstdint>
#include <limits>

#include "decimal/dec_limbs.h"
#include "decimal/mul_spans.h"
#include "decimal/vnum10.h"
#include "fft/fft.h"
#include "platform/abort_flags.h"
#include "vnum/limb_spans.h"

namespace quorvel {

namespace {

// The rounding distance of the product x y written into out[0 .. t + u),
// or infinity when no shape of the mode holds it.
double decimalProduct(int32_t* out, const int32_t* x, int32_t t, const int32_t* y, int32_t u, int mode) {
  const FftShape shape = decimalProductShape(t, u, mode);
  if (shape.points == 0) return std::numeric_limits<double>::infinity();
  // Equal magnitudes are a square: one forward transform fewer.
  const bool square = t == u && (x == y || std::equal(x, x + t, y));
  return fftProductDecimal(x, t, square ? x : y, u, out, square ? 1 : 0, shape);
}

}  // namespace

int64_t decToom3MaxLimbs(bool square) {
  if (preferredFftKernel() == FftKernel::avx2) return square ? DEC_SQR_TOOM3_MAX_LIMBS_AVX2 : DEC_TOOM3_MAX_LIMBS_AVX2;
  return square ? DEC_SQR_TOOM3_MAX_LIMBS : DEC_TOOM3_MAX_LIMBS;
}

int64_t decKaratsubaMaxLimbs(bool square) {
  if (preferredFftKernel() == FftKernel::avx2)
    return square ? DEC_SQR_KARATSUBA_MAX_LIMBS_AVX2 : DEC_KARATSUBA_MAX_LIMBS_AVX2;
  return square ? DEC_SQR_KARATSUBA_MAX_LIMBS : DEC_KARATSUBA_MAX_LIMBS;
}

bool mulDecFftSpans(int32_t* out, const int32_t* x, int32_t t, const int32_t* y, int32_t u, int mode,
                    double trustedError) {
  const double distance = decimalProduct(out, x, t, y, u, mode);
  if (isAborted()) {
    // A cancelled product leaves zeros, as after any cancelled kernel.
    zeroSpan(out, t + u);
    return true;
  }
  return distance <= trustedError;
}

double vnum10::mulFft(vnum10& result, const vnum10& x, const vnum10& y, int mode) {
  assert(&result != &x && &result != &y);
  assert(mode == 0 || mode == 1);
  const int32_t t = x.trimmedLength();
  const int32_t u = y.trimmedLength();
  // The product is written into t + u zero-filled limbs (left zero when the
  // call is cancelled).
  vnum10 product;
  product.len = product.cap = t + u;
  product.limbs = std::make_unique<int32_t[]>(static_cast<size_t>(t + u));
  const double distance = decimalProduct(product.limbs.get(), x.limbs.get(), t, y.limbs.get(), u, mode);
  product.trim();
  result.swap(product);
  return distance;
}

}  // namespace quorvel
