// vnum: the calculator's signed binary integer of arbitrary length.
//
// A value is held in two's complement in 30-bit limbs (limits.h), least
// significant first, sign-extended with fill limbs: 0 for a non-negative value,
// 0x3fffffff for a negative one. Bit 29 of the top limb is the sign and `plus`
// always agrees with it. Every public operation leaves its result normalised:
// `len` even and at least 2, at most two whole fill limbs above the highest
// significant limb, never a negative zero.
//
// How one operation travels: `a += b` extends `a` to the longer length plus
// two fill limbs (so the sum cannot overflow), adds limb by limb in groups of
// four (add.cpp), reads the sign back from bit 29 of the top limb and trims.
// Subtraction adds the complement plus one; shifts (shift.cpp) and AND/OR/XOR/
// NOT (logic.cpp) work on the same infinite two's complement bit string. The
// product (mul.cpp) reduces to positive odd magnitudes; mulMagnitudes
// (mul_magnitudes.cpp) hands their significant limbs, with one scratch area,
// to the dispatcher on limb spans (mul_spans.h), which picks schoolbook,
// Karatsuba, Toom-3 or Toom-2.5, pieces for a short operand, or an FFT
// product by size; the kernels (mul_*.h, templates shared with vnum10) send
// their sub-products back to it. With the limits measured today a product
// of 20,000 combined limbs is one level of Toom-3 (five products of 6,667)
// down through further Toom-3 and Karatsuba levels to schoolbook products
// of at most 225 x 225 limbs (512 x 512 on AVX-512 IFMA, whose schoolbook
// kernel runs on 52-bit digits); from 28,000 combined limbs up to the
// transforms' limit one FFT product (mulFft) forms it whole. writeHexText
// renders the raw limbs.
//
// Storage grows to GROWTH_FACTOR times the needed length and never shrinks in
// place; `cap` is a multiple of 4 so loops may touch whole groups of 4 limbs up
// to `len` rounded up to 4.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "vnum/limits.h"

namespace quorvel {

class vnum {
 public:
  uint8_t plus;    // 1: zero or positive, 0: negative
  int32_t len;     // limbs in use: even, >= 2
  int32_t cap;     // limbs allocated: a multiple of 4, >= len
  int32_t* limbs;  // owned; limbs[len..cap) are scratch

  vnum();
  vnum(int32_t v);
  vnum(int64_t v);
  vnum(long long v) : vnum(static_cast<int64_t>(v)) {}
  vnum(const vnum& other);
  // A moved-from value is left as a fresh zero. Not noexcept: that zero's
  // storage is allocated, and an allocation may fail. Containers then copy
  // on growth, so reserve vectors of vnum before filling them.
  vnum(vnum&& other);
  vnum& operator=(const vnum& other);
  vnum& operator=(vnum&& other) noexcept;
  virtual ~vnum();

  void swap(vnum& other) noexcept;

  // --- structure (vnum.cpp) ---
  // The fill limb of this value: 0 when non-negative, LIMB_MASK when negative.
  int32_t fill() const { return plus ? 0 : LIMB_MASK; }
  // Trims while the two top limbs are both fill; len stays even and >= 2.
  void normalize();
  // Sign-extends to n limbs (rounded up to even); returns the previous length.
  int32_t extendTo(int32_t n);
  // Clears every bit at position n and above inside the current length
  // (value mod 2^n for a non-negative value). Does not normalise.
  void keepLowBits(int64_t n);
  // Significant bits of |value|; 1 for zero.
  int64_t bitLength() const;
  // Zero bits below the lowest set bit of a positive value.
  int64_t trailingZeroBits() const;
  // Makes room for n limbs (growth rule), keeping limbs[0..len). Does not
  // change len or write the new limbs.
  void reserve(int32_t n);
  // Sets plus from bit 29 of the top limb, or 1 when every limb is 0.
  void setSignFromTop();

  // --- comparison (vnum.cpp) ---
  int compare(const vnum& other) const;
  bool isZero() const;
  bool operator==(const vnum& o) const { return compare(o) == 0; }
  bool operator!=(const vnum& o) const { return compare(o) != 0; }
  bool operator<(const vnum& o) const { return compare(o) < 0; }
  bool operator<=(const vnum& o) const { return compare(o) <= 0; }
  bool operator>(const vnum& o) const { return compare(o) > 0; }
  bool operator>=(const vnum& o) const { return compare(o) >= 0; }

  // --- addition (add.cpp) ---
  vnum& operator+=(const vnum& addend);
  vnum& operator-=(const vnum& subtrahend);
  // this <- -this; returns this (copy it to keep the result apart).
  vnum& negate();

  // --- shifts and logic (shift.cpp, logic.cpp) ---
  // this <- this * 2^n (n > 0) or floor(this / 2^-n) (n < 0).
  void shift(int64_t n);
  vnum& operator<<=(int32_t count);
  vnum& operator>>=(int32_t count);
  // The key-panel shifts: the count's sign gives the direction.
  vnum& operator<<=(const vnum& count);
  vnum& operator>>=(const vnum& count);
  vnum& operator&=(const vnum& other);
  vnum& operator|=(const vnum& other);
  vnum& operator^=(const vnum& other);
  // this <- NOT this (= -this - 1); returns this.
  vnum& complement();

  // --- multiplication (mul.cpp) ---
  // this <- this * other; other may be this. Returns zero (without
  // computing) when the calling thread's abort flag is set.
  vnum& operator*=(const vnum& other);

 private:
  // Shift by a vnum count: direction +1 for <<=, -1 for >>=.
  void shiftByCount(const vnum& count, int direction);
};

// out <- a + b and out <- a - b, written straight into out's storage (kept
// when long enough), one pass over both operands. out may be a or b.
void add(vnum& out, const vnum& a, const vnum& b);
void subtract(vnum& out, const vnum& a, const vnum& b);
vnum operator+(const vnum& a, const vnum& b);
vnum operator-(const vnum& a, const vnum& b);
vnum operator*(const vnum& a, const vnum& b);

// out <- A * B for positive A >= B (callers pass the larger first); chooses
// the method by the combined limb count. A and B are normalised in place.
// out must not be A or B. Returns out.
vnum& mulMagnitudes(vnum& out, vnum& A, vnum& B);
// out <- A * B through one FFT product in mode 0 (the fastest shape the
// precision table trusts) or 1 (a wider margin). Returns false, leaving out
// unspecified, when no shape of the mode holds the product or its rounding
// was too close to a half to be trusted.
bool mulFft(vnum& out, const vnum& A, const vnum& B, int mode);
// Test hook: the rounding distance above which mulFft refuses a product
// (FFT_TRUSTED_ROUNDING_ERROR normally; a negative bound refuses them all).
void setFftTrustedRoundingErrorForTesting(double bound);

// Writes "+0x"/"-0x" and the two's complement digits of value into out,
// never more than size bytes including the terminating NUL. Polls the abort
// flag before each bit and stops, terminated, when it is set.
void writeHexText(const vnum& value, char* out, size_t size);

// Powers of ten: entry f of decPowerLadder is 10^(8*2^f). Entries 0 (10^8)
// and 1 (10^16) exist from start; the others are squared in on first use by
// the decimal scaling and the text reader (numtheory) and then kept for the
// life of the process.
//
// A cancelled worker may still be filling an entry while its successor fills
// the same one, so an entry is built completely in private storage and then
// published with one compare-and-swap of its pointer (release); readers load
// the pointer with acquire and so see either nothing or the whole value. The
// loser of a race discards its copy. A published entry never changes.
class DecPowerLadder {
 public:
  DecPowerLadder();
  DecPowerLadder(const DecPowerLadder&) = delete;
  DecPowerLadder& operator=(const DecPowerLadder&) = delete;

  // Entry f, or null while it has not been published.
  const vnum* find(int f) const { return entries_[f].load(std::memory_order_acquire); }
  // Publishes value as entry f unless another thread got there first; either
  // way returns the entry now in place. The caller must not publish a value
  // left by a cancelled computation.
  const vnum& publish(int f, std::unique_ptr<vnum> value);
  // Entry f, or zero while it has not been published: the value every
  // entry above 1 starts with.
  const vnum& operator[](int f) const;

 private:
  std::atomic<const vnum*> entries_[DEC_POWER_LADDER_SIZE];
};

extern DecPowerLadder decPowerLadder;
// smallDecPowers[k] = 10^k for k = 0..7.
extern const vnum smallDecPowers[SMALL_DEC_POWERS_SIZE];

}  // namespace quorvel
