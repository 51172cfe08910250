// numtheory: division and remainder, decimal exponent scaling ("Exp") and
// reading numbers from text, all on vnum.
//
// divide / modulo (divide.cpp) own the signs: they reduce to magnitudes a > b,
// strip the divisor's trailing zero bits from both, and call the shared
// quotient, asking for the quotient only or the remainder only.
// quotientAndRemainder (divide_magnitudes.cpp) picks the method by size: one
// 64-bit division below 2^60, quotient 1 for equal bit lengths, long division
// on 64-bit words (div_words.cpp) while the divisor or the quotient is short,
// and otherwise a multiplication by a Newton reciprocal of the divisor's top
// bits (newton_reciprocal.cpp) in quotient blocks (reciprocal_quotient.cpp),
// each corrected exactly against the full divisor. The last block of a
// quotient without remainder carries 32 guard bits instead, which show when
// its estimate is already exact.
//
// A 5,000,000 by 2,500,000-bit quotient thus travels: divide -> magnitudes,
// shift -> quotientAndRemainder -> reciprocal of the divisor's top 1.25M bits
// (Newton stages from a 62-bit start, two products each) -> block 1: the
// dividend's top bits times the reciprocal, then the 2.5M-bit remainder by
// one product with the divisor -> block 2: the remainder's top bits times
// the reciprocal (the Newton step fused with the quotient) -> guard bits
// decide, so the last product by the divisor is skipped -> sign. Some three
// products of 2.5M bits in all; MOD forms the last remainder too.
//
// scaleByPowerOfTen (scale_by_power_of_ten.cpp) assembles 10^k from
// smallDecPowers and decPowerLadder, squaring ladder entries in on first use
// (dec_power_ladder.cpp), after refusing work whose result is certain to pass
// the 5,000,000-bit cap. parseNumberText (parse_number_text.cpp) filters and
// scans text; decimal digits become blocks of 2,048 digits
// (decimal_digits_to_number.cpp) joined by a product tree over the ladder.
//
// Errors are thrown as the message pointers of vnum/messages.h. Long loops
// poll isAborted() per Newton stage, quotient block, quotient limb of the
// long division, correction step and tree level; a cancelled call returns early with a meaningless value and never
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
// themselves); no remainder is formed unless the quotient needs it to be
// exact. result may be A or B. Returns result.
vnum& divideMagnitudes(vnum& result, const vnum& A, const vnum& B);

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
