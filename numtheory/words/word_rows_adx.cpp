// Product rows on 64-bit words with mulx, adcx and adox (BMI2 and ADX):
// n mod 4 single words first, then four words per loop round;
// wordRows() (word_arithmetic.cpp) hands them out only where hasBmi2Adx()
// says yes.
//
// A row r += a * b keeps two carry chains apart: adcx adds the low product
// words to r through the carry flag, adox adds the high word of the product
// before through the overflow flag. Neither waits for the other, and mulx
// touches no flag, so the multiplications of a round run ahead of both
// chains. The loop steps with lea and jrcxz, which leave both flags alone;
// at the end the two flags and the last high word make the carry out, which
// fits a word because r + a * b < 2^(64 (n + 1)).
//
// Subtraction r -= a * b runs the same chains on the complement: with
// ~x = 2^(64 n) - 1 - x, ~r + a b = ~(r - a b) + 2^(64 n) borrow, so
// each word of r is complemented on the way in and out (not leaves the flags
// alone) and the carry out is the borrow.
#include <cstdint>

#include "numtheory/words/word_rows.h"

namespace quorvel::adx {

// One word of each row, at byte offset OFF, with the high word of the
// product before in HIN and this product's high word left in HOUT.
#define QUORVEL_ADD_STEP(OFF, HIN, HOUT)             \
  "mulx " OFF "(%[a]), %[lo], %[" HOUT "]\n\t"       \
  "adcx " OFF "(%[r]), %[lo]\n\t"                    \
  "adox %[" HIN "], %[lo]\n\t"                       \
  "mov %[lo], " OFF "(%[r])\n\t"
#define QUORVEL_SUB_STEP(OFF, HIN, HOUT)             \
  "mov " OFF "(%[r]), %[word]\n\t"                   \
  "not %[word]\n\t"                                 \
  "mulx " OFF "(%[a]), %[lo], %[" HOUT "]\n\t"       \
  "adcx %[word], %[lo]\n\t"                         \
  "adox %[" HIN "], %[lo]\n\t"                       \
  "not %[lo]\n\t"                                   \
  "mov %[lo], " OFF "(%[r])\n\t"
#define QUORVEL_MUL_STEP(OFF, HIN, HOUT)             \
  "mulx " OFF "(%[a]), %[lo], %[" HOUT "]\n\t"       \
  "adcx %[" HIN "], %[lo]\n\t"                       \
  "mov %[lo], " OFF "(%[r])\n\t"

// The loop around the steps: count = n mod 4 single words (label 0), then
// rounds = n / 4 rounds of four (label 1), then the flags into hi1 (label
// 2). jrcxz reaches only 127 bytes, so the way past the four-word loop
// goes through a near jmp (label 5).
#define QUORVEL_ROW_LOOP(STEP, FINISH)                                                      \
  "xor %k[lo], %k[lo]\n\t"                                                                 \
  "jrcxz 3f\n\t"                                                                           \
  "0:\n\t" STEP("", "hi1", "hi0") "mov %[hi0], %[hi1]\n\t"                                 \
  "lea 8(%[a]), %[a]\n\t"                                                                   \
  "lea 8(%[r]), %[r]\n\t"                                                                   \
  "lea -1(%[count]), %[count]\n\t"                                                          \
  "jrcxz 3f\n\t"                                                                           \
  "jmp 0b\n\t"                                                                             \
  "3:\n\t"                                                                                 \
  "mov %[rounds], %[count]\n\t"                                                            \
  "jrcxz 5f\n\t"                                                                           \
  "jmp 1f\n\t"                                                                             \
  "5:\n\t"                                                                                 \
  "jmp 2f\n\t"                                                                             \
  "1:\n\t" STEP("", "hi1", "hi0") STEP("8", "hi0", "hi1") STEP("16", "hi1", "hi0") STEP("24", "hi0", "hi1") \
  "lea 32(%[a]), %[a]\n\t"                                                                  \
  "lea 32(%[r]), %[r]\n\t"                                                                  \
  "lea -1(%[count]), %[count]\n\t"                                                         \
  "jrcxz 2f\n\t"                                                                           \
  "jmp 1b\n\t"                                                                             \
  "2:\n\t"                                                                                 \
  "mov $0, %k[lo]\n\t" FINISH

#define QUORVEL_BOTH_FLAGS "adcx %[lo], %[hi1]\n\t" "adox %[lo], %[hi1]\n\t"
#define QUORVEL_CARRY_FLAG "adcx %[lo], %[hi1]\n\t"

__attribute__((target("bmi2,adx"))) uint64_t addMulRow(uint64_t* r, const uint64_t* a, int32_t n, uint64_t b) {
  uint64_t count = static_cast<uint64_t>(n % 4);
  const uint64_t rounds = static_cast<uint64_t>(n / 4);
  uint64_t lo, hi0, hi1 = 0;
  asm volatile(QUORVEL_ROW_LOOP(QUORVEL_ADD_STEP, QUORVEL_BOTH_FLAGS)
               : [a] "+&r"(a), [r] "+&r"(r), [count] "+&c"(count), [lo] "=&r"(lo), [hi0] "=&r"(hi0), [hi1] "+&r"(hi1)
               : "d"(b), [rounds] "r"(rounds)
               : "cc", "memory");
  return hi1;
}

__attribute__((target("bmi2,adx"))) uint64_t subMulRow(uint64_t* r, const uint64_t* a, int32_t n, uint64_t b) {
  uint64_t count = static_cast<uint64_t>(n % 4);
  const uint64_t rounds = static_cast<uint64_t>(n / 4);
  uint64_t lo, hi0, hi1 = 0, word;
  asm volatile(QUORVEL_ROW_LOOP(QUORVEL_SUB_STEP, QUORVEL_BOTH_FLAGS)
               : [a] "+&r"(a), [r] "+&r"(r), [count] "+&c"(count), [lo] "=&r"(lo), [hi0] "=&r"(hi0), [hi1] "+&r"(hi1),
                 [word] "=&r"(word)
               : "d"(b), [rounds] "r"(rounds)
               : "cc", "memory");
  return hi1;
}

// r = a * b: one chain (the high word before, through the carry flag).
__attribute__((target("bmi2,adx"))) uint64_t mulRow(uint64_t* r, const uint64_t* a, int32_t n, uint64_t b) {
  uint64_t count = static_cast<uint64_t>(n % 4);
  const uint64_t rounds = static_cast<uint64_t>(n / 4);
  uint64_t lo, hi0, hi1 = 0;
  asm volatile(QUORVEL_ROW_LOOP(QUORVEL_MUL_STEP, QUORVEL_CARRY_FLAG)
               : [a] "+&r"(a), [r] "+&r"(r), [count] "+&c"(count), [lo] "=&r"(lo), [hi0] "=&r"(hi0), [hi1] "+&r"(hi1)
               : "d"(b), [rounds] "r"(rounds)
               : "cc", "memory");
  return hi1;
}

#undef QUORVEL_ADD_STEP
#undef QUORVEL_SUB_STEP
#undef QUORVEL_MUL_STEP
#undef QUORVEL_ROW_LOOP
#undef QUORVEL_BOTH_FLAGS
#undef QUORVEL_CARRY_FLAG

}  // namespace quorvel::adx
