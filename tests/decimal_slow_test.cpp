// The largest decimal cases: products across the limit of a single
// transform, the fallback from a refused transform, and conversions of
// values up to 8,000,000 bits, beyond the calculator's 5,000,000-bit cap and
// past the 2^18-limb padding, where record 18 of the table comes into use.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "decimal/dec_limbs.h"
#include "decimal/mul_spans.h"
#include "decimal/v10r_data.h"
#include "tests/decimal_gmp.h"

using namespace quorvel;
using namespace quorvel::test;

TEST(DecimalSlow, ProductsAcrossTheSingleTransformLimit) {
  // DEC_FFT_MODE0_MAX_LIMBS is the last single transform; one limb more
  // takes one Karatsuba step into three transforms.
  auto g = rng(531);
  for (int64_t total : {DEC_FFT_MODE0_MAX_LIMBS, DEC_FFT_MODE0_MAX_LIMBS + 1}) {
    const int32_t u = static_cast<int32_t>(total / 2);
    vnum10 x = randomVnum10(g, static_cast<int32_t>(total) - u, false);
    vnum10 y = randomVnum10(g, u, true);
    if (compareDecLimbs(x.limbs.get(), x.len, y.limbs.get(), y.len) < 0) x.swap(y);
    vnum10 product;
    vnum10::mulMagnitudes(product, x, y);
    EXPECT_EQ(vnum10Violation(product), "");
    // GMP reads decimal text much faster than it writes it, so the product
    // is compared as a GMP integer rather than as text.
    Mpz expected;
    mpz_mul(expected.z, mpzFromVnum10(x).z, mpzFromVnum10(y).z);
    EXPECT_EQ(mpz_cmp(mpzFromVnum10(product).z, expected.z), 0) << total << " limbs";
  }
}

TEST(DecimalSlow, UntrustedTransformsFallBackToToom3) {
  // Just above the Toom-3 limit the dispatcher tries one transform; with a
  // bound no transform can meet, every attempt is refused and Toom-3 must
  // form the product and the square instead.
  auto g = rng(533);
  const int32_t n = static_cast<int32_t>(decToom3MaxLimbs(false) / 2 + 2000);
  vnum10 x = randomVnum10(g, n, false), y = randomVnum10(g, n - 1, true);
  vnum10 product, square;
  vnum10::mulMagnitudes(product, x, y, -1.0);
  vnum10::mulMagnitudes(square, x, x, -1.0);
  const Mpz mx = mpzFromVnum10(x);
  Mpz expected;
  mpz_mul(expected.z, mx.z, mpzFromVnum10(y).z);
  EXPECT_EQ(vnum10Violation(product), "");
  EXPECT_EQ(mpz_cmp(mpzFromVnum10(product).z, expected.z), 0);
  mpz_mul(expected.z, mx.z, mx.z);
  EXPECT_EQ(vnum10Violation(square), "");
  EXPECT_EQ(mpz_cmp(mpzFromVnum10(square).z, expected.z), 0);
}

TEST(DecimalSlow, ConversionsUpToEightMillionBits) {
  resetBinPowerLadderForTesting();
  ASSERT_EQ(loadEmbeddedPowerTable(), V10R_RECORDS);
  auto g = rng(532);
  // 7,864,321 bits is the first length that pads to 2^19 limbs.
  const Mpz values[] = {randomMpz(g, 8000000, false, false), randomMpz(g, 7864321, true, true),
                        randomMpz(g, 5000000, false, true)};
  std::vector<std::string> withTable;
  for (const Mpz& v : values) {
    withTable.push_back(decTextOf(fromMpz(v)));
    EXPECT_EQ(textDifference(withTable.back(), decimalOf(v)), "");
  }

  // The first conversion of an empty ladder squares its way up and leaves
  // the same records behind.
  std::vector<std::vector<int32_t>> records;
  for (const unsigned char* p = embeddedPowerTable(); records.size() < static_cast<size_t>(V10R_RECORDS);) {
    int32_t count;
    std::memcpy(&count, p, 4);
    records.emplace_back(static_cast<size_t>(count));
    std::memcpy(records.back().data(), p + 4, 4 * static_cast<size_t>(count));
    p += 4 + 4 * static_cast<size_t>(count);
  }
  resetBinPowerLadderForTesting();
  EXPECT_EQ(textDifference(decTextOf(fromMpz(values[0])), withTable[0]), "");
  for (int k = 1; k <= 18; ++k) {
    const vnum10* entry = binPowerLadderEntry(k);
    ASSERT_NE(entry, nullptr) << "entry " << k;
    EXPECT_TRUE(std::vector<int32_t>(entry->limbs.get(), entry->limbs.get() + entry->len) == records[k])
        << "entry " << k;
  }
  resetBinPowerLadderForTesting();
}
