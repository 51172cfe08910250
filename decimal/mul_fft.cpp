// The vnum10 product through one decimal FFT product.
//
// The fft library chooses the transform length and digit size for the mode
// (fft_product.h) and returns the product exactly in base-10^8 limbs, or a
// rounding distance the caller must not trust.
#include <cassert>
#include <cstdint>
#include <limits>

#include "decimal/dec_limbs.h"
#include "decimal/vnum10.h"
#include "fft/fft.h"

namespace quorvel {

double vnum10::mulFft(vnum10& result, const vnum10& x, const vnum10& y, int mode) {
  assert(&result != &x && &result != &y);
  assert(mode == 0 || mode == 1);
  const int32_t t = x.trimmedLength();
  const int32_t u = y.trimmedLength();
  const FftShape shape = decimalProductShape(t, u, mode);
  if (shape.points == 0) return std::numeric_limits<double>::infinity();
  // Equal magnitudes are a square: one forward transform fewer.
  const int square = &x == &y || compareDecLimbs(x.limbs.get(), t, y.limbs.get(), u) == 0;

  // The product is written into t + u zero-filled limbs (left zero when the
  // call is cancelled).
  vnum10 product;
  product.len = product.cap = t + u;
  product.limbs = std::make_unique<int32_t[]>(static_cast<size_t>(t + u));
  const double distance = fftProductDecimal(x.limbs.get(), t, square ? x.limbs.get() : y.limbs.get(), square ? t : u,
                                            product.limbs.get(), square, shape);
  product.trim();
  result.swap(product);
  return distance;
}

}  // namespace quorvel
