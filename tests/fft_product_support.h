// Shared helpers of the FFT product tests: GMP conversions of 30-bit limbs,
// a base-10^8 schoolbook product, and checked calls of both products.
#pragma once

#include <gmp.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "fft/fft.h"

namespace quorvel::test {

using Limbs = std::vector<int32_t>;

constexpr int32_t BINARY_LIMB_MAX = (1 << 30) - 1;
constexpr int32_t DECIMAL_LIMB_MAX = 99999999;
constexpr int32_t DECIMAL_LIMB_BASE = 100000000;
// Limbs past the t + u of the output, filled with this and checked afterwards
// to catch writes beyond it.
constexpr int GUARD_LIMBS = 4;
constexpr int32_t GUARD = 0x5a5a5a5a;

class Mpz {
 public:
  Mpz() { mpz_init(z_); }
  ~Mpz() { mpz_clear(z_); }
  Mpz(const Mpz&) = delete;
  Mpz& operator=(const Mpz&) = delete;
  mpz_ptr get() { return z_; }
  mpz_srcptr get() const { return z_; }

 private:
  mpz_t z_;
};

inline void importLimbs(mpz_ptr z, const int32_t* limbs, size_t count) { mpz_import(z, count, -1, 4, 0, 2, limbs); }

inline Limbs exportLimbs(mpz_srcptr z, size_t count) {
  Limbs limbs(std::max(count, mpz_sizeinbase(z, 2) / 30 + 1), 0);
  size_t written = 0;
  mpz_export(limbs.data(), &written, -1, 4, 0, 2, z);
  limbs.resize(std::max(count, written));
  return limbs;
}

inline Limbs randomLimbs(std::mt19937_64& g, int count, int32_t max) {
  std::uniform_int_distribution<int32_t> limb(0, max);
  Limbs limbs(count);
  for (auto& v : limbs) v = limb(g);
  return limbs;
}

// 30-bit limbs with long runs of zeros and ones (mpz_rrandomb), the pattern
// that carries most often.
inline Limbs runLimbs(gmp_randstate_t state, int count) {
  Mpz z;
  mpz_rrandomb(z.get(), state, 30 * static_cast<mp_bitcnt_t>(count));
  Limbs limbs = exportLimbs(z.get(), count);
  limbs.resize(count);
  return limbs;
}

struct ProductResult {
  Limbs out;  // t + u limbs
  double distance;
  FftShape shape;
};

enum class Routine { binary, decimal };

inline FftShape shapeFor(Routine routine, size_t t, size_t u, int mode) {
  return routine == Routine::binary ? binaryProductShape(t, u, mode) : decimalProductShape(t, u, mode);
}

// Calls a product with the given shape (the mode's own by default) into
// t + u limbs filled with `fill`, and checks the guard limbs after it.
inline ProductResult callProduct(Routine routine, const Limbs& x, const Limbs& y, int mode, bool square,
                                 FftShape shape = {}, int32_t fill = 0) {
  const int t = static_cast<int>(x.size());
  const int u = square ? t : static_cast<int>(y.size());
  if (shape.points == 0) shape = shapeFor(routine, t, u, mode);
  Limbs out(t + u + GUARD_LIMBS, fill);
  std::fill(out.end() - GUARD_LIMBS, out.end(), GUARD);
  const int32_t* second = square ? x.data() : y.data();
  const double distance = routine == Routine::binary
                              ? fftProductBinary(x.data(), t, second, u, out.data(), square, shape)
                              : fftProductDecimal(x.data(), t, second, u, out.data(), square, shape);
  for (int i = 0; i < GUARD_LIMBS; ++i) EXPECT_EQ(out[t + u + i], GUARD) << "write past the output, limb " << t + u + i;
  out.resize(t + u);
  return {out, distance, shape};
}

// How a check treats the returned rounding distance. Within the precision
// table a product must be trusted; beyond it (a shape forced on purpose) the
// contract is only that a product is exact or reported untrusted.
enum class Trust { required, exactUnlessReported };

// Checks a binary product against GMP, limb for limb including the zero top
// limbs.
inline void expectBinaryProduct(const Limbs& x, const Limbs& y, int mode, bool square = false,
                                Trust trust = Trust::required, FftShape shape = {}) {
  const ProductResult r = callProduct(Routine::binary, x, square ? x : y, mode, square, shape, 0x1234567);
  ASSERT_NE(r.shape.points, 0) << "no shape for t = " << x.size() << ", u = " << y.size();
  if (trust == Trust::exactUnlessReported && r.distance > FFT_TRUSTED_ROUNDING_ERROR) return;
  EXPECT_LE(r.distance, FFT_TRUSTED_ROUNDING_ERROR)
      << "t = " << x.size() << ", u = " << y.size() << ", M = " << r.shape.points << ", " << r.shape.digitSize
      << " bits";
  Mpz a, b, expected;
  importLimbs(a.get(), x.data(), x.size());
  importLimbs(b.get(), (square ? x : y).data(), (square ? x : y).size());
  mpz_mul(expected.get(), a.get(), b.get());
  const Limbs expectedLimbs = exportLimbs(expected.get(), r.out.size());
  ASSERT_EQ(expectedLimbs.size(), r.out.size()) << "product longer than the output";
  for (size_t i = 0; i < r.out.size(); ++i) {
    ASSERT_EQ(r.out[i], expectedLimbs[i]) << "limb " << i << " of " << r.out.size() << ", t = " << x.size()
                                          << ", u = " << y.size() << ", M = " << r.shape.points << ", "
                                          << r.shape.digitSize << " bits, square " << square;
  }
}

// Base-10^8 schoolbook product, trimmed of leading zero limbs.
inline Limbs schoolbookDecimal(const Limbs& x, const Limbs& y) {
  Limbs product(x.size() + y.size(), 0);
  for (size_t i = 0; i < x.size(); ++i) {
    uint64_t carry = 0;
    for (size_t j = 0; j < y.size(); ++j) {
      // < 10^8 + (10^8 - 1)^2 + 10^8: fits easily.
      const uint64_t current =
          static_cast<uint64_t>(product[i + j]) + static_cast<uint64_t>(x[i]) * static_cast<uint64_t>(y[j]) + carry;
      product[i + j] = static_cast<int32_t>(current % DECIMAL_LIMB_BASE);
      carry = current / DECIMAL_LIMB_BASE;
    }
    product[i + y.size()] = static_cast<int32_t>(carry);
  }
  while (product.size() > 1 && product.back() == 0) product.pop_back();
  return product;
}

// The decimal reference through GMP's decimal conversion, for operands too
// long for the schoolbook product.
inline std::string decimalDigits(const Limbs& limbs) {
  std::string text;
  text.reserve(limbs.size() * 8);
  char group[16];
  for (size_t i = limbs.size(); i-- > 0;) {
    std::snprintf(group, sizeof group, "%08d", limbs[i]);
    text += group;
  }
  return text;
}

inline Limbs gmpDecimalProduct(const Limbs& x, const Limbs& y) {
  Mpz a, b, p;
  mpz_set_str(a.get(), decimalDigits(x).c_str(), 10);
  mpz_set_str(b.get(), decimalDigits(y).c_str(), 10);
  mpz_mul(p.get(), a.get(), b.get());
  std::string text(mpz_sizeinbase(p.get(), 10) + 2, '\0');
  mpz_get_str(text.data(), 10, p.get());
  text.resize(std::char_traits<char>::length(text.c_str()));
  Limbs product;
  for (size_t end = text.size(); end > 0; end = end >= 8 ? end - 8 : 0) {
    const size_t begin = end >= 8 ? end - 8 : 0;
    product.push_back(static_cast<int32_t>(std::stol(text.substr(begin, end - begin))));
  }
  while (product.size() > 1 && product.back() == 0) product.pop_back();
  return product;
}

// (B^t - 1)^2 = B^(2t) - 2 B^t + 1 in base B = 10^8: the square of t
// maximal limbs in closed form, for sizes where even GMP's decimal
// conversion is slow.
inline Limbs maximalDecimalSquare(int t) {
  Limbs square(2 * t, DECIMAL_LIMB_MAX);
  square[0] = 1;
  for (int i = 1; i < t; ++i) square[i] = 0;
  square[t] = DECIMAL_LIMB_MAX - 1;
  return square;
}

// Checks a decimal product against the schoolbook product, GMP's for long
// balanced operands, or `expected`.
inline void expectDecimalProduct(const Limbs& x, const Limbs& y, int mode, bool square = false,
                                 Trust trust = Trust::required, const Limbs* expected = nullptr, FftShape shape = {}) {
  const Limbs& other = square ? x : y;
  const ProductResult r = callProduct(Routine::decimal, x, other, mode, square, shape, 0x1234567);
  ASSERT_NE(r.shape.points, 0) << "no shape for t = " << x.size() << ", u = " << y.size();
  if (trust == Trust::exactUnlessReported && r.distance > FFT_TRUSTED_ROUNDING_ERROR) return;
  EXPECT_LE(r.distance, FFT_TRUSTED_ROUNDING_ERROR)
      << "t = " << x.size() << ", u = " << y.size() << ", M = " << r.shape.points << ", " << r.shape.digitSize
      << " places";
  for (int32_t limb : r.out) ASSERT_TRUE(limb >= 0 && limb < DECIMAL_LIMB_BASE) << "limb " << limb;
  Limbs product = r.out;
  while (product.size() > 1 && product.back() == 0) product.pop_back();
  const bool small = static_cast<double>(x.size()) * static_cast<double>(other.size()) <= 1e8;
  const Limbs reference = expected ? *expected : small ? schoolbookDecimal(x, other) : gmpDecimalProduct(x, other);
  ASSERT_EQ(product.size(), reference.size()) << "t = " << x.size() << ", u = " << other.size() << ", mode " << mode;
  for (size_t i = 0; i < product.size(); ++i) {
    ASSERT_EQ(product[i], reference[i]) << "limb " << i << " of " << product.size() << ", t = " << x.size()
                                       << ", u = " << other.size() << ", M = " << r.shape.points << ", "
                                       << r.shape.digitSize << " places, square " << square;
  }
}

// Either routine's check.
inline void expectProduct(Routine routine, const Limbs& x, const Limbs& y, int mode, bool square = false,
                          Trust trust = Trust::required, FftShape shape = {}) {
  if (routine == Routine::binary) {
    expectBinaryProduct(x, y, mode, square, trust, shape);
  } else {
    expectDecimalProduct(x, y, mode, square, trust, nullptr, shape);
  }
}

// The worst case for the rounding of a product of t and u limbs in the
// mode's shape: every digit of the shape's size at B/2 - 1.
inline Limbs worstLimbs(Routine routine, int t, int u, int mode) {
  return worstRoundingLimbs(routine == Routine::decimal, t, shapeFor(routine, t, u, mode).digitSize);
}

}  // namespace quorvel::test
