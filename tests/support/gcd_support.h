// Operand shapes and checks shared by the GCD tests.
#pragma once

#include "tests/support/vnum_gmp.h"

namespace quorvel::test {

// The shapes that drive each path of the GCD: coprime values, a large common
// factor, one operand four times longer, a long shared run of trailing zero
// bits, Fibonacci neighbours times a small factor (every quotient 1),
// quotients 1 with one huge quotient in the middle, and values within a few
// bits of each other (one quotient 1, then a tiny remainder).
enum class GcdShape { random, commonFactor, lopsided, trailingZeros, fibonacci, hugeQuotient, nearlyEqual };
inline constexpr GcdShape allGcdShapes[] = {GcdShape::random,    GcdShape::commonFactor, GcdShape::lopsided,
                                            GcdShape::trailingZeros, GcdShape::fibonacci,
                                            GcdShape::hugeQuotient, GcdShape::nearlyEqual};
const char* shapeName(GcdShape shape);

// Positive a, b of about `bits` bits of the given shape (bits >= 200).
void makeGcdOperands(std::mt19937_64& g, GcdShape shape, long bits, Mpz& a, Mpz& b);

// gcd(a, b) with the zero rules, against GMP, with both operands printed on
// failure.
void expectGcd(const Mpz& a, const Mpz& b);

// halfGcd on a, b, held to its contract: (a, b) = M (a', b') with M
// non-negative of determinant 1 and entries below 2^(n-s); a', b' >= 2^s;
// |a' - b'| < 2^s (no step left); and, when `random`, a' and b' within 64
// bits of 2^s (random operands never leave two long values that close).
void checkHalfGcd(const Mpz& a, const Mpz& b, bool random);

}  // namespace quorvel::test
