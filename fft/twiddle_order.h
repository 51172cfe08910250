// Order of the complex twiddle table (internal to the fft library).
//
// The table holds t_k = e^(2 pi i k/P) for 0 <= k < K = P/4, P the largest
// transform size in points. A radix-4 pass on blocks of L points reads the
// exponents k = s j, s = P/L, for j < L/4. In plain order those lie s
// entries apart, one cache line each, and the passes of a large transform
// miss the cache on nearly every twiddle (this doubled the time of a 2^22
// point transform). The table is therefore ordered by the 2-adic valuation of
// k: first the odd k, then k = 2 x odd, then 4 x odd, ..., and t_0 last.
// Each group is in increasing order, so the exponents s j of any pass read a
// few groups front to back, and a pass on blocks of L points touches only
// L/4 entries (8 L bytes) in all.
#pragma once

namespace quorvel::detail {

// Position of exponent k (0 <= k < entries, entries a power of two).
// With k = 2^e u, u odd: the groups before e hold entries - entries/2^e
// exponents and u is the (u - 1)/2-th of its group. k = 0 takes e =
// log2(entries), which yields the last position.
inline int twiddlePosition(int k, int entries) {
  const int e = __builtin_ctz(static_cast<unsigned>(k | entries));
  return entries - (entries >> e) + (k >> (e + 1));
}

}  // namespace quorvel::detail
