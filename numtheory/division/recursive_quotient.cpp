// Division by a middle-sized divisor, divide and conquer (Burnikel and
// Ziegler, "Fast Recursive Division", MPI-I-98-1-022, 1998), on 30-bit limb
// spans in place.
//
// A 2n-by-n division, D of n limbs with its top bit set, A < D 2^(30 n),
// h = n/2: with D = [D1 D0] and A = [A1 A2 A3 A4] in h-limb pieces,
//     (Q1, R) = 3h-by-2h division of [A1 A2 A3] by D,
//     (Q2, S) = 3h-by-2h division of [R A4] by D,
//     Q = [Q1 Q2], remainder S.
// A 3h-by-2h division of A = [A1 A2 A3] < D 2^(30 h) estimates its quotient
// from the top halves alone:
//     if A1 < D1:  (Q^, R1) = 2h-by-h division of [A1 A2] by D1 (recursive)
//     else:        Q^ = 2^(30 h) - 1, R1 = [A1 A2] - Q^ D1 = A2 + D1
//                  (A < D 2^(30 h) leaves A1 = D1 here),
//     R^ = [R1 A3] - Q^ D0,
// and adds D back while R^ < 0, lowering Q^. With D normalised Q^ is at most
// 2 above the true quotient (the paper's lemma 2), so at most two
// corrections. The work is two half-size divisions and two half-size
// products per level, D(n) = 2 D(n/2) + 2 M(n/2): about 2 M(n) under
// Karatsuba, against n^2 steps for a long division; the recursion ends in
// long divisions on words (divLimbs) once n is at most
// DIV_RECURSIVE_LEAF_LIMBS.
//
// Every divisor of the recursion is the top n_l = n / 2^l limbs of the one
// normalised divisor, and every 3h-by-2h step leaves its remainder where its
// dividend was, so nothing but the products needs room of its own; one
// scratch area serves all of them, since a step forms its product only after
// its recursive call has returned.
//
// A dividend longer than 2n limbs is cut into n-limb blocks and divided from
// the top, a long division in base 2^(30 n) whose remainders stay in place;
// the divisor, and with it the dividend, is first shifted up by sigma bits
// so that its top bit is the top bit of n = leaf 2^depth limbs, and the
// remainder shifted back.
#include <algorithm>
#include <cassert>
#include <vector>

#include "numtheory/bits/bit_fields.h"
#include "numtheory/division/limits.h"
#include "numtheory/division/quotient.h"
#include "platform/abort_flags.h"
#include "vnum/mul_spans.h"

namespace quorvel {

namespace {

constexpr uint32_t BASE = uint32_t{1} << LIMB_BITS;

class RecursiveDivision {
 public:
  // The divisor D[0..n), n = leaf 2^depth limbs, top bit set.
  RecursiveDivision(const int32_t* D, int32_t n, int depth)
      : D_(D), n_(n), depth_(depth), product_(static_cast<size_t>(n + mulScratchLimbs(n / 2))) {}

  // q[0..n_l) <- floor(a / T), a[0..n_l) <- a mod T, a[n_l..2 n_l) <- 0 for
  // the top n_l = n / 2^l limbs T of D and a[0..2 n_l) < T 2^(30 n_l).
  // Meaningless after a cancel.
  void divideTwoByOne(int32_t* q, int32_t* a, int l) {
    if (isAborted()) return;
    const int32_t nl = n_ >> l;
    if (l == depth_) {
      divLimbs(q, a, 2 * nl, D_ + (n_ - nl), nl);
      return;
    }
    const int32_t h = nl / 2;
    divideThreeByTwo(q + h, a + h, l);
    divideThreeByTwo(q, a, l);
  }

 private:
  // q[0..h) <- floor(a / T), a[0..2h) <- a mod T, a[2h..3h) <- 0 for
  // T = [T1 T0], the top n_l = 2h limbs of D, and a[0..3h) < T 2^(30 h).
  void divideThreeByTwo(int32_t* q, int32_t* a, int l) {
    const int32_t nl = n_ >> l;
    const int32_t h = nl / 2;
    const int32_t* T = D_ + (n_ - nl);
    const int32_t* T1 = T + h;
    if (compareSpans(a + 2 * h, h, T1, h) < 0) {
      divideTwoByOne(q, a + h, l + 1);
      if (isAborted()) return;
    } else {
      std::fill(q, q + h, static_cast<int32_t>(BASE - 1));
      std::fill(a + 2 * h, a + 3 * h, 0);
      a[2 * h] = static_cast<int32_t>(addInto<BASE>(a + h, h, T1, h));
    }
    // [R1 A3] is a[0..2h], its top limb 1 at most; subtract Q^ T0 from it.
    int32_t* P = product_.data();
    mulMagnitudes(P, q, h, T, h, P + 2 * h);
    if (isAborted()) return;
    uint32_t negative = subFrom<BASE>(a, 2 * h + 1, P, 2 * h);
    [[maybe_unused]] int steps = 0;
    while (negative) {
      negative -= addInto<BASE>(a, 2 * h + 1, T, 2 * h);
      const int32_t one = 1;
      subFrom<BASE>(q, h, &one, 1);
      assert(++steps <= 2);
    }
    assert(a[2 * h] == 0);
  }

  const int32_t* D_;
  int32_t n_;
  int depth_;
  std::vector<int32_t> product_;  // Q^ T0 and the product's scratch
};

// x's limbs from limb 0 into out[0..n), zero above its significant ones.
void copyLimbs(int32_t* out, int32_t n, const vnum& x) {
  const int32_t m = std::min(n, x.len);
  std::copy(x.limbs, x.limbs + m, out);
  std::fill(out + m, out + n, 0);
}

}  // namespace

void recursiveQuotient(vnum* q, vnum* r, const vnum& A, const vnum& B) {
  const int64_t la = magnitudeBits(A);
  const int64_t lb = magnitudeBits(B);
  assert(la > lb && lb >= 1);
  const int64_t dn = (lb + LIMB_BITS - 1) / LIMB_BITS;
  int depth = 0;
  while (((dn - 1) >> depth) + 1 > DIV_RECURSIVE_LEAF_LIMBS) ++depth;
  const int32_t n = static_cast<int32_t>((((dn - 1) >> depth) + 1) << depth);
  const int64_t sigma = int64_t{LIMB_BITS} * n - lb;
  // t blocks of n limbs with the top block below 2^(30 n - 1) <= D, so the
  // top two blocks are below D 2^(30 n).
  const int64_t blocks = std::max<int64_t>(2, (la + sigma) / (int64_t{LIMB_BITS} * n) + 1);
  std::vector<int32_t> limbs(static_cast<size_t>(blocks * n + n + (blocks - 1) * n));
  int32_t* a = limbs.data();
  int32_t* D = a + blocks * n;
  int32_t* Q = D + n;
  {
    vnum shifted(A);
    shifted.shift(sigma);
    copyLimbs(a, static_cast<int32_t>(blocks * n), shifted);
    shifted = B;
    shifted.shift(sigma);
    copyLimbs(D, n, shifted);
  }
  assert(D[n - 1] >> (LIMB_BITS - 1));
  RecursiveDivision division(D, n, depth);
  for (int64_t i = blocks - 2; i >= 0; --i) {
    int32_t* window = a + i * n;
    // The top block may hold only the few limbs by which the dividend
    // passes a multiple of n. With its value below 2^(30 k - 1), the
    // window's top n + k limbs are below 2^(30 n - 1) 2^(30 k) <= D 2^(30 k)
    // and their quotient has k limbs: a long division of k rows, where the
    // recursion would cost as much as a full block. (After the top block
    // this happens only when a remainder is short.)
    int32_t k = n;
    while (k > 1 && window[n + k - 1] == 0) --k;
    if (k < n && window[n + k - 1] >> (LIMB_BITS - 1)) ++k;
    if (k <= std::min(n, DIV_RECURSIVE_SHORT_TOP_LIMBS)) {
      std::fill(Q + i * n + k, Q + i * n + n, 0);
      divLimbs(Q + i * n, window, n + k, D, n);
    } else {
      division.divideTwoByOne(Q + i * n, window, 0);
    }
    if (isAborted()) return;
  }
  if (q) *q = fromLimbs(Q, (blocks - 1) * n);
  if (r) {
    *r = fromLimbs(a, n);
    r->shift(-sigma);
  }
}

}  // namespace quorvel
