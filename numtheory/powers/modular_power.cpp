// x^y mod N by left-to-right sliding windows in Montgomery form.
//
// Montgomery form of a is a R mod N; REDC of a product of two forms is the
// form of the product, so the loop multiplies and reduces without dividing.
// The exponent is read from its top bit down: a zero bit squares the
// accumulator, and a window of at most w bits that starts and ends on a one
// (value u, odd) squares it once per bit and multiplies by the form of x^u,
// taken from a table of the odd powers x, x^3, ..., x^(2^w - 1). With w
// chosen for the exponent's length (slidingWindowBits) a b-bit exponent
// costs about b squarings and b / (w + 1) + 2^(w-1) products.
//
// Three arithmetics carry the forms:
//  - moduli up to MODPOW_WORD_MAX_BITS on AVX-512 IFMA: spans of 52-bit
//    digits with R'' = 2^(52 n) >= 4N and the almost Montgomery product
//    (word_span.h), which keeps forms below 2N;
//  - the same moduli elsewhere: spans of 64-bit words with
//    R' = 2^(64 n) and word-by-word REDC (word_span.h), where the schoolbook
//    product and the reduction cost about n^2 word products each;
//  - larger moduli: vnum values with the record's R = 2^k and
//    montgomeryReduce, three full products per step, which ride on the
//    FFT (squares through a *= a).
// Both give x^y mod N exactly, so the choice is only one of speed.
//
// The word forms need R'^2 mod N. With d = 64 n - k < 64 it is
// RR * 2^(2d) mod N, reached from the record's RR by 2d modular doublings.
#include <algorithm>
#include <cassert>
#include <vector>

#include "numtheory/functions.h"
#include "numtheory/numtheory.h"
#include "numtheory/powers/limits.h"
#include "numtheory/words/word_span.h"
#include "platform/abort_flags.h"
#include "vnum/messages.h"

namespace quorvel {

namespace {

// Bit i of a non-negative value.
int bitAt(const vnum& v, int64_t i) { return (v.limbs[i / LIMB_BITS] >> (i % LIMB_BITS)) & 1; }

// Forms as n-word spans, R' = 2^(64 n).
class WordForms {
 public:
  using Value = std::vector<uint64_t>;

  explicit WordForms(const ModulusRecord& record)
      : n_(wordCount(record.N)), N_(n_), product_(2 * static_cast<size_t>(n_)), rr_(n_) {
    wordsFromVnum(N_.data(), n_, record.N);
    nInv_ = negatedInverseWord(N_[0]);
    wordsFromVnum(rr_.data(), n_, record.RR);
    const int64_t doublings = 2 * (int64_t{64} * n_ - record.k);
    for (int64_t i = 0; i < doublings; ++i) doubleModN(rr_);
  }

  // The form of x, for 0 <= x < N.
  Value form(const vnum& x) {
    Value v(n_);
    wordsFromVnum(v.data(), n_, x);
    multiply(v, rr_);
    return v;
  }
  // The form of 1: REDC(R'^2) = R' mod N.
  Value one() {
    std::copy(rr_.begin(), rr_.end(), product_.begin());
    std::fill(product_.begin() + n_, product_.end(), 0);
    Value v(n_);
    redcWords(v.data(), product_.data(), N_.data(), n_, nInv_);
    return v;
  }
  void multiply(Value& a, const Value& b) {
    mulWords(product_.data(), a.data(), n_, b.data(), n_);
    redcWords(a.data(), product_.data(), N_.data(), n_, nInv_);
  }
  void square(Value& a) {
    sqrWords(product_.data(), a.data(), n_);
    redcWords(a.data(), product_.data(), N_.data(), n_, nInv_);
  }
  // a out of Montgomery form: REDC(a).
  vnum value(const Value& a) {
    std::copy(a.begin(), a.end(), product_.begin());
    std::fill(product_.begin() + n_, product_.end(), 0);
    Value v(n_);
    redcWords(v.data(), product_.data(), N_.data(), n_, nInv_);
    return vnumFromWords(v.data(), n_);
  }
  int64_t formBytes() const { return int64_t{8} * n_; }

 private:
  // t <- 2t mod N for t < N: 2t < 2N, so one subtraction suffices. It runs
  // only when N leaves the top word a bit short (k < 64 n), so 2t < 2^(64 n)
  // and no bit leaves the top word.
  void doubleModN(Value& t) {
    [[maybe_unused]] const uint64_t out = mulWordsBy(t.data(), t.data(), n_, 2);
    assert(out == 0);
    if (compareWords(t.data(), N_.data(), n_) >= 0) subWords(t.data(), t.data(), N_.data(), n_);
  }

  int32_t n_;
  Value N_;
  Value product_;  // 2n words of scratch for every product
  Value rr_;       // R'^2 mod N
  uint64_t nInv_ = 0;
};

// Forms as spans of 52-bit digits with R'' = 2^(52 n) >= 4N and the almost
// Montgomery product of word_montgomery_ifma.cpp: forms stay below 2N and
// are reduced below N only on the way out.
class IfmaForms {
 public:
  using Value = std::vector<uint64_t>;

  explicit IfmaForms(const ModulusRecord& record)
      : n_(montgomeryDigitCount(record.k)), N_(n_), rr_(n_), unit_(n_), record_(record) {
    digitsFromVnum(N_.data(), n_, record.N);
    k0_ = negatedInverseWord(N_[0]) & ((uint64_t{1} << 52) - 1);
    // R''^2 mod N = RR 2^(2d) mod N for R'' = 2^(k + d): one division.
    vnum rr(record.RR);
    rr.shift(2 * (int64_t{52} * n_ - record.k));
    modulo(rr, record.N);
    digitsFromVnum(rr_.data(), n_, rr);
    unit_[0] = 1;
  }

  // The form of x, for 0 <= x < N.
  Value form(const vnum& x) {
    Value v(n_);
    digitsFromVnum(v.data(), n_, x);
    multiply(v, rr_);
    return v;
  }
  // The form of 1: R''^2 R''^-1.
  Value one() {
    Value v(rr_);
    multiply(v, unit_);
    return v;
  }
  void multiply(Value& a, const Value& b) { ammDigits(a.data(), a.data(), b.data(), N_.data(), n_, k0_); }
  void square(Value& a) { ammDigits(a.data(), a.data(), a.data(), N_.data(), n_, k0_); }
  // a out of Montgomery form: a R''^-1 is at most N (a < 2N < R''), and N
  // itself stands for 0.
  vnum value(const Value& a) {
    Value v(a);
    multiply(v, unit_);
    vnum r = vnumFromDigits(v.data(), n_);
    if (r >= record_.N) r -= record_.N;
    return r;
  }
  int64_t formBytes() const { return int64_t{8} * n_; }

 private:
  int32_t n_;
  Value N_;
  Value rr_;    // R''^2 mod N
  Value unit_;  // 1
  uint64_t k0_ = 0;
  const ModulusRecord& record_;
};

// Forms as vnums with the record's R = 2^k.
class VnumForms {
 public:
  using Value = vnum;

  explicit VnumForms(const ModulusRecord& record) : record_(record) {}

  Value form(const vnum& x) {
    vnum v(x);
    v *= record_.RR;
    return montgomeryReduce(v, record_);
  }
  Value one() { return montgomeryReduce(record_.RR, record_); }
  void multiply(Value& a, const Value& b) {
    a *= b;
    a = montgomeryReduce(a, record_);
  }
  void square(Value& a) {
    a *= a;
    a = montgomeryReduce(a, record_);
  }
  vnum value(const Value& a) { return montgomeryReduce(a, record_); }
  // A vnum that grew to its length holds GROWTH_FACTOR times its limbs.
  int64_t formBytes() const {
    return int64_t{GROWTH_FACTOR} * static_cast<int64_t>(sizeof(int32_t)) * (record_.k / LIMB_BITS + 2);
  }

 private:
  const ModulusRecord& record_;
};

// x^y mod N in the given forms, x already below N. Returns 0 when the abort
// flag stopped it.
// table[i] <- form of x^(2i + 1) for i < 2^(w-1). False when the abort
// flag stopped it.
template <class Forms>
bool buildOddPowers(Forms& forms, std::vector<typename Forms::Value>& table, const vnum& x, int w) {
  const size_t size = size_t{1} << (w - 1);
  table.reserve(size);
  table.push_back(forms.form(x));
  if (size == 1) return true;
  typename Forms::Value x2 = table[0];
  forms.square(x2);
  while (table.size() < size) {
    if (isAborted()) return false;
    table.push_back(table.back());
    forms.multiply(table.back(), x2);
  }
  return true;
}

// x^y mod N in the given forms, x already below N. Returns 0 when the abort
// flag stopped it.
template <class Forms>
vnum windowPower(Forms& forms, const vnum& x, const vnum& y) {
  typename Forms::Value acc;
  if (y.isZero()) {
    acc = forms.one();
  } else {
    const int64_t bits = y.bitLength();
    const int w = slidingWindowBits(bits, forms.formBytes());
    std::vector<typename Forms::Value> table;
    if (!buildOddPowers(forms, table, x, w)) return vnum();
    bool started = false;  // the top bit opens the first window
    for (int64_t i = bits - 1; i >= 0;) {
      if (isAborted()) return vnum();
      if (!bitAt(y, i)) {
        forms.square(acc);
        --i;
        continue;
      }
      // The window runs from bit i down to the lowest one bit j >= i - w + 1.
      int64_t j = std::max<int64_t>(i - w + 1, 0);
      while (!bitAt(y, j)) ++j;
      uint32_t u = 0;
      for (int64_t b = i; b >= j; --b) u = (u << 1) | static_cast<uint32_t>(bitAt(y, b));
      if (started) {
        // A window of squarings near the word spans' limit takes over a
        // tenth of a second: poll before each one.
        for (int64_t b = i; b >= j; --b) {
          if (isAborted()) return vnum();
          forms.square(acc);
        }
        forms.multiply(acc, table[u >> 1]);
      } else {
        acc = table[u >> 1];
        started = true;
      }
      i = j - 1;
    }
  }
  // A product cut short by the flag leaves garbage, not 0: look again after
  // the last one.
  vnum result = forms.value(acc);
  if (isAborted()) return vnum();
  return result;
}

}  // namespace

int slidingWindowBits(int64_t exponentBits, int64_t formBytes) {
  // Products for width w: 2^(w-1) to build the table, and about one per
  // w + 1 exponent bits (a window of w bits and the zero after it).
  auto cost = [&](int w) { return static_cast<double>(int64_t{1} << (w - 1)) + exponentBits / (w + 1.0); };
  int best = 1;
  for (int w = 2; w <= MODPOW_MAX_WINDOW_BITS; ++w) {
    if ((int64_t{1} << (w - 1)) * formBytes > MODPOW_TABLE_MAX_BYTES) break;
    if (cost(w) < cost(best)) best = w;
  }
  return best;
}

vnum modularPower(const vnum& x, const vnum& y, const ModulusRecord& record) {
  if (!x.plus || !y.plus) throw MSG_NEGATIVE_VALUE_MODULAR;
  if (record.k == 0) return vnum();  // no modulus stored
  vnum base(x);
  if (base >= record.N) modulo(base, record.N);
  if (record.k <= MODPOW_WORD_MAX_BITS && hasIfmaMontgomery()) {
    IfmaForms forms(record);
    return windowPower(forms, base, y);
  }
  if (record.k <= MODPOW_WORD_MAX_BITS) {
    WordForms forms(record);
    return windowPower(forms, base, y);
  }
  VnumForms forms(record);
  return windowPower(forms, base, y);
}

}  // namespace quorvel
