// The 64-bit word kernels against GMP: products, squares, the subtracted
// row and REDC on all-ones and random spans of every length up to 40 words
// (every remainder of the rows' four-word rounds), with guard words around
// each output, on the mulx/adcx/adox rows and on the portable ones; and the
// round trip through vnum.
#include <gtest/gtest.h>

#include <vector>

#include "numtheory/words/word_span.h"
#include "platform/cpu_features.h"
#include "tests/support/vnum_gmp.h"

using namespace quorvel;
using namespace quorvel::test;

namespace {

constexpr uint64_t GUARD = 0x5a5a5a5a5a5a5a5aull;

Mpz mpzOf(const uint64_t* w, int32_t n) {
  Mpz z;
  mpz_import(z.z, static_cast<size_t>(n), -1, sizeof(uint64_t), 0, 0, w);
  return z;
}

std::vector<uint64_t> words(std::mt19937_64& g, int32_t n, bool ones) {
  std::vector<uint64_t> w(static_cast<size_t>(n));
  for (uint64_t& x : w) x = ones ? ~uint64_t{0} : g();
  return w;
}

// A span of n words with a guard word on either side; out() is the span.
struct Guarded {
  explicit Guarded(int32_t n) : words(static_cast<size_t>(n) + 2, GUARD), n(n) {}
  uint64_t* out() { return words.data() + 1; }
  bool intact() const { return words.front() == GUARD && words.back() == GUARD; }
  std::vector<uint64_t> words;
  int32_t n;
};

}  // namespace

TEST(WordSpan, KernelsAgreeWithGmp) {
  auto g = rng(801);
  for (int32_t n = 1; n <= 40; ++n) {
    for (int kind = 0; kind < 4; ++kind) {
      const bool ones = kind & 1, simd = kind < 2;
      allowSimdForTesting(simd);
      SCOPED_TRACE("n=" + std::to_string(n) + (ones ? " all ones" : "") + (simd ? "" : " portable rows"));
      const std::vector<uint64_t> a = words(g, n, ones);
      const int32_t bn = 1 + static_cast<int32_t>(g() % static_cast<uint64_t>(n));
      const std::vector<uint64_t> b = words(g, bn, ones);
      Mpz expected;

      Guarded product(n + bn);
      mulWords(product.out(), a.data(), n, b.data(), bn);
      mpz_mul(expected.z, mpzOf(a.data(), n).z, mpzOf(b.data(), bn).z);
      EXPECT_EQ(mpz_cmp(mpzOf(product.out(), n + bn).z, expected.z), 0);
      EXPECT_TRUE(product.intact());

      Guarded square(2 * n);
      sqrWords(square.out(), a.data(), n);
      mpz_mul(expected.z, mpzOf(a.data(), n).z, mpzOf(a.data(), n).z);
      EXPECT_EQ(mpz_cmp(mpzOf(square.out(), 2 * n).z, expected.z), 0);
      EXPECT_TRUE(square.intact());

      // REDC of t = a'^2 for a' < N against t R^-1 mod N; the all-ones
      // modulus 2^(64n) - 1 with a' = N - 1 drives a carry out of the top.
      std::vector<uint64_t> N = words(g, n, ones);
      N[0] |= 1;
      const Mpz Nz = mpzOf(N.data(), n);
      Mpz az, R, rInverse;
      if (ones)
        mpz_sub_ui(az.z, Nz.z, 1);
      else
        mpz_mod(az.z, mpzOf(a.data(), n).z, Nz.z);
      std::vector<uint64_t> aw(static_cast<size_t>(n), 0), t(2 * static_cast<size_t>(n));
      mpz_export(aw.data(), nullptr, -1, sizeof(uint64_t), 0, 0, az.z);
      sqrWords(t.data(), aw.data(), n);
      Guarded r(n);
      redcWords(r.out(), t.data(), N.data(), n, negatedInverseWord(N[0]));
      mpz_setbit(R.z, static_cast<mp_bitcnt_t>(64 * n));
      mpz_invert(rInverse.z, R.z, Nz.z);
      mpz_mul(expected.z, az.z, az.z);
      mpz_mul(expected.z, expected.z, rInverse.z);
      mpz_mod(expected.z, expected.z, Nz.z);
      EXPECT_EQ(mpz_cmp(mpzOf(r.out(), n).z, expected.z), 0) << "N=" << Nz.hex();
      EXPECT_TRUE(r.intact());

      // r - a b' for a one-word b' as a value of n + 1 words: the borrow
      // out is the word taken from r[n].
      Guarded row(n);
      std::vector<uint64_t> r0 = words(g, n, ones);
      std::copy(r0.begin(), r0.end(), row.out());
      const uint64_t borrow = subMulWordsBy(row.out(), a.data(), n, b[0]);
      Mpz rowValue = mpzOf(row.out(), n), borrowValue;
      mpz_set_ui(borrowValue.z, borrow);
      mpz_mul_2exp(borrowValue.z, borrowValue.z, static_cast<mp_bitcnt_t>(64 * n));
      mpz_sub(rowValue.z, rowValue.z, borrowValue.z);
      mpz_mul_ui(expected.z, mpzOf(a.data(), n).z, b[0]);
      mpz_sub(expected.z, mpzOf(r0.data(), n).z, expected.z);
      EXPECT_EQ(mpz_cmp(rowValue.z, expected.z), 0);
      EXPECT_TRUE(row.intact());

      const vnum back = vnumFromWords(a.data(), n);
      EXPECT_VNUM_EQ(back, mpzOf(a.data(), n));
      Guarded image(n + 1);
      wordsFromVnum(image.out(), n + 1, back);
      EXPECT_EQ(mpz_cmp(mpzOf(image.out(), n + 1).z, mpzOf(a.data(), n).z), 0);
      EXPECT_TRUE(image.intact());
    }
  }
  allowSimdForTesting(true);
}

// The almost Montgomery product on 52-bit digits against GMP, where the
// processor has IFMA: moduli of every digit count up to 44 (random and all
// ones, the largest with the most carries), operands up to 2N - 1, output
// below 2N in digits below 2^52, guard words around it, and the output
// aliased to an operand.
TEST(WordSpan, AlmostMontgomeryOnDigitsAgreesWithGmp) {
  if (!hasIfmaMontgomery()) GTEST_SKIP() << "no AVX-512 IFMA here";
  auto g = rng(802);
  const auto digitsOf = [](const Mpz& z, int32_t n) {
    std::vector<uint64_t> d(static_cast<size_t>(n));
    digitsFromVnum(d.data(), n, fromMpz(z));
    return d;
  };
  for (long k = 3; k <= 44 * 52 - 2; k += 1 + static_cast<long>(g() % 97)) {
    for (bool ones : {false, true}) {
      SCOPED_TRACE("k=" + std::to_string(k) + (ones ? " all ones" : ""));
      Mpz N = ones ? powerOfTwoPlus(k, -1) : randomMpz(g, k, (g() & 1) != 0, false);
      mpz_setbit(N.z, 0);
      const int32_t n = montgomeryDigitCount(k);
      Mpz twoN, a, b, expected, R, rInverse;
      mpz_mul_2exp(twoN.z, N.z, 1);
      mpz_sub_ui(a.z, twoN.z, 1);  // the largest operand
      if (!ones) {
        gmp_randstate_t state;
        gmp_randinit_default(state);
        gmp_randseed_ui(state, g());
        mpz_urandomm(a.z, state, twoN.z);
        mpz_urandomm(b.z, state, twoN.z);
        gmp_randclear(state);
      } else {
        mpz_set(b.z, a.z);
      }
      const std::vector<uint64_t> Nd = digitsOf(N, n), ad = digitsOf(a, n), bd = digitsOf(b, n);
      const uint64_t k0 = negatedInverseWord(Nd[0]) & ((uint64_t{1} << 52) - 1);
      Guarded r(n);
      ammDigits(r.out(), ad.data(), bd.data(), Nd.data(), n, k0);
      EXPECT_TRUE(r.intact());
      const Mpz got = toMpz(vnumFromDigits(r.out(), n));
      mpz_setbit(R.z, static_cast<mp_bitcnt_t>(52 * n));
      mpz_invert(rInverse.z, R.z, N.z);
      mpz_mul(expected.z, a.z, b.z);
      mpz_mul(expected.z, expected.z, rInverse.z);
      mpz_mod(expected.z, expected.z, N.z);
      Mpz reduced;
      mpz_mod(reduced.z, got.z, N.z);
      EXPECT_EQ(mpz_cmp(reduced.z, expected.z), 0);
      EXPECT_LT(mpz_cmp(got.z, twoN.z), 0);
      for (int32_t j = 0; j < n; ++j) EXPECT_EQ(r.out()[j] >> 52, 0u) << "digit " << j;
      // The output may be an operand.
      std::vector<uint64_t> alias = ad;
      ammDigits(alias.data(), alias.data(), bd.data(), Nd.data(), n, k0);
      EXPECT_TRUE(std::equal(alias.begin(), alias.end(), r.out()));
    }
  }
}
