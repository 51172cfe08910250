// Twiddle, cosine and bit-reversal tables of the real FFT.
//
// Every table entry is computed directly from its angle in extended
// precision, never by recurrence, so each is within about one unit in the
// last place of the true value. Angles are kept at or below pi/4 and written
// as (pi/4) * (k / 2^e), where the ratio is exact: the only rounding in the
// argument is that of the product, and the octant symmetry
// cos(pi/2 - x) = sin(x) covers the rest of the quarter circle.
#include <cmath>
#include <numbers>

#include "fft/real_fft.h"
#include "fft/twiddle_order.h"

namespace quorvel {
namespace {

constexpr long double QUARTER_PI = std::numbers::pi_v<long double> / 4;  // exact: pi/4 = pi * 2^-2

int log2Exact(int value) {
  int bits = 0;
  while ((1 << bits) < value) ++bits;
  return bits;
}

}  // namespace

int realFftIndexTableSize(int n) {
  // Bit reversal of n/2 points keeps a table over half of the index bits.
  int halfBits = log2Exact(n / 2) / 2;
  return 2 + (halfBits > 0 ? 1 << halfBits : 0);
}

void makeTwiddles(int nw, int* ip, long double* w) {
  ip[0] = nw;
  ip[1] = 1;
  // Transforms of up to 4 nw reals are complex transforms of up to
  // points = 2 nw points; their radix-4 passes need e^(2 pi i k/points) for
  // the first quarter circle only, k < points/4 = nw/2.
  const int points = 2 * nw;
  const long double eighth = points / 8.0L;  // k = eighth is the angle pi/4
  for (int k = 0; k < nw / 2; ++k) {
    long double s, c;
    if (k <= eighth) {
      sincosl(QUARTER_PI * (k / eighth), &s, &c);
    } else {
      sincosl(QUARTER_PI * ((points / 4 - k) / eighth), &c, &s);
    }
    const int position = detail::twiddlePosition(k, nw / 2);
    w[2 * position] = c;
    w[2 * position + 1] = s;
  }

  // Bit reversal over floor(log2(points)/2) bits; shorter transforms shift
  // the entries down (reversing fewer bits drops the low ones of the result).
  const int halfBits = log2Exact(points) / 2;
  if (halfBits == 0) return;
  int* reversed = ip + 2;
  reversed[0] = 0;
  for (int bit = 0; bit < halfBits; ++bit) {
    // Entries [2^bit, 2^(bit+1)) are the earlier ones with bit `bit` set,
    // which lands on bit halfBits - 1 - bit of the reversal.
    const int span = 1 << bit;
    const int high = 1 << (halfBits - 1 - bit);
    for (int j = 0; j < span; ++j) reversed[span + j] = reversed[j] + high;
  }
}

void makeCosTable(int nc, int* ip, long double* c) {
  ip[1] = nc;
  if (nc <= 1) return;
  const int nch = nc / 2;
  const long double delta = QUARTER_PI / nch;  // exact: nch is a power of two
  c[0] = cosl(delta * nch);
  c[nch] = 0.5L * c[0];
  for (int j = 1; j < nch; ++j) {
    long double s, co;
    sincosl(delta * j, &s, &co);
    c[j] = 0.5L * co;
    c[nc - j] = 0.5L * s;
  }
}

}  // namespace quorvel
