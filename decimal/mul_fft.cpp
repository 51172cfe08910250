// The vnum10 product through one decimal FFT product.
//
// fftProductDecimal leaves (N/2) x y in base-10^8 limbs, N being the real
// transform length: N = h with 4-digit elements (mode 0), N = 2h with 2-digit
// elements (mode 1), h = P/2 and P the smallest power of two >= 4 (t + u).
// With e = log2 P the factor N/2 is 2^(e-2) or 2^(e-1), at most 2^25 at the
// callers' limits, and it is divided out exactly in base 10^8.
#include <bit>
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
  // Equal magnitudes are a square: one forward transform fewer.
  const int square = &x == &y || compareDecLimbs(x.limbs.get(), t, y.limbs.get(), u) == 0;

  const uint64_t p = std::bit_ceil(uint64_t{4} * static_cast<uint64_t>(t + u));
  const int e = std::countr_zero(p);
  const int h = static_cast<int>(p / 2);

  // The transform writes h + 4 limbs into a zero-filled array.
  vnum10 product;
  product.len = product.cap = h + 4;
  product.limbs = std::make_unique<int32_t[]>(static_cast<size_t>(h + 4));
  double distance =
      static_cast<double>(fftProductDecimal(h, x.limbs.get(), t, y.limbs.get(), u, product.limbs.get(), square, mode));

  const int k = mode == 0 ? e - 2 : e - 1;
  // A true product is a multiple of 2^k and has at most t + u limbs; a
  // remainder or a longer result proves a wrong rounding, however small the
  // reported distance.
  if (k > 0 && divideDecLimbsByPowerOfTwo(product.limbs.get(), product.len, k) != 0)
    distance = std::numeric_limits<double>::infinity();
  product.trim();
  if (product.len > t + u) distance = std::numeric_limits<double>::infinity();
  result.swap(product);
  return distance;
}

}  // namespace quorvel
