// The two residue rings of the probable-prime tests (residue_rings.h).
//
// The form of a small integer c is c R mod n, reached from the form of 1 by
// doublings and additions (left to right over the bits of |c|): a few
// linear passes instead of a product. A negative c is n minus the form of
// |c|.
#include "numtheory/primes/residue_rings.h"

#include <algorithm>
#include <bit>
#include <cstdlib>

#include "numtheory/numtheory.h"
#include "numtheory/words/word_span.h"

namespace quorvel {

namespace {

template <class Ring>
typename Ring::Element formOfInteger(const Ring& ring, const typename Ring::Element& one, int64_t c) {
  typename Ring::Element zero = one;
  ring.subtract(zero, one);
  const uint64_t m = c < 0 ? 0 - static_cast<uint64_t>(c) : static_cast<uint64_t>(c);
  typename Ring::Element r = zero;
  for (int bit = 63 - std::countl_zero(m | 1); m != 0 && bit >= 0; --bit) {
    ring.twice(r);
    if ((m >> bit) & 1) ring.add(r, one);
  }
  if (c < 0) {
    typename Ring::Element negated = zero;
    ring.subtract(negated, r);
    return negated;
  }
  return r;
}

}  // namespace

// --- WordRing ---

WordRing::WordRing(const vnum& n)
    : words_(wordCount(n)), n_(words_), one_(words_), product_(2 * static_cast<size_t>(words_)) {
  wordsFromVnum(n_.data(), words_, n);
  nInv_ = negatedInverseWord(n_[0]);
  // R mod n by one division; the loops below never divide.
  vnum r(int32_t{1});
  r.shift(int64_t{64} * words_);
  modulo(r, n);
  wordsFromVnum(one_.data(), words_, r);
}

WordRing::Element WordRing::fromInteger(int64_t c) const { return formOfInteger(*this, one_, c); }

void WordRing::multiply(Element& a, const Element& b) {
  mulWords(product_.data(), a.data(), words_, b.data(), words_);
  redcWords(a.data(), product_.data(), n_.data(), words_, nInv_);
}

void WordRing::square(Element& a) {
  sqrWords(product_.data(), a.data(), words_);
  redcWords(a.data(), product_.data(), n_.data(), words_, nInv_);
}

void WordRing::add(Element& a, const Element& b) const {
  // a + b < 2n: a carry out of the top word, or a sum at or above n, takes
  // one subtraction of n, whose borrow then cancels the carry.
  uint64_t carry = 0;
  for (int32_t i = 0; i < words_; ++i) {
    const unsigned __int128 s = static_cast<unsigned __int128>(a[i]) + b[i] + carry;
    a[i] = static_cast<uint64_t>(s);
    carry = static_cast<uint64_t>(s >> 64);
  }
  if (carry || compareWords(a.data(), n_.data(), words_) >= 0) subWords(a.data(), a.data(), n_.data(), words_);
}

void WordRing::subtract(Element& a, const Element& b) const {
  if (subWords(a.data(), a.data(), b.data(), words_) == 0) return;
  // a - b wrapped around 2^(64 w): adding n brings it back into [0, n).
  uint64_t carry = 0;
  for (int32_t i = 0; i < words_; ++i) {
    const unsigned __int128 s = static_cast<unsigned __int128>(a[i]) + n_[i] + carry;
    a[i] = static_cast<uint64_t>(s);
    carry = static_cast<uint64_t>(s >> 64);
  }
}

void WordRing::twice(Element& a) const {
  uint64_t carry = 0;
  for (int32_t i = 0; i < words_; ++i) {
    const uint64_t top = a[i] >> 63;
    a[i] = (a[i] << 1) | carry;
    carry = top;
  }
  // As in add(): 2a < 2n.
  if (carry || compareWords(a.data(), n_.data(), words_) >= 0) subWords(a.data(), a.data(), n_.data(), words_);
}

bool WordRing::isZero(const Element& a) const {
  return std::all_of(a.begin(), a.end(), [](uint64_t w) { return w == 0; });
}

// --- VnumRing ---

VnumRing::VnumRing(const vnum& n) {
  setModulus(record_, n);
  // REDC(R^2 mod n) = R mod n.
  if (record_.k > 0) one_ = montgomeryReduce(record_.RR, record_);
}

VnumRing::Element VnumRing::fromInteger(int64_t c) const { return formOfInteger(*this, one_, c); }

void VnumRing::multiply(Element& a, const Element& b) const {
  a *= b;
  a = montgomeryReduce(a, record_);
}

void VnumRing::square(Element& a) const {
  a *= a;
  a = montgomeryReduce(a, record_);
}

void VnumRing::add(Element& a, const Element& b) const {
  a += b;
  if (a >= record_.N) a -= record_.N;
}

void VnumRing::subtract(Element& a, const Element& b) const {
  a -= b;
  if (!a.plus) a += record_.N;
}

void VnumRing::twice(Element& a) const {
  a.shift(1);
  if (a >= record_.N) a -= record_.N;
}

}  // namespace quorvel
