// Montgomery reduction (REDC): T * R^-1 mod N without a division.
//
// u = T * NP mod R makes T + u * N divisible by R (N * NP = -1 mod R), and
// for 0 <= T < R * N the quotient t = (T + u * N) / R is below 2N, so one
// conditional subtraction brings it into [0, N). Only the low k bits of T
// enter u, so T is cut to them before the product: a k x k-bit product
// instead of 2k x k.
#include "numtheory/functions.h"

namespace quorvel {

vnum montgomeryReduce(const vnum& T, const ModulusRecord& record) {
  const int k = record.k;
  vnum u(T);
  if (k > 0) {
    u.keepLowBits(k);
    u.normalize();
  }
  u *= record.NP;
  if (k > 0) {
    u.keepLowBits(k);
    u.normalize();
  }
  u *= record.N;
  u += T;
  u.shift(-k);
  if (u >= record.N) u -= record.N;
  return u;
}

}  // namespace quorvel
