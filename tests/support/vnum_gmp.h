// Conversions between vnum and GMP integers, the representation checks every
// test applies to every result, and random operand generation.
#pragma once

#include <gmp.h>
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "tests/support/random.h"
#include "vnum/vnum.h"

namespace quorvel::test {

// RAII holder for an mpz_t.
class Mpz {
 public:
  Mpz() { mpz_init(z); }
  explicit Mpz(long v) { mpz_init_set_si(z, v); }
  explicit Mpz(int v) : Mpz(static_cast<long>(v)) {}
  explicit Mpz(const char* text, int base = 10) { mpz_init_set_str(z, text, base); }
  Mpz(const Mpz& o) { mpz_init_set(z, o.z); }
  Mpz& operator=(const Mpz& o) {
    mpz_set(z, o.z);
    return *this;
  }
  ~Mpz() { mpz_clear(z); }
  operator mpz_ptr() { return z; }
  operator mpz_srcptr() const { return z; }
  std::string hex() const;
  mpz_t z;
};

// The value of x, read from its limbs with the two's complement rule.
Mpz toMpz(const vnum& x);
// x in the normal form that the arithmetic produces.
vnum fromMpz(mpz_srcptr z);

// Empty when x keeps every representation invariant, else what is broken.
std::string invariantViolation(const vnum& x);

// Random integer of `bits` bits (top bit set unless bits is 0), with long runs
// of equal bits when `runs`, negated when `negative`.
Mpz randomMpz(std::mt19937_64& g, long bits, bool runs, bool negative);
// A random operand with a log-uniform bit size in [1, maxBits], random sign
// and a coin for long runs; now and then 0 or -1.
Mpz randomOperand(std::mt19937_64& g, long maxBits);

// The message f throws, or nullptr when it returns normally.
template <class F>
const char* thrownMessage(F&& f) {
  try {
    f();
  } catch (const char* message) {
    return message;
  }
  return nullptr;
}

// sign * (2^e + add): values just around a power of two.
Mpz powerOfTwoPlus(long e, long add, int sign = 1);

// A small value, for tables of cases.
inline vnum v(long long x) { return vnum(int64_t{x}); }

}  // namespace quorvel::test

// Checks value and invariants of a result in one assertion; prints operands
// in hexadecimal on failure.
#define EXPECT_VNUM_EQ(actual, expectedMpz)                                                       \
  do {                                                                                            \
    const ::quorvel::vnum vnum_actual_ = (actual);                                                 \
    const std::string broken_ = ::quorvel::test::invariantViolation(vnum_actual_);                 \
    EXPECT_EQ(broken_, "") << #actual;                                                            \
    const ::quorvel::test::Mpz got_ = ::quorvel::test::toMpz(vnum_actual_);                        \
    EXPECT_EQ(mpz_cmp(got_.z, (expectedMpz).z), 0)                                                \
        << #actual << "\n  got      " << got_.hex() << "\n  expected " << (expectedMpz).hex();     \
  } while (0)
