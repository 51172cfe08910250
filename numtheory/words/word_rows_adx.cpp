// Product rows on 64-bit words with mulx, adcx and adox (BMI2 and ADX):
// n mod 4 single words first, then four words per loop round;
// word_arithmetic.cpp calls them only after hasBmi2Adx() said yes.
//
// A row r += a * b keeps two carry chains apart: adcx adds the low product
// words to r through the carry flag, adox adds the high word of the product
// before through the overflow flag. Neither waits for the other, and mulx
// touches no flag, so the multiplications of a round run ahead of both
// chains. The loop steps with lea and jrcxz, which leave both flags alone
// (jrcxz reaches only 127 bytes, so the jump past the loop goes through a
// near jmp);
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

__attribute__((target("bmi2,adx"))) uint64_t addMulRow(uint64_t* r, const uint64_t* a, int32_t n, uint64_t b) {
  uint64_t count = static_cast<uint64_t>(n % 4);
  const uint64_t rounds = static_cast<uint64_t>(n / 4);
  uint64_t lo, hi0, hi1 = 0;
  asm volatile(
      "xor %k[lo], %k[lo]\n\t"
      "jrcxz 3f\n\t"
      "0:\n\t"
      "mulx (%[a]), %[lo], %[hi0]\n\t"
      "adcx (%[r]), %[lo]\n\t"
      "adox %[hi1], %[lo]\n\t"
      "mov %[lo], (%[r])\n\t"
      "mov %[hi0], %[hi1]\n\t"
      "lea 8(%[a]), %[a]\n\t"
      "lea 8(%[r]), %[r]\n\t"
      "lea -1(%[count]), %[count]\n\t"
      "jrcxz 3f\n\t"
      "jmp 0b\n\t"
      "3:\n\t"
      "mov %[rounds], %[count]\n\t"
      "jrcxz 5f\n\t"
      "jmp 1f\n\t"
      "5:\n\t"
      "jmp 2f\n\t"
      "1:\n\t"
      "mulx (%[a]), %[lo], %[hi0]\n\t"
      "adcx (%[r]), %[lo]\n\t"
      "adox %[hi1], %[lo]\n\t"
      "mov %[lo], (%[r])\n\t"
      "mulx 8(%[a]), %[lo], %[hi1]\n\t"
      "adcx 8(%[r]), %[lo]\n\t"
      "adox %[hi0], %[lo]\n\t"
      "mov %[lo], 8(%[r])\n\t"
      "mulx 16(%[a]), %[lo], %[hi0]\n\t"
      "adcx 16(%[r]), %[lo]\n\t"
      "adox %[hi1], %[lo]\n\t"
      "mov %[lo], 16(%[r])\n\t"
      "mulx 24(%[a]), %[lo], %[hi1]\n\t"
      "adcx 24(%[r]), %[lo]\n\t"
      "adox %[hi0], %[lo]\n\t"
      "mov %[lo], 24(%[r])\n\t"
      "lea 32(%[a]), %[a]\n\t"
      "lea 32(%[r]), %[r]\n\t"
      "lea -1(%[count]), %[count]\n\t"
      "jrcxz 2f\n\t"
      "jmp 1b\n\t"
      "2:\n\t"
      "mov $0, %k[lo]\n\t"
      "adcx %[lo], %[hi1]\n\t"
      "adox %[lo], %[hi1]\n\t"
      : [a] "+&r"(a), [r] "+&r"(r), [count] "+&c"(count), [lo] "=&r"(lo), [hi0] "=&r"(hi0), [hi1] "+&r"(hi1)
      : "d"(b), [rounds] "r"(rounds)
      : "cc", "memory");
  return hi1;
}

__attribute__((target("bmi2,adx"))) uint64_t subMulRow(uint64_t* r, const uint64_t* a, int32_t n, uint64_t b) {
  uint64_t count = static_cast<uint64_t>(n % 4);
  const uint64_t rounds = static_cast<uint64_t>(n / 4);
  uint64_t lo, hi0, hi1 = 0, word;
  asm volatile(
      "xor %k[lo], %k[lo]\n\t"
      "jrcxz 3f\n\t"
      "0:\n\t"
      "mov (%[r]), %[word]\n\t"
      "not %[word]\n\t"
      "mulx (%[a]), %[lo], %[hi0]\n\t"
      "adcx %[word], %[lo]\n\t"
      "adox %[hi1], %[lo]\n\t"
      "not %[lo]\n\t"
      "mov %[lo], (%[r])\n\t"
      "mov %[hi0], %[hi1]\n\t"
      "lea 8(%[a]), %[a]\n\t"
      "lea 8(%[r]), %[r]\n\t"
      "lea -1(%[count]), %[count]\n\t"
      "jrcxz 3f\n\t"
      "jmp 0b\n\t"
      "3:\n\t"
      "mov %[rounds], %[count]\n\t"
      "jrcxz 5f\n\t"
      "jmp 1f\n\t"
      "5:\n\t"
      "jmp 2f\n\t"
      "1:\n\t"
      "mov (%[r]), %[word]\n\t"
      "not %[word]\n\t"
      "mulx (%[a]), %[lo], %[hi0]\n\t"
      "adcx %[word], %[lo]\n\t"
      "adox %[hi1], %[lo]\n\t"
      "not %[lo]\n\t"
      "mov %[lo], (%[r])\n\t"
      "mov 8(%[r]), %[word]\n\t"
      "not %[word]\n\t"
      "mulx 8(%[a]), %[lo], %[hi1]\n\t"
      "adcx %[word], %[lo]\n\t"
      "adox %[hi0], %[lo]\n\t"
      "not %[lo]\n\t"
      "mov %[lo], 8(%[r])\n\t"
      "mov 16(%[r]), %[word]\n\t"
      "not %[word]\n\t"
      "mulx 16(%[a]), %[lo], %[hi0]\n\t"
      "adcx %[word], %[lo]\n\t"
      "adox %[hi1], %[lo]\n\t"
      "not %[lo]\n\t"
      "mov %[lo], 16(%[r])\n\t"
      "mov 24(%[r]), %[word]\n\t"
      "not %[word]\n\t"
      "mulx 24(%[a]), %[lo], %[hi1]\n\t"
      "adcx %[word], %[lo]\n\t"
      "adox %[hi0], %[lo]\n\t"
      "not %[lo]\n\t"
      "mov %[lo], 24(%[r])\n\t"
      "lea 32(%[a]), %[a]\n\t"
      "lea 32(%[r]), %[r]\n\t"
      "lea -1(%[count]), %[count]\n\t"
      "jrcxz 2f\n\t"
      "jmp 1b\n\t"
      "2:\n\t"
      "mov $0, %k[lo]\n\t"
      "adcx %[lo], %[hi1]\n\t"
      "adox %[lo], %[hi1]\n\t"
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
  asm volatile(
      "xor %k[lo], %k[lo]\n\t"
      "jrcxz 3f\n\t"
      "0:\n\t"
      "mulx (%[a]), %[lo], %[hi0]\n\t"
      "adcx %[hi1], %[lo]\n\t"
      "mov %[lo], (%[r])\n\t"
      "mov %[hi0], %[hi1]\n\t"
      "lea 8(%[a]), %[a]\n\t"
      "lea 8(%[r]), %[r]\n\t"
      "lea -1(%[count]), %[count]\n\t"
      "jrcxz 3f\n\t"
      "jmp 0b\n\t"
      "3:\n\t"
      "mov %[rounds], %[count]\n\t"
      "jrcxz 5f\n\t"
      "jmp 1f\n\t"
      "5:\n\t"
      "jmp 2f\n\t"
      "1:\n\t"
      "mulx (%[a]), %[lo], %[hi0]\n\t"
      "adcx %[hi1], %[lo]\n\t"
      "mov %[lo], (%[r])\n\t"
      "mulx 8(%[a]), %[lo], %[hi1]\n\t"
      "adcx %[hi0], %[lo]\n\t"
      "mov %[lo], 8(%[r])\n\t"
      "mulx 16(%[a]), %[lo], %[hi0]\n\t"
      "adcx %[hi1], %[lo]\n\t"
      "mov %[lo], 16(%[r])\n\t"
      "mulx 24(%[a]), %[lo], %[hi1]\n\t"
      "adcx %[hi0], %[lo]\n\t"
      "mov %[lo], 24(%[r])\n\t"
      "lea 32(%[a]), %[a]\n\t"
      "lea 32(%[r]), %[r]\n\t"
      "lea -1(%[count]), %[count]\n\t"
      "jrcxz 2f\n\t"
      "jmp 1b\n\t"
      "2:\n\t"
      "mov $0, %k[lo]\n\t"
      "adcx %[lo], %[hi1]\n\t"
      : [a] "+&r"(a), [r] "+&r"(r), [count] "+&c"(count), [lo] "=&r"(lo), [hi0] "=&r"(hi0), [hi1] "+&r"(hi1)
      : "d"(b), [rounds] "r"(rounds)
      : "cc", "memory");
  return hi1;
}

}  // namespace quorvel::adx
