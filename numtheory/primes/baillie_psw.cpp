// The Baillie-PSW probable-prime test: the strong test to base 2, then the
// strong Lucas test with Selfridge's parameters (Pomerance, Selfridge and
// Wagstaff, "The pseudoprimes to 25 * 10^9", Math. Comp. 1980; Baillie and
// Wagstaff, "Lucas pseudoprimes", Math. Comp. 1980; Crandall and Pomerance,
// "Prime Numbers", 3.5 and 3.6). The two tests fail on different kinds of
// composites, and no composite is known to pass both.
//
// Strong test to base 2: n - 1 = d 2^s with d odd; a prime n has 2^d = 1
// or 2^(d 2^r) = -1 (mod n) for some 0 <= r < s. 2^d is formed left to
// right over the bits of d, a squaring per bit and, since the base is 2, a
// doubling (not a product) per one bit.
//
// Strong Lucas test: D is the first of 5, -7, 9, -11, 13, ... with Jacobi
// symbol (D/n) = -1 (Selfridge's method A), P = 1, Q = (1 - D) / 4. With
// n + 1 = d 2^s, d odd, a prime n has U_d = 0 or V_(d 2^r) = 0 (mod n) for
// some 0 <= r < s. The V are formed by the ladder on (V_k, V_(k+1), Q^k)
// over the bits of d:
//   bit 0: V_2k     = V_k^2 - 2 Q^k,          V_(2k+1) = V_k V_(k+1) - P Q^k
//   bit 1: V_(2k+1) = V_k V_(k+1) - P Q^k,    V_(2k+2) = V_(k+1)^2 - 2 Q^(k+1)
// and Q^k squared (times Q for a one bit): a product and two squarings per
// bit; for Q = -1 (D = 5, half of all n) Q^k is +-1 by the parity of k and
// the squaring of Q^k goes. U_d comes from D U_d = 2 V_(d+1) - P V_d, and D
// is prime to n, so U_d = 0 exactly when 2 V_(d+1) = P V_d. The
// V_(d 2^r) follow by V_2k = V_k^2 - 2 Q^k.
//
// The abort flag is polled once per exponent bit (a squaring of the
// longest values within the cap takes a good part of a second).
#include <algorithm>
#include <optional>

#include "numtheory/primes/limits.h"
#include "numtheory/primes/primes.h"
#include "numtheory/primes/residue_rings.h"
#include "platform/abort_flags.h"

namespace quorvel {

namespace {

int bitOf(const vnum& v, int64_t i) { return (v.limbs[i / LIMB_BITS] >> (i % LIMB_BITS)) & 1; }

// x mod m for x >= 0 and m below 2^34.
uint64_t residue(const vnum& x, uint64_t m) {
  uint64_t r = 0;
  for (int32_t i = x.len - 1; i >= 0; --i) r = ((r << LIMB_BITS) | static_cast<uint32_t>(x.limbs[i])) % m;
  return r;
}

// Jacobi symbol (a/m) for odd m > 0, 0 <= a < m.
int smallJacobi(uint64_t a, uint64_t m) {
  int t = 1;
  while (a != 0) {
    while ((a & 1) == 0) {
      a >>= 1;
      if (m % 8 == 3 || m % 8 == 5) t = -t;
    }
    std::swap(a, m);
    if (a % 4 == 3 && m % 4 == 3) t = -t;
    a %= m;
  }
  return m == 1 ? t : 0;
}

// Jacobi symbol (D/n) for odd n > |D| and odd D, by reciprocity:
// (D/n) = (-1/n)^[D < 0] (|D|/n) and (|D|/n) = (n/|D|) (-1)^((|D|-1)/2 (n-1)/2).
int jacobiOfSmall(int64_t D, const vnum& n) {
  const uint64_t a = static_cast<uint64_t>(D < 0 ? -D : D);
  const bool nIsOneMod4 = (n.limbs[0] & 3) == 1;
  int t = smallJacobi(residue(n, a), a);
  if (a % 4 == 3 && !nIsOneMod4) t = -t;
  if (D < 0 && !nIsOneMod4) t = -t;
  return t;
}

uint64_t gcdWord(uint64_t a, uint64_t b) {
  while (b) {
    a %= b;
    std::swap(a, b);
  }
  return a;
}

// Reports the fraction done of a loop over `total` exponent bits mapped onto
// [from, to).
class BitProgress {
 public:
  BitProgress(const ProgressTask& task, double from, double to, int64_t total)
      : task_(task), from_(from), span_(to - from), total_(static_cast<double>(total)) {}
  void done(int64_t bits) const {
    task_.report(from_ + span_ * std::min(1.0, static_cast<double>(bits) / total_));
  }

 private:
  const ProgressTask& task_;
  double from_, span_, total_;
};

template <class Ring>
bool strongTestBase2(Ring& ring, const vnum& n, const BitProgress& progress) {
  vnum d = n - vnum(int32_t{1});
  const int64_t s = d.trailingZeroBits();
  d.shift(-s);
  const int64_t bits = d.bitLength();
  // The top bit of d is 1: x starts as 2^1.
  typename Ring::Element x = ring.fromInteger(2);
  for (int64_t i = bits - 2; i >= 0; --i) {
    if (isAborted()) return false;
    ring.square(x);
    if (bitOf(d, i)) ring.twice(x);
    progress.done(bits - 1 - i);
  }
  const typename Ring::Element one = ring.fromInteger(1), minusOne = ring.fromInteger(-1);
  if (x == one || x == minusOne) return true;
  for (int64_t r = 1; r < s; ++r) {
    if (isAborted()) return false;
    progress.done(bits - 1 + r);
    ring.square(x);
    if (x == minusOne) return true;
    // 1 without -1 before it: a square root of 1 other than +-1.
    if (x == one) return false;
  }
  return false;
}

template <class Ring>
bool strongLucasTest(Ring& ring, const vnum& n, int64_t D, const BitProgress& progress) {
  using Element = typename Ring::Element;
  const int64_t Q = (1 - D) / 4;
  const bool qIsMinusOne = Q == -1;
  vnum d = n + vnum(int32_t{1});
  const int64_t s = d.trailingZeroBits();
  d.shift(-s);
  const int64_t bits = d.bitLength();

  const Element one = ring.fromInteger(1), minusOne = ring.fromInteger(-1);
  // P = 1: "P Q^k" is Q^k itself.
  Element v = ring.fromInteger(2), vNext = one, qk = one;
  bool kOdd = false;  // for Q = -1, Q^k = -1 exactly when k is odd
  Element t;
  for (int64_t i = bits - 1; i >= 0; --i) {
    if (isAborted()) return false;
    const int bit = bitOf(d, i);
    const Element& q = qIsMinusOne ? (kOdd ? minusOne : one) : qk;
    // The product V_k V_(k+1) - Q^k is the odd member of the new pair.
    t = v;
    ring.multiply(t, vNext);
    ring.subtract(t, q);
    if (bit == 0) {
      // V_2k = V_k^2 - 2 Q^k
      ring.square(v);
      Element q2 = q;
      ring.twice(q2);
      ring.subtract(v, q2);
      vNext = std::move(t);
    } else {
      // V_(2k+2) = V_(k+1)^2 - 2 Q^(k+1)
      Element q2 = q;
      if (qIsMinusOne) {
        q2 = kOdd ? one : minusOne;
      } else {
        q2 = ring.fromInteger(Q);
        ring.multiply(q2, q);
      }
      ring.twice(q2);
      ring.square(vNext);
      ring.subtract(vNext, q2);
      v = std::move(t);
    }
    // Q^(2k + bit)
    if (qIsMinusOne) {
      kOdd = bit == 1;
    } else {
      ring.square(qk);
      if (bit) {
        Element qTimes = ring.fromInteger(Q);
        ring.multiply(qTimes, qk);
        qk = std::move(qTimes);
      }
    }
    progress.done(bits - i);
  }
  // k = d now. U_d = 0 exactly when 2 V_(d+1) = V_d.
  Element twiceNext = vNext;
  ring.twice(twiceNext);
  if (twiceNext == v || ring.isZero(v)) return true;
  for (int64_t r = 1; r < s; ++r) {
    if (isAborted()) return false;
    progress.done(bits + r);
    // V_2k = V_k^2 - 2 Q^k, then Q^2k = (Q^k)^2; k is even from here on.
    const Element& q = qIsMinusOne ? (kOdd ? minusOne : one) : qk;
    Element q2 = q;
    ring.twice(q2);
    ring.square(v);
    ring.subtract(v, q2);
    if (ring.isZero(v)) return true;
    if (qIsMinusOne) {
      kOdd = false;
    } else {
      ring.square(qk);
    }
  }
  return false;
}

// Selfridge's D for n: the first of 5, -7, 9, -11, ... with (D/n) = -1.
// Nothing when n is a square (no such D exists) or has a factor in common
// with a D tried; 0 when the abort flag stopped the square check.
std::optional<int64_t> selfridgeD(const vnum& n) {
  int64_t D = 5;
  for (int tries = 1;; ++tries) {
    const int j = jacobiOfSmall(D, n);
    if (j == -1) break;
    // A common factor of D and n (n is far above |D|).
    if (j == 0) return std::nullopt;
    if (tries == SELFRIDGE_TRIES_BEFORE_SQUARE_CHECK) {
      vnum root, remainder;
      squareRoot(root, n, remainder);
      if (isAborted()) return 0;
      if (remainder.isZero()) return std::nullopt;
    }
    D = D > 0 ? -(D + 2) : -D + 2;
  }
  // The Lucas test needs Q = (1 - D) / 4 prime to n too.
  const int64_t Q = (1 - D) / 4;
  const uint64_t absQ = static_cast<uint64_t>(Q < 0 ? -Q : Q);
  if (absQ > 1 && gcdWord(residue(n, absQ), absQ) != 1) return std::nullopt;
  return D;
}

template <class Ring>
BpswResult bailliePswOn(const vnum& n, const ProgressTask& task, double from, double to) {
  const std::optional<int64_t> D = selfridgeD(n);
  if (!D || *D == 0) return BpswResult::FAILS_LUCAS;
  Ring ring(n);
  if (isAborted()) return BpswResult::FAILS_LUCAS;
  // Shares of the fraction by cost: a squaring per bit for base 2, a
  // product and one or two squarings per bit for Lucas (a product costs
  // about what two squarings do).
  const double lucasWeight = *D == 5 ? 3 : 4;
  const double split = from + (to - from) / (1 + lucasWeight);
  const int64_t bits = n.bitLength();
  if (!strongTestBase2(ring, n, BitProgress(task, from, split, bits))) {
    return isAborted() ? BpswResult::FAILS_LUCAS : BpswResult::FAILS_BASE_2;
  }
  if (!strongLucasTest(ring, n, *D, BitProgress(task, split, to, bits))) return BpswResult::FAILS_LUCAS;
  task.report(to);
  return BpswResult::PROBABLE_PRIME;
}

template <class Ring>
bool strongLucasOn(const vnum& n) {
  const std::optional<int64_t> D = selfridgeD(n);
  if (!D || *D == 0) return false;
  Ring ring(n);
  const ProgressTask none;
  return strongLucasTest(ring, n, *D, BitProgress(none, 0, 1, n.bitLength()));
}

bool useWords(const vnum& n, RingChoice ring) {
  return ring == RingChoice::WORDS || (ring == RingChoice::BY_SIZE && n.bitLength() <= PRIME_WORD_RING_MAX_BITS);
}

}  // namespace

BpswResult bailliePsw(const vnum& n, RingChoice ring, const ProgressTask& progress, double from, double to) {
  return useWords(n, ring) ? bailliePswOn<WordRing>(n, progress, from, to)
                           : bailliePswOn<VnumRing>(n, progress, from, to);
}

bool strongLucasProbablePrime(const vnum& n, RingChoice ring) {
  return useWords(n, ring) ? strongLucasOn<WordRing>(n) : strongLucasOn<VnumRing>(n);
}

}  // namespace quorvel
