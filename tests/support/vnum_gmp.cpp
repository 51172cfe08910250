#include "tests/support/vnum_gmp.h"

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace quorvel::test {

std::string Mpz::hex() const {
  std::unique_ptr<char, void (*)(void*)> s(mpz_get_str(nullptr, 16, z), std::free);
  return s.get();
}

Mpz toMpz(const vnum& x) {
  Mpz r;
  mpz_import(r.z, static_cast<size_t>(x.len), -1, sizeof(int32_t), 0, 2, x.limbs);
  if (!x.plus) {
    Mpz wrap;
    mpz_setbit(wrap.z, static_cast<mp_bitcnt_t>(LIMB_BITS) * x.len);
    mpz_sub(r.z, r.z, wrap.z);
  }
  return r;
}

vnum fromMpz(mpz_srcptr z) {
  // Enough limbs for the magnitude plus a sign limb, and an even count, then
  // the ordinary normalisation.
  const long bits = static_cast<long>(mpz_sizeinbase(z, 2));
  int32_t n = static_cast<int32_t>(bits / LIMB_BITS + 2);
  n += n & 1;
  Mpz u;
  mpz_set(u.z, z);
  if (mpz_sgn(z) < 0) {
    Mpz wrap;
    mpz_setbit(wrap.z, static_cast<mp_bitcnt_t>(LIMB_BITS) * n);
    mpz_add(u.z, u.z, wrap.z);
  }
  vnum x;
  x.extendTo(n);
  size_t count = 0;
  std::fill(x.limbs, x.limbs + n, 0);
  mpz_export(x.limbs, &count, -1, sizeof(int32_t), 0, 2, u.z);
  x.plus = mpz_sgn(z) >= 0;
  x.normalize();
  return x;
}

std::string invariantViolation(const vnum& x) {
  if (x.len < 2 || (x.len & 1)) return "len " + std::to_string(x.len) + " not even and >= 2";
  if (x.cap < x.len || (x.cap & 3)) return "cap " + std::to_string(x.cap) + " bad for len " + std::to_string(x.len);
  bool allZero = true;
  for (int32_t i = 0; i < x.len; ++i) {
    if (x.limbs[i] & ~LIMB_MASK) return "limb " + std::to_string(i) + " has bits above bit 29";
    allZero &= x.limbs[i] == 0;
  }
  const bool signBit = (x.limbs[x.len - 1] & LIMB_SIGN_BIT) != 0;
  if (x.plus == signBit) return "plus disagrees with the sign bit";
  if (!x.plus && allZero) return "negative zero";
  // Normal form: when the two top limbs are both fill, len is the smallest
  // even count >= t + 2 (at least 2), t the highest limb that is not fill.
  const int32_t f = x.fill();
  int32_t t = x.len - 1;
  while (t >= 0 && x.limbs[t] == f) --t;
  int32_t normalLen = std::max(2, t + 2);
  normalLen += normalLen & 1;
  if (x.limbs[x.len - 1] == f && x.limbs[x.len - 2] == f && x.len != normalLen)
    return "not normalised: len " + std::to_string(x.len) + ", normal " + std::to_string(normalLen);
  return "";
}

Mpz randomMpz(std::mt19937_64& g, long bits, bool runs, bool negative) {
  static gmp_randstate_t state;
  static bool ready = false;
  if (!ready) {
    gmp_randinit_default(state);
    ready = true;
  }
  gmp_randseed_ui(state, static_cast<unsigned long>(g()));
  Mpz r;
  if (bits > 0) {
    if (runs)
      mpz_rrandomb(r.z, state, static_cast<mp_bitcnt_t>(bits));
    else
      mpz_urandomb(r.z, state, static_cast<mp_bitcnt_t>(bits));
    mpz_setbit(r.z, static_cast<mp_bitcnt_t>(bits - 1));
  }
  if (negative) mpz_neg(r.z, r.z);
  return r;
}

Mpz randomOperand(std::mt19937_64& g, long maxBits) {
  const unsigned pick = static_cast<unsigned>(g() % 32);
  if (pick == 0) return Mpz(0);
  if (pick == 1) return Mpz(-1);
  const long bits = static_cast<long>(logUniform(g, 1, maxBits));
  return randomMpz(g, bits, (g() & 1) != 0, (g() & 1) != 0);
}

Mpz powerOfTwoPlus(long e, long add, int sign) {
  Mpz z;
  mpz_setbit(z.z, static_cast<mp_bitcnt_t>(e));
  mpz_add(z.z, z.z, Mpz(add).z);
  if (sign < 0) mpz_neg(z.z, z.z);
  return z;
}

}  // namespace quorvel::test
