// The multiplication dispatcher: chooses schoolbook, FFT mode 0, FFT mode 1
// or a three-product split by the combined limb count.
//
// Split step (Karatsuba), with k = (A.len / 2) * 30 bits:
//   A = Ah*2^k + Al,  B = Bh*2^k + Bl,
//   H = Ah*Bh,  L = Al*Bl,  M = -(Ah - Al)*(Bh - Bl) = Ah*Bl + Al*Bh - H - L,
//   A*B = H*2^(2k) + (H + L + M)*2^k + L.
// Each sub-product comes back through this dispatcher, so operands above the
// last threshold are halved until every FFT product is small enough.
//
// An FFT product whose rounding came too close to a half is not trusted; it
// is formed again with smaller digits (mode 1) or, failing that, by the split
// step, whose transforms are shorter and so round with more margin.
#include "platform/abort_flags.h"
#include "vnum/vnum.h"

namespace quorvel {

namespace {

const vnum& oneValue() {
  static const vnum one(int32_t{1});
  return one;
}

// Sub-products of the split take the larger operand first.
void mulOrdered(vnum& out, vnum& x, vnum& y) {
  if (x.compare(y) >= 0)
    mulMagnitudes(out, x, y);
  else
    mulMagnitudes(out, y, x);
}

void mulSplit(vnum& out, const vnum& A, const vnum& B) {
  const int64_t k = static_cast<int64_t>(A.len / 2) * LIMB_BITS;
  vnum Ah(A), Bh(B);
  Ah.shift(-k);
  Bh.shift(-k);
  vnum H;
  mulOrdered(H, Ah, Bh);

  vnum Al(A), Bl(B);
  Al.keepLowBits(k);
  Bl.keepLowBits(k);
  Al.normalize();
  Bl.normalize();
  vnum L;
  mulOrdered(L, Al, Bl);

  vnum Dg(Ah), Df(Bh);
  Dg -= Al;
  Df -= Bl;
  const bool sameSign = Dg.plus == Df.plus;
  if (!Dg.plus) Dg.negate();
  if (!Df.plus) Df.negate();
  vnum M;
  mulOrdered(M, Dg, Df);
  if (sameSign) M.negate();

  vnum middle(H);
  middle += L;
  middle += M;
  middle.shift(k);
  out = std::move(H);
  out.shift(2 * k);
  out += middle;
  out += L;
}

}  // namespace

vnum& mulMagnitudes(vnum& out, vnum& A, vnum& B) {
  if (A.isZero() || B.isZero()) {
    out = vnum();
    return out;
  }
  if (A.compare(oneValue()) == 0) {
    out = B;
    return out;
  }
  if (B.compare(oneValue()) == 0) {
    out = A;
    return out;
  }
  // Polled once per call, so every level of the split polls again.
  if (isAborted()) {
    out = vnum();
    return out;
  }
  A.normalize();
  B.normalize();
  const int32_t m = A.len + B.len;
  if (m <= MUL_SCHOOLBOOK_MAX_LIMBS) {
    mulSchoolbook(out, A, B);
    return out;
  }
  if (m <= MUL_FFT_MODE0_MAX_LIMBS && mulFft(out, A, B, 0)) return out;
  if (m <= MUL_FFT_MODE1_MAX_LIMBS && mulFft(out, A, B, 1)) return out;
  mulSplit(out, A, B);
  return out;
}

}  // namespace quorvel
