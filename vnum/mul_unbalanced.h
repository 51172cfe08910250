// The product of a long operand by a short one, piece by piece:
//
//   a = sum over k of a_k B^(k bn),  a b = sum over k of (a_k b) B^(k bn),
//
// each a_k of bn limbs (the last one possibly shorter), so every piece is a
// balanced product for the dispatcher to form by its best method, and no
// Toom split or transform is spent on a mostly empty operand.
//
// Plan: (1) the first piece's product straight into out[0, 2bn); (2) each
// further piece's product into scratch, its low bn limbs added onto the top
// of the previous piece's product (out[k bn, k bn + bn)), its high limbs
// copied above, and the carry of the addition carried into them.
//
// Carry bound: after piece k, out[0, k bn + bn + p) holds the partial sum of
// the pieces so far, which is below B^(k bn + p + bn); so the addition's
// carry dies inside the copied limbs.
//
// Scratch: 2 bn limbs here, the rest for the pieces' products, whose longer
// operand has bn limbs.
#pragma once

#include <algorithm>
#include <cassert>
#include <cstdint>

#include "vnum/limb_spans.h"

namespace quorvel {

// out[0 .. an+bn) <- a b for an >= 2 and bn <= ceil(an/2), where b is too
// short for Karatsuba or Toom to split. scratch holds mulScratchLimbs(an)
// limbs; out overlaps nothing.
template <class Spans>
void mulUnbalanced(const Spans& spans, int32_t* out, const int32_t* a, int32_t an, const int32_t* b, int32_t bn,
                   int32_t* scratch) {
  constexpr uint32_t B = Spans::BASE;
  assert(an >= 2 && bn >= 1 && bn <= (an + 1) / 2);
  assert(2 * bn + mulScratchLimbs(bn) <= mulScratchLimbs(an));
  int32_t* piece = scratch;
  int32_t* rest = scratch + 2 * bn;
  spans.mul(out, a, bn, b, bn, rest);  // (1)
  for (int32_t k = bn; k < an; k += bn) {  // (2)
    const int32_t p = std::min(bn, an - k);
    spans.mul(piece, b, bn, a + k, p, rest);
    copySpan(out + k + bn, piece + bn, p);
    [[maybe_unused]] const uint32_t carry = addInto<B>(out + k, bn + p, piece, bn);
    assert(carry == 0 || isAborted());
  }
}

}  // namespace quorvel
