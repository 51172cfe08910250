// Shared by the kernel tests: what the tests need to know about each base,
// operands of three kinds, guarded calls, and every product method on limb
// spans with the predicate of the lengths it accepts.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "decimal/mul_spans.h"
#include "platform/abort_flags.h"
#include "tests/decimal_gmp.h"
#include "platform/cpu_features.h"
#include "vnum/mul_karatsuba.h"
#include "vnum/mul_schoolbook.h"
#include "vnum/mul_spans.h"
#include "vnum/mul_toom25.h"
#include "vnum/mul_toom3.h"
#include "vnum/mul_unbalanced.h"

namespace quorvel::test {

using Limbs = std::vector<int32_t>;

constexpr int32_t GUARD = 0x2b2b2b2b;  // above every limb of both bases
constexpr int32_t GUARD_LIMBS = 3;

// What the tests need to know about each base.
template <class Spans>
struct Base;

template <>
struct Base<BinarySpans> {
  static constexpr const char* NAME = "binary";
  static BinarySpans spans() { return {}; }
  static void dispatch(int32_t* out, const int32_t* a, int32_t an, const int32_t* b, int32_t bn, int32_t* scratch) {
    mulMagnitudes(out, a, an, b, bn, scratch);
  }
  static bool fft(int32_t* out, const int32_t* a, int32_t an, const int32_t* b, int32_t bn, int mode) {
    return mulFftSpans(out, a, an, b, bn, mode);
  }
  // A transform whose rounding nothing can satisfy.
  static bool untrustedFft(int32_t* out, const int32_t* a, int32_t an, const int32_t* b, int32_t bn, int mode) {
    setFftTrustedRoundingErrorForTesting(-1.0);
    const bool trusted = mulFftSpans(out, a, an, b, bn, mode);
    setFftTrustedRoundingErrorForTesting(FFT_TRUSTED_ROUNDING_ERROR);
    return trusted;
  }
  static std::vector<int64_t> mulLimits() {
    return {mulSchoolbookMaxLimbs(), karatsubaMaxLimbs(false), toom3MaxLimbs(false)};
  }
  static std::vector<int64_t> sqrLimits() {
    return {sqrSchoolbookMaxLimbs(), karatsubaMaxLimbs(true), toom3MaxLimbs(true)};
  }
  static Mpz toMpz(const Limbs& x) {
    Mpz z;
    mpz_import(z.z, x.size(), -1, sizeof(int32_t), 0, 2, x.data());
    return z;
  }
  static Limbs fromMpz(const Mpz& z, size_t n) {
    Limbs x(std::max(n, mpz_sizeinbase(z.z, 2) / 30 + 1), 0);
    mpz_export(x.data(), nullptr, -1, sizeof(int32_t), 0, 2, z.z);
    x.resize(n);
    return x;
  }
  // Long runs of 0 and 1 bits across limb boundaries.
  static Limbs runs(std::mt19937_64& g, int32_t n) {
    return fromMpz(randomMpz(g, 30L * n, true, false), static_cast<size_t>(n));
  }
};

template <>
struct Base<DecimalSpans> {
  static constexpr const char* NAME = "decimal";
  static DecimalSpans spans() { return {}; }
  static void dispatch(int32_t* out, const int32_t* a, int32_t an, const int32_t* b, int32_t bn, int32_t* scratch) {
    vnum10::mulMagnitudes(out, a, an, b, bn, scratch);
  }
  static bool fft(int32_t* out, const int32_t* a, int32_t an, const int32_t* b, int32_t bn, int mode) {
    return mulDecFftSpans(out, a, an, b, bn, mode, FFT_TRUSTED_ROUNDING_ERROR);
  }
  static bool untrustedFft(int32_t* out, const int32_t* a, int32_t an, const int32_t* b, int32_t bn, int mode) {
    return mulDecFftSpans(out, a, an, b, bn, mode, -1.0);
  }
  static std::vector<int64_t> mulLimits() {
    return {DEC_SCHOOLBOOK_MAX_LIMBS, decKaratsubaMaxLimbs(false), decToom3MaxLimbs(false)};
  }
  static std::vector<int64_t> sqrLimits() {
    return {DEC_SQR_SCHOOLBOOK_MAX_LIMBS, decKaratsubaMaxLimbs(true), decToom3MaxLimbs(true)};
  }
  static Mpz toMpz(const Limbs& x) {
    std::string text;
    text.reserve(8 * x.size());
    char limb[16];
    for (size_t i = x.size(); i-- > 0;) {
      std::snprintf(limb, sizeof limb, "%08d", x[i]);
      text += limb;
    }
    return Mpz(text.c_str(), 10);
  }
  static Limbs fromMpz(const Mpz& z, size_t n) {
    Limbs x = decimalLimbsOf(decimalOf(z.z));
    x.resize(n, 0);
    return x;
  }
  // Long runs of the digits 0 and 9 across limb boundaries.
  static Limbs runs(std::mt19937_64& g, int32_t n) {
    return fromMpz(randomDecimal(g, 8L * n, true, false), static_cast<size_t>(n));
  }
};

enum class Kind { Uniform, Runs, AllMax };
inline const char* kindName(Kind k) { return k == Kind::Uniform ? "uniform" : k == Kind::Runs ? "runs" : "all maximum"; }

template <class Spans>
Limbs operand(std::mt19937_64& g, int32_t n, Kind kind) {
  constexpr uint32_t B = Spans::BASE;
  Limbs x(static_cast<size_t>(n));
  if (kind == Kind::Runs) x = Base<Spans>::runs(g, n);
  for (int32_t& limb : x) {
    if (kind == Kind::Uniform) limb = static_cast<int32_t>(g() % B);
    if (kind == Kind::AllMax) limb = static_cast<int32_t>(B - 1);
  }
  if (x.back() == 0) x.back() = 1;  // exactly n significant limbs
  return x;
}

// Calls f(out, scratch) with an output of outLen limbs and a scratch area of
// mulScratchLimbs(an) limbs, both preset to guard limbs and framed by them;
// fails when a guard outside either area changed.
inline Limbs guarded(int32_t outLen, int32_t an, const std::function<void(int32_t*, int32_t*)>& f) {
  Limbs out(static_cast<size_t>(outLen + 2 * GUARD_LIMBS), GUARD);
  Limbs scratch(static_cast<size_t>(mulScratchLimbs(an) + 2 * GUARD_LIMBS), GUARD);
  f(out.data() + GUARD_LIMBS, scratch.data() + GUARD_LIMBS);
  for (int32_t k = 0; k < GUARD_LIMBS; ++k) {
    EXPECT_EQ(out[k], GUARD) << "write below the output";
    EXPECT_EQ(out[out.size() - 1 - k], GUARD) << "write above the output";
    EXPECT_EQ(scratch[k], GUARD) << "write below the scratch area";
    EXPECT_EQ(scratch[scratch.size() - 1 - k], GUARD) << "write above the scratch area";
  }
  return Limbs(out.begin() + GUARD_LIMBS, out.end() - GUARD_LIMBS);
}

// One method on spans: name, whether it accepts the lengths, the call.
template <class Spans>
struct Method {
  const char* name;
  std::function<bool(int32_t an, int32_t bn)> accepts;
  std::function<void(int32_t*, const int32_t*, int32_t, const int32_t*, int32_t, int32_t*)> run;
};

// Every product method, called directly at the top (its sub-products go
// through the dispatcher).
template <class Spans>
std::vector<Method<Spans>> productMethods() {
  const Spans s = Base<Spans>::spans();
  using B = Base<Spans>;
  return {
      {"schoolbook", [](int32_t, int32_t bn) { return bn <= MUL_SCHOOLBOOK_KERNEL_MAX_LIMBS; },
       [s](int32_t* o, const int32_t* a, int32_t an, const int32_t* b, int32_t bn, int32_t*) {
         mulSchoolbook(s, o, a, an, b, bn);
       }},
      {"Karatsuba", [](int32_t an, int32_t bn) { return an >= 2 && bn > (an + 1) / 2; },
       [s](int32_t* o, const int32_t* a, int32_t an, const int32_t* b, int32_t bn, int32_t* w) {
         mulKaratsuba(s, o, a, an, b, bn, w);
       }},
      {"Toom-3", [](int32_t an, int32_t bn) { return an - 2 * ((an + 2) / 3) >= 1 && bn > 2 * ((an + 2) / 3); },
       [s](int32_t* o, const int32_t* a, int32_t an, const int32_t* b, int32_t bn, int32_t* w) {
         mulToom3(s, o, a, an, b, bn, w);
       }},
      {"Toom-2.5",
       [](int32_t an, int32_t bn) {
         const int32_t n = std::max((an + 2) / 3, (bn + 1) / 2);
         return an - 2 * n >= 1 && bn - n >= 1;
       },
       [s](int32_t* o, const int32_t* a, int32_t an, const int32_t* b, int32_t bn, int32_t* w) {
         mulToom25(s, o, a, an, b, bn, w);
       }},
      {"pieces", [](int32_t an, int32_t bn) { return an >= 2 && bn <= (an + 1) / 2; },
       [s](int32_t* o, const int32_t* a, int32_t an, const int32_t* b, int32_t bn, int32_t* w) {
         mulUnbalanced(s, o, a, an, b, bn, w);
       }},
      {"FFT mode 0", [](int32_t, int32_t) { return true; },
       [](int32_t* o, const int32_t* a, int32_t an, const int32_t* b, int32_t bn, int32_t*) {
         ASSERT_TRUE(B::fft(o, a, an, b, bn, 0));
       }},
      {"FFT mode 1", [](int32_t, int32_t) { return true; },
       [](int32_t* o, const int32_t* a, int32_t an, const int32_t* b, int32_t bn, int32_t*) {
         ASSERT_TRUE(B::fft(o, a, an, b, bn, 1));
       }},
      {"dispatcher", [](int32_t, int32_t) { return true; }, &B::dispatch},
  };
}

// Every squaring method; run with b = a.
template <class Spans>
std::vector<Method<Spans>> squareMethods() {
  const Spans s = Base<Spans>::spans();
  using B = Base<Spans>;
  return {
      {"square schoolbook", [](int32_t an, int32_t) { return an <= MUL_SCHOOLBOOK_KERNEL_MAX_LIMBS; },
       [s](int32_t* o, const int32_t* a, int32_t an, const int32_t*, int32_t, int32_t*) {
         sqrSchoolbook(s, o, a, an);
       }},
      {"square Karatsuba", [](int32_t an, int32_t) { return an >= 2; },
       [s](int32_t* o, const int32_t* a, int32_t an, const int32_t*, int32_t, int32_t* w) {
         sqrKaratsuba(s, o, a, an, w);
       }},
      {"square Toom-3", [](int32_t an, int32_t) { return an - 2 * ((an + 2) / 3) >= 1; },
       [s](int32_t* o, const int32_t* a, int32_t an, const int32_t*, int32_t, int32_t* w) {
         mulToom3(s, o, a, an, a, an, w);
       }},
      {"square FFT mode 0", [](int32_t, int32_t) { return true; },
       [](int32_t* o, const int32_t* a, int32_t an, const int32_t*, int32_t, int32_t*) {
         ASSERT_TRUE(B::fft(o, a, an, a, an, 0));
       }},
      {"square dispatcher", [](int32_t, int32_t) { return true; },
       [](int32_t* o, const int32_t* a, int32_t an, const int32_t*, int32_t, int32_t* w) {
         B::dispatch(o, a, an, a, an, w);
       }},
  };
}

template <class Spans>
void expectProduct(const char* what, const Limbs& got, const Limbs& a, const Limbs& b, const Mpz& expected) {
  const Mpz product = Base<Spans>::toMpz(got);
  EXPECT_EQ(mpz_cmp(product.z, expected.z), 0)
      << Base<Spans>::NAME << " " << what << ", lengths " << a.size() << " x " << b.size() << "\n  a = "
      << Base<Spans>::toMpz(a).hex() << "\n  b = " << Base<Spans>::toMpz(b).hex() << "\n  got      "
      << product.hex() << "\n  expected " << expected.hex();
}

// Runs every accepting method on a and b (b == a for the squares) and
// compares each with GMP, and thus with every other.
template <class Spans>
void checkMethods(const std::vector<Method<Spans>>& methods, const Limbs& a, const Limbs& b) {
  const Mpz ma = Base<Spans>::toMpz(a), mb = Base<Spans>::toMpz(b);
  Mpz expected;
  mpz_mul(expected.z, ma.z, mb.z);
  const int32_t an = static_cast<int32_t>(a.size()), bn = static_cast<int32_t>(b.size());
  for (const Method<Spans>& method : methods) {
    if (!method.accepts(an, bn)) continue;
    const Limbs got = guarded(an + bn, an, [&](int32_t* out, int32_t* scratch) {
      method.run(out, a.data(), an, b.data(), bn, scratch);
    });
    expectProduct<Spans>(method.name, got, a, b, expected);
  }
}

// The dispatcher at combined lengths T - 2, T, T + 2: balanced, 5/4 and
// just short of two to one, random and all-maximum limbs; and squares of
// T/2 - 1 .. T/2 + 1 limbs.
template <class Spans>
void checkDispatcherAround(int64_t T, bool square, uint64_t salt) {
  auto g = rng(salt);
  if (square) {
    const auto dispatcher = std::vector<Method<Spans>>{squareMethods<Spans>().back()};
    for (int64_t n = T / 2 - 1; n <= T / 2 + 1; ++n) {
      SCOPED_TRACE("square limit " + std::to_string(T) + ", combined " + std::to_string(2 * n));
      const Limbs a = operand<Spans>(g, static_cast<int32_t>(n), Kind::Runs);
      checkMethods<Spans>(dispatcher, a, a);
    }
    return;
  }
  const auto dispatcher = std::vector<Method<Spans>>{productMethods<Spans>().back()};
  for (int64_t m = T - 2; m <= T + 2; m += 2) {
    for (int64_t bn : {m / 2, m * 4 / 9, m * 34 / 100}) {
      for (Kind kind : {Kind::Uniform, Kind::AllMax}) {
        SCOPED_TRACE("limit " + std::to_string(T) + ", combined " + std::to_string(m) + ", " + kindName(kind));
        const Limbs a = operand<Spans>(g, static_cast<int32_t>(m - bn), kind);
        const Limbs b = operand<Spans>(g, static_cast<int32_t>(bn), kind);
        checkMethods<Spans>(dispatcher, a, b);
      }
    }
  }
}

}  // namespace quorvel::test
