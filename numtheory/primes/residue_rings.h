// The residues mod an odd n that the probable-prime tests compute
// with, in Montgomery form: a residue a is kept as a R mod n, so that REDC
// of a product of two forms is the form of the product and no step divides.
// Sums, differences and small multiples of forms are forms of the sums,
// differences and multiples, so the Lucas sequences run on forms as they
// are.
//
// Two rings with one interface, chosen by the size of n:
//  - WordRing: n-word spans of 64-bit words, R = 2^(64 w), the schoolbook
//    square and product and the word-by-word REDC of words/word_span.h;
//  - VnumRing: vnum values with R = 2^k, k the bit length of n, the
//    record of setModulus and montgomeryReduce (powers/), products by vnum
//    `*=` (the FFT for long values).
// Both give the same residues, so the choice is only one of speed
// (PRIME_WORD_RING_MAX_BITS).
//
// Every element of a ring is fully reduced, in [0, n), so equality of
// residues is equality of forms.
#pragma once

#include <cstdint>
#include <vector>

#include "numtheory/functions.h"
#include "vnum/vnum.h"

namespace quorvel {

class WordRing {
 public:
  using Element = std::vector<uint64_t>;

  // n odd, above 1,000.
  explicit WordRing(const vnum& n);

  // The form of the integer c (any sign).
  Element fromInteger(int64_t c) const;
  void multiply(Element& a, const Element& b);
  void square(Element& a);
  void add(Element& a, const Element& b) const;
  void subtract(Element& a, const Element& b) const;
  // a <- 2a.
  void twice(Element& a) const;
  bool isZero(const Element& a) const;

 private:
  int32_t words_;
  Element n_;
  Element one_;      // R mod n
  Element product_;  // 2 * words_ of scratch for every product
  uint64_t nInv_;
};

class VnumRing {
 public:
  using Element = vnum;

  // n odd, above 1,000. Meaningless when the abort flag stopped the set-up.
  explicit VnumRing(const vnum& n);

  Element fromInteger(int64_t c) const;
  void multiply(Element& a, const Element& b) const;
  void square(Element& a) const;
  void add(Element& a, const Element& b) const;
  void subtract(Element& a, const Element& b) const;
  void twice(Element& a) const;
  bool isZero(const Element& a) const { return a.isZero(); }

 private:
  ModulusRecord record_;
  vnum one_;  // R mod n
};

}  // namespace quorvel
