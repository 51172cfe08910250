// numtheory: division and remainder, decimal exponent scaling ("Exp") and
// reading numbers from text, all on vnum.
//
// divide / modulo (divide.cpp) own the signs: they reduce to magnitudes a > b,
// strip the divisor's trailing zero bits from both, and call the shared
// quotient. divideMagnitudes (divide_magnitudes.cpp) picks the method by size:
// one 64-bit division below 2^60, quotient 1 for equal bit lengths, and
// otherwise a multiplication by a reciprocal of the divisor's top bits
// (reciprocal_quotient.cpp), followed by an exact correction against the
// full divisor. The reciprocal comes from a bitwise restoring division when
// the quotient has at most 1,000 bits (bitwise_reciprocal.cpp) and from
// Newton stages of doubling precision beyond (newton_reciprocal.cpp, each
// stage one step of refineReciprocal's iteration). A quotient much longer
// than its divisor is produced block by block with one reciprocal.
//
// A 5,000,000 by 2,500,000-bit quotient thus travels: divide -> magnitudes,
// shift -> divideMagnitudes -> two quotient blocks of 1.25M bits -> Newton
// reciprocal of the divisor's top 1.25M bits in 16 stages (two products
// each, through vnum's FFT) -> per block, one product by the partial
// dividend's top bits and one by the divisor, then at most a few additions
// of the divisor -> sign.
//
// scaleByPowerOfTen (scale_by_power_of_ten.cpp) assembles 10^k from
// smallDecPowers and decPowerLadder, squaring ladder entries in on first use
// (dec_power_ladder.cpp), after refusing work whose result is certain to pass
// the 5,000,000-bit cap. parseNumberText (parse_number_text.cpp) filters and
// scans text; decimal digits become blocks of 2,048 digits
// (decimal_digits_to_number.cpp) joined by a product tree over the ladder.
//
// Errors are thrown as the message pointers of vnum/messages.h. Long loops
// poll isAborted() per Newton stage, quotient block, correction step and tree
// level; a cancelled call returns early with a meaningless value and never
// publishes a ladder entry.
#pragma once

#include <cstdint>

#include "vnum/vnum.h"

namespace quorvel {

// x <- x / divisor, truncated toward zero; negative exactly when the signs
// differ. Throws MSG_DIVIDE_BY_ZERO (x unchanged) for a zero divisor. The
// divisor may be x itself. Returns x.
vnum& divide(vnum& x, const vnum& divisor);

// x <- x MOD divisor: |x| mod |divisor| with the sign of x, so that
// x = (x / divisor) * divisor + (x MOD divisor). Throws MSG_DIVIDE_BY_ZERO
// (x unchanged) for a zero divisor. The divisor may be x itself. Returns x.
vnum& modulo(vnum& x, const vnum& divisor);

// result <- floor(A / B) for A >= B > 0 (the callers answer A < B
// themselves). result may be A or B. Returns result.
vnum& divideMagnitudes(vnum& result, const vnum& A, const vnum& B);

// In place Newton iteration x <- (x * (2^(p+1) - B*x)) >> p until a value
// repeats or the abort flag is set. From any start 2 <= x <= 2^p / B the
// iterates rise monotonically and end at floor(2^p / B) or one below it
// (x = 1 is a fixpoint of the floored step whatever the target).
void refineReciprocal(vnum& x, const vnum& B, int64_t p);

// x <- x * 10^e for e > 0, x / 10^-e (truncated toward zero) for e < 0.
// Throws MSG_SCALE_OVER, before any work, when x is non-zero and x * 10^e
// certainly has more than scaleLimitBits bits; a negative e that certainly
// truncates x to 0 gives 0 at once.
void scaleByPowerOfTen(vnum& x, int32_t e);

// The "Exp" operator: left * 10^n with n = right for |right| < 2^30. A larger
// |right| scales by the saturated 32-bit exponent of its sign, which ends in
// MSG_SCALE_OVER (positive, non-zero left) or 0 (negative).
vnum exponentScale(const vnum& left, const vnum& right);

// Entry f of decPowerLadder (10^(8*2^f)), squaring in entries 2..f first
// where they are missing. Null when the abort flag stopped the filling; no
// incomplete entry is ever published.
const vnum* decPowerLadderEntry(int f);

// Reads a number from text: signed hexadecimal "0x..." (a negative number's
// digits are its two's complement pattern) or signed decimal with optional
// fraction and exponent, after dropping every character other than
// + - . 0-9 A-F a-f X x. Text without a number gives 0. Throws MSG_SCALE_OVER
// for a value of more than scaleLimitBits bits, before converting decimal
// digits whose value is certain to be that large. text is NUL-terminated.
vnum parseNumberText(const char* text);

// The value of count decimal digit characters (count <= 2048), by groups of
// 16 digits in base 10^16.
vnum decimalDigitsToNumber(const char* digits, int count);

}  // namespace quorvel
