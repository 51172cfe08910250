// toDecText against GMP's decimal text, the V10R table against independently
// computed powers, the loader's bounds, and the ladder under cancellation
// and concurrent conversions.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "decimal/v10r_data.h"
#include "platform/abort_flags.h"
#include "tests/decimal_gmp.h"

using namespace quorvel;
using namespace quorvel::test;

namespace {

// The limb arrays of the linked-in table, record by record.
std::vector<std::vector<int32_t>> embeddedRecords() {
  std::vector<std::vector<int32_t>> records;
  const unsigned char* p = embeddedPowerTable();
  const unsigned char* end = p + embeddedPowerTableSize();
  while (p + 4 <= end) {
    int32_t count;
    std::memcpy(&count, p, 4);
    std::vector<int32_t> limbs(static_cast<size_t>(count));
    std::memcpy(limbs.data(), p + 4, 4 * limbs.size());
    records.push_back(std::move(limbs));
    p += 4 + 4 * static_cast<size_t>(count);
  }
  return records;
}

std::vector<int32_t> ladderLimbs(int k) {
  const vnum10* entry = binPowerLadderEntry(k);
  if (!entry) return {};
  return std::vector<int32_t>(entry->limbs.get(), entry->limbs.get() + entry->len);
}

// Every test starts from the state of a started program: the table loaded.
class DecText : public testing::Test {
 protected:
  void SetUp() override {
    resetBinPowerLadderForTesting();
    ASSERT_EQ(loadEmbeddedPowerTable(), V10R_RECORDS);
  }
  void TearDown() override { resetBinPowerLadderForTesting(); }
};

void expectTextOf(const Mpz& value) {
  const vnum x = fromMpz(value);
  const vnum before(x);
  EXPECT_EQ(textDifference(decTextOf(x), decimalOf(value)), "")
      << mpz_sizeinbase(value.z, 2) << " bits, limbs " << x.len;
  EXPECT_EQ(x.compare(before), 0) << "the input changed";
}

}  // namespace

TEST_F(DecText, FixedValues) {
  const char* cases[] = {
      "0", "1", "-1", "1073741823", "1073741824", "-1073741824",
      "1152921504606846975",   // 2^60 - 1: one chunk, no merge level
      "1152921504606846976",   // 2^60: two chunks, one level
      "-1152921504606846976", "100000000", "-99999999", "10000000000000000000000000000000000000000",
  };
  for (const char* c : cases) expectTextOf(Mpz(c, 10));

  // A value without limbs converts as zero.
  vnum empty;
  empty.len = 0;
  char text[8] = "#######";
  toDecText(empty, text, sizeof text);
  empty.len = 2;
  EXPECT_STREQ(text, "0");
}

TEST_F(DecText, RandomValuesAgreeWithGmp) {
  auto g = rng(521);
  for (int it = 0; it < iterations(250); ++it) {
    const long maxBits = it % 25 == 0 ? 1000000 : 60000;
    expectTextOf(randomOperand(g, maxBits));
  }
  // At the calculator's result cap, both signs.
  expectTextOf(randomMpz(g, 5000000, false, false));
  expectTextOf(randomMpz(g, 5000000, true, true));
}

TEST_F(DecText, LengthsAtAndJustAboveAPowerOfTwo) {
  // A value whose highest limb is L - 2 (below the sign bit) has exactly L
  // limbs; one whose highest limb is L - 1 has L + 2, which doubles P.
  auto g = rng(522);
  for (int m = 1; m <= 15; ++m) {
    const long L = 1L << m;
    for (long bits : {30 * (L - 2) + 29, 30 * (L - 1) + 1, 30 * (L - 1) + 30}) {
      if (bits <= 0) continue;
      for (bool negative : {false, true}) {
        const Mpz value = randomMpz(g, bits, g() & 1, negative);
        if (!negative && bits == 30 * (L - 2) + 29) {
          EXPECT_EQ(fromMpz(value).len, L);
        }
        expectTextOf(value);
      }
    }
  }
}

TEST_F(DecText, EmptyLadderGivesTheSameTextAndFillsTheRecords) {
  auto g = rng(523);
  const Mpz value = randomMpz(g, 1900000, false, true);  // 63,334 limbs: P = 2^16, 15 levels
  const vnum x = fromMpz(value);
  const std::string loaded = decTextOf(x);
  resetBinPowerLadderForTesting();
  EXPECT_EQ(textDifference(decTextOf(x), loaded), "");
  EXPECT_EQ(textDifference(loaded, decimalOf(value)), "");

  const auto records = embeddedRecords();
  EXPECT_EQ(binPowerLadderEntry(0), nullptr);  // level 0 has no merge
  for (int k = 1; k <= 15; ++k) EXPECT_EQ(ladderLimbs(k), records[k]) << "entry " << k;
  EXPECT_EQ(binPowerLadderEntry(16), nullptr);
}

TEST_F(DecText, TableRecordsAreThePowersOfTwo) {
  EXPECT_EQ(embeddedPowerTableSize(), V10R_BYTES);
  const auto records = embeddedRecords();
  ASSERT_EQ(records.size(), static_cast<size_t>(V10R_RECORDS));
  const std::vector<size_t> counts = {2,    3,     5,     10,    19,     37,     73,     145,    289,     578,    1156,
                                      2312, 4624,  9248,  18496, 36991,  73982,  147963, 295925, 591850, 1183699};
  for (int k = 0; k < V10R_RECORDS; ++k) {
    EXPECT_EQ(records[k].size(), counts[k]) << "record " << k;
    Mpz power;
    mpz_setbit(power.z, 30UL << k);
    EXPECT_TRUE(records[k] == decimalLimbsOf(decimalOf(power))) << "record " << k;
    EXPECT_EQ(ladderLimbs(k), records[k]) << "entry " << k;
  }
  EXPECT_EQ(records[0], (std::vector<int32_t>{73741824, 10}));
  EXPECT_EQ(records[1], (std::vector<int32_t>{6846976, 29215046, 115}));
}

TEST_F(DecText, LoaderStopsAtTheFirstBadRecord) {
  const unsigned char* table = embeddedPowerTable();
  const size_t size = embeddedPowerTableSize();
  const size_t twoRecords = 4 * (1 + 2) + 4 * (1 + 3);
  auto loadAfterReset = [](const std::vector<unsigned char>& bytes) {
    resetBinPowerLadderForTesting();
    return loadPowerTable(bytes.data(), bytes.size());
  };
  // Records 0 and 1, then a third count followed by `words` limbs of 1.
  auto withThirdCount = [&](int32_t count, size_t words) {
    std::vector<unsigned char> bytes(table, table + twoRecords);
    bytes.resize(twoRecords + 4 + 4 * words, 0);
    std::memcpy(bytes.data() + twoRecords, &count, 4);
    for (size_t i = 0; i < words; ++i) bytes[twoRecords + 4 + 4 * i] = 1;
    return bytes;
  };

  // The last record one word short: the twenty before it load.
  resetBinPowerLadderForTesting();
  EXPECT_EQ(loadPowerTable(table, size - 4), V10R_RECORDS - 1);
  EXPECT_EQ(binPowerLadderEntry(V10R_RECORDS - 1), nullptr);
  EXPECT_NE(binPowerLadderEntry(V10R_RECORDS - 2), nullptr);

  // Counts of 0 or less, and counts that run past the end, however large.
  EXPECT_EQ(loadAfterReset(withThirdCount(0, 10)), 2);
  EXPECT_EQ(binPowerLadderEntry(2), nullptr);
  EXPECT_EQ(loadAfterReset(withThirdCount(-1, 10)), 2);
  EXPECT_EQ(loadAfterReset(withThirdCount(INT32_MIN, 10)), 2);
  EXPECT_EQ(loadAfterReset(withThirdCount(11, 10)), 2);
  EXPECT_EQ(loadAfterReset(withThirdCount(INT32_MAX, 10)), 2);
  EXPECT_EQ(loadAfterReset(withThirdCount(10, 10)), 3);  // ends exactly at the size
  EXPECT_NE(binPowerLadderEntry(2), nullptr);
  // No room for a whole count word.
  EXPECT_EQ(loadAfterReset(std::vector<unsigned char>(table, table + 3)), 0);
  EXPECT_EQ(loadAfterReset(std::vector<unsigned char>(table, table + twoRecords + 2)), 2);
  EXPECT_EQ(loadPowerTable(table, 0), 0);

  // A limb that is not a base-10^8 digit ends the load at its record.
  std::vector<unsigned char> badDigit(table, table + twoRecords);
  const int32_t tooLarge = DEC_LIMB_BASE;
  std::memcpy(badDigit.data() + 4 * (1 + 2) + 4 * 2, &tooLarge, 4);
  EXPECT_EQ(loadAfterReset(badDigit), 1);
  EXPECT_EQ(binPowerLadderEntry(1), nullptr);
  // So does a zero top limb: the value would not be the power it claims,
  // and a zero multiplier would wipe out every higher chunk.
  std::vector<unsigned char> zeroTop(table, table + twoRecords);
  std::memset(zeroTop.data() + 4 * (1 + 2) + 4 * 3, 0, 4);
  EXPECT_EQ(loadAfterReset(zeroTop), 1);

  // Entries already present keep their values.
  resetBinPowerLadderForTesting();
  loadPowerTable(table, size);
  const vnum10* first = binPowerLadderEntry(1);
  std::vector<unsigned char> other(table, table + twoRecords);
  const int32_t altered = 1;
  std::memcpy(other.data() + 4 * (1 + 2) + 4, &altered, 4);
  EXPECT_EQ(loadPowerTable(other.data(), other.size()), 2);
  EXPECT_EQ(binPowerLadderEntry(1), first);
  EXPECT_EQ(ladderLimbs(1), (std::vector<int32_t>{6846976, 29215046, 115}));
}

TEST_F(DecText, TextIsCutAtTheBufferSize) {
  std::string full = "-";
  for (int i = 0; i < 10; ++i) full += "1234567890";
  const vnum x = fromMpz(Mpz(full.c_str(), 10));
  constexpr size_t GUARD = 16;
  for (size_t size = 0; size <= full.size() + 2; ++size) {
    std::vector<char> buffer(size + GUARD, '#');
    toDecText(x, buffer.data(), size);
    if (size > 0) {
      EXPECT_EQ(std::string(buffer.data()), full.substr(0, std::min(size - 1, full.size())));
    }
    for (size_t i = size; i < buffer.size(); ++i) ASSERT_EQ(buffer[i], '#') << "byte " << i << ", size " << size;
  }
}

TEST_F(DecText, CancelledConversionLeavesBufferAndLadderAlone) {
  auto g = rng(524);
  const Mpz value = randomMpz(g, 200000, false, false);
  const vnum x = fromMpz(value);
  resetBinPowerLadderForTesting();
  std::vector<char> buffer(70000, '#');
  abortSlot->store(1);
  toDecText(x, buffer.data(), buffer.size());
  abortSlot->store(0);
  EXPECT_EQ(buffer[0], '#');
  for (int k = 0; k < BIN_POWER_LADDER_SIZE; ++k) EXPECT_EQ(binPowerLadderEntry(k), nullptr);

  // Cancels that land at arbitrary points: the buffer is either untouched or
  // the whole text, and every published entry is the whole power.
  const std::string expected = decimalOf(value);
  const auto records = embeddedRecords();
  std::atomic<int>* slot = abortSlot;
  for (int delay = 0; delay < 12; ++delay) {
    resetBinPowerLadderForTesting();
    std::fill(buffer.begin(), buffer.end(), '#');
    std::thread canceller([slot, delay] {
      std::this_thread::sleep_for(std::chrono::microseconds(400 * delay));
      slot->store(1);
    });
    toDecText(x, buffer.data(), buffer.size());
    canceller.join();
    slot->store(0);
    if (buffer[0] != '#') {
      EXPECT_EQ(textDifference(buffer.data(), expected), "") << "delay " << delay;
    }
    for (int k = 1; k < BIN_POWER_LADDER_SIZE; ++k) {
      if (binPowerLadderEntry(k)) {
        EXPECT_EQ(ladderLimbs(k), records[k]) << "entry " << k;
      }
    }
  }
}

TEST_F(DecText, ConcurrentConversionsShareTheLadder) {
  auto g = rng(525);
  const Mpz a = randomMpz(g, 1000000, false, false), b = randomMpz(g, 1100000, true, true);
  const vnum x = fromMpz(a), y = fromMpz(b);
  resetBinPowerLadderForTesting();
  std::string textA, textB;
  std::thread first([&] {
    claimAbortSlot();
    textA = decTextOf(x);
  });
  std::thread second([&] {
    claimAbortSlot();
    textB = decTextOf(y);
  });
  first.join();
  second.join();
  EXPECT_EQ(textDifference(textA, decimalOf(a)), "");
  EXPECT_EQ(textDifference(textB, decimalOf(b)), "");
  const auto records = embeddedRecords();
  for (int k = 1; k <= 15; ++k) EXPECT_EQ(ladderLimbs(k), records[k]) << "entry " << k;
}
