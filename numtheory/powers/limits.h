// Powers: power (power.cpp, x^y by binary exponentiation under the cap),
// the Montgomery constants of a stored modulus (set_modulus.cpp), REDC on
// vnum values (montgomery_reduce.cpp) and the sliding-window modular power
// (modular_power.cpp), which runs on 64-bit word spans (words/) for moduli up
// to MODPOW_WORD_MAX_BITS and on vnum products above. Below are the sizes
// and limits of the Montgomery modulus and the modular power.
#pragma once

#include <cstdint>

namespace quorvel {

// --- Montgomery modulus ---

// Moduli up to this many bits get -N^-1 mod 2^k from the bit-serial loop,
// which costs k additions of k-bit values; larger ones lift the inverse by
// Newton's iteration mod 2^(2j), which costs a few products. At 5,000,000
// bits the loop would run for tens of minutes without any poll.
inline constexpr int64_t NP_BIT_SERIAL_MAX_BITS = 2048;

// --- modular power ---

// Moduli up to this many bits are exponentiated on 64-bit words with the
// word-by-word reduction (quadratic, no allocation in the loop); larger ones
// on vnum products with REDC by two more products. A whole modular power
// (exponent as long as the modulus), words / vnum, thread CPU time on this
// 2-core machine at load 1.2, two runs: 0.81-0.94 at 1,024 bits, 0.34-0.54
// at 1,536, 0.53-0.63 at 2,048, 0.83-1.18 at 3,072, 0.80-0.98 at 4,096,
// 1.39-1.53 at 8,192. (With the products of before, schoolbook up to 100
// combined limbs and a transform above, one squaring met near 160,000
// bits.) Faster vnum products move it down. On AVX-512 IFMA the same moduli
// run on 52-bit digits instead (word_montgomery_ifma.cpp), about twice as
// fast again; the limit was not measured again for that path.
//
// The window width comes from the cost model of slidingWindowBits (table
// products against one product per w + 1 exponent bits). Measured at 4,096
// bits on the 64-bit word path (`quorvel-bench "modular power"`, one thread,
// ours / GMP, two runs each, load 4 to 6): w = 4 1.18, 1.12; 5 1.06, 1.06;
// 6 1.10, 1.14; 7 (the model's choice) 1.11, 1.03; 8 0.97, 1.31: within the
// noise of each other, as the model says (the widths from 5 to 8 differ by
// under 3% of the products).
inline constexpr int64_t MODPOW_WORD_MAX_BITS = 4096;
// Widest window of the sliding-window power (bits): its table holds
// 2^(w-1) odd powers. The cost model stops paying beyond this width for
// any exponent within the cap.
inline constexpr int MODPOW_MAX_WINDOW_BITS = 10;
// The table of odd powers may hold at most this many bytes of forms, so
// that a huge modulus takes a narrower window instead of a huge table.
inline constexpr int64_t MODPOW_TABLE_MAX_BYTES = int64_t{16} << 20;

}  // namespace quorvel
