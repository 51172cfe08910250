// Complex transform under realFft: radix-4 decimation in frequency with
// split storage, one bit-reversal pass at the end.
//
// Radix-4 DIF step on a block of L points, q = L/4, 0 <= j < q, with
// w = e^(+2 pi i/L) (forward; the inverse conjugates w and swaps i for -i):
//   a0 = x_j + x_(j+2q)     a1 = x_j - x_(j+2q)
//   b0 = x_(j+q) + x_(j+3q) d1 = x_(j+q) - x_(j+3q)
//   x_j      <- a0 + b0                 (frequencies 0 mod 4)
//   x_(j+q)  <- (a0 - b0) w^(2j)        (2 mod 4)
//   x_(j+2q) <- (a1 + i d1) w^j         (1 mod 4)
//   x_(j+3q) <- (a1 - i d1) w^(3j)      (3 mod 4)
// Placing frequency class 2 before class 1 makes the four quarters follow
// the bit-reversed order of two radix-2 steps, so a final radix-2 step for
// odd log2(points) and one bit reversal put the spectrum in natural order.
//
// Blocks larger than FFT_LEAF_POINTS are split depth-first (one pass over
// the block, then its quarters), so every block of the recursion is
// streamed once per level and the small ones stay in cache. Leaves run their
// levels one after another inside the first-level cache and end with a
// twiddle-free 4-point or 2-point kernel.
//
// Storage. The forward transform reads extended reals and leaves split
// pairs (split_storage.h), which the real post-processing turns back into
// extended reals as it reads them; the inverse reads the split pairs written
// by the real pre-processing and leaves extended reals. Every value is thus
// stored as an 80-bit real once per direction, the least the interface of
// realFft allows. The first pass of a transform converts; the last level
// writes the output encoding and the bit reversal only moves bytes.
//
// Twiddles: the table holds w^k for the first quarter circle only,
// k < points/4. Exponents 2j and 3j of a pass reach 3/4 of the circle; they
// are taken from the table after removing a quarter turn
// (w^(k + L/4) = i w^k) or a half turn (w^(k + L/2) = -w^k), both exact. The
// j range of a pass is cut where 2j or 3j crosses a quarter, and each piece
// runs a kernel with its rotations fixed at compile time. The table's order
// keeps the entries of each pass close together (twiddle_order.h).
#include <algorithm>
#include <cstring>

#include "fft/complex_fft.h"
#include "fft/limits.h"
#include "fft/split_storage.h"
#include "fft/twiddle_order.h"

namespace quorvel::detail {
namespace {

struct TwiddleTable {
  const long double* w;  // (cos, sin) pairs in twiddlePosition order
  int entries;
  const long double* entry(int k) const { return w + 2 * twiddlePosition(k, entries); }
};

// Stores (re, im) * i^Rotation * t into a complex point in split form, where
// t = (c, s) = table entry for the forward transform and its conjugate for
// the inverse (i^Rotation is then conjugated as well). With
// P = re c - im s, Q = re s + im c (forward) or P = re c + im s,
// Q = im c - re s (inverse), the product is
//   forward: (P, Q), (-Q, P), (-P, -Q)  for Rotation 0, 1, 2;
//   inverse: (P, Q), (Q, -P), (-P, -Q).
// HoldEntry keeps c and s on the x87 stack for both products. Where six
// other values are live that would overflow the eight-deep stack into 80-bit
// spills (7 cycles a store), so there each product reads the entry again.
template <int Rotation, bool Inverse, bool HoldEntry>
inline void storeRotated(long double* point, long double re, long double im, const long double* entry) {
  // Which part of the point P and Q land in, and with which sign.
  constexpr int pPart = Rotation == 1 ? 1 : 0;
  constexpr bool pNegated = Rotation == 2 || (Rotation == 1 && Inverse);
  constexpr bool qNegated = Rotation == 2 || (Rotation == 1 && !Inverse);
  if constexpr (HoldEntry) {
    const long double c = entry[0], s = entry[1];
    const long double p = Inverse ? re * c + im * s : re * c - im * s;
    storeSplit(point + pPart, pNegated ? -p : p);
    const long double q = Inverse ? im * c - re * s : re * s + im * c;
    storeSplit(point + (1 - pPart), qNegated ? -q : q);
  } else {
    const long double p = Inverse ? re * entry[0] + im * entry[1] : re * entry[0] - im * entry[1];
    storeSplit(point + pPart, pNegated ? -p : p);
    const long double q = Inverse ? im * entry[0] - re * entry[1] : re * entry[1] + im * entry[0];
    storeSplit(point + (1 - pPart), qNegated ? -q : q);
  }
}

// One radix-4 DIF step for j in [jBegin, jEnd) of a block of 4 quarter
// points whose twiddle w^k is table.entry(stride k). Operations are ordered so that
// at most eight values are live: the real parts first, then the imaginary
// parts, then the three rotations; the x87 stack never spills.
template <bool Inverse, bool FromExtended, int Rotation2, int Rotation3>
void radix4Span(long double* x, int quarter, int jBegin, int jEnd, const TwiddleTable& table, int stride) {
  for (int j = jBegin; j < jEnd; ++j) {
    long double* x0 = x + 2 * j;
    long double* x1 = x0 + 2 * quarter;
    long double* x2 = x1 + 2 * quarter;
    long double* x3 = x2 + 2 * quarter;
    const long double* w1 = table.entry(stride * j);
    const long double* w2 = table.entry(stride * (2 * j - Rotation2 * quarter));
    const long double* w3 = table.entry(stride * (3 * j - Rotation3 * quarter));

    long double x0r = loadSlot<FromExtended>(x0), x2r = loadSlot<FromExtended>(x2);
    const long double a0r = x0r + x2r, a1r = x0r - x2r;
    long double x1r = loadSlot<FromExtended>(x1), x3r = loadSlot<FromExtended>(x3);
    const long double b0r = x1r + x3r, d1r = x1r - x3r;
    storeSplit(x0, a0r + b0r);
    const long double t2r = a0r - b0r;

    long double x0i = loadSlot<FromExtended>(x0 + 1), x2i = loadSlot<FromExtended>(x2 + 1);
    const long double a0i = x0i + x2i, a1i = x0i - x2i;
    long double x1i = loadSlot<FromExtended>(x1 + 1), x3i = loadSlot<FromExtended>(x3 + 1);
    const long double b0i = x1i + x3i, d1i = x1i - x3i;
    storeSplit(x0 + 1, a0i + b0i);
    const long double t2i = a0i - b0i;

    storeRotated<Rotation2, Inverse, false>(x1, t2r, t2i, w2);
    // a1 + i d1 (forward) or a1 - i d1 (inverse) feeds w^j; the other one w^(3j).
    const long double plusRe = Inverse ? a1r + d1i : a1r - d1i;
    const long double plusIm = Inverse ? a1i - d1r : a1i + d1r;
    const long double minusRe = Inverse ? a1r - d1i : a1r + d1i;
    const long double minusIm = Inverse ? a1i + d1r : a1i - d1r;
    storeRotated<0, Inverse, true>(x2, plusRe, plusIm, w1);
    storeRotated<Rotation3, Inverse, true>(x3, minusRe, minusIm, w3);
  }
}

// A full radix-4 DIF step over a block of `points` (>= 4) points.
template <bool Inverse, bool FromExtended>
void radix4Pass(long double* x, int points, const TwiddleTable& table, int stride) {
  const int quarter = points / 4;
  // First j with 3j >= L/4, 2j >= L/4 and 3j >= L/2 (L = points).
  const int rotate3 = (points + 11) / 12;
  const int rotate2 = (points + 7) / 8;
  const int flip3 = (points + 5) / 6;
  radix4Span<Inverse, FromExtended, 0, 0>(x, quarter, 0, rotate3, table, stride);
  radix4Span<Inverse, FromExtended, 0, 1>(x, quarter, rotate3, rotate2, table, stride);
  radix4Span<Inverse, FromExtended, 1, 1>(x, quarter, rotate2, flip3, table, stride);
  radix4Span<Inverse, FromExtended, 1, 2>(x, quarter, flip3, quarter, table, stride);
}

// Last level when log2(points) is even: twiddle-free 4-point butterflies on
// consecutive groups of four points.
template <bool Inverse, bool FromExtended, bool ToExtended>
void radix4Final(long double* x, int groups) {
  for (int g = 0; g < groups; ++g, x += 8) {
    long double x0r = loadSlot<FromExtended>(x), x2r = loadSlot<FromExtended>(x + 4);
    const long double a0r = x0r + x2r, a1r = x0r - x2r;
    long double x1r = loadSlot<FromExtended>(x + 2), x3r = loadSlot<FromExtended>(x + 6);
    const long double b0r = x1r + x3r, d1r = x1r - x3r;
    storeSlot<ToExtended>(x, a0r + b0r);
    storeSlot<ToExtended>(x + 2, a0r - b0r);
    long double x0i = loadSlot<FromExtended>(x + 1), x2i = loadSlot<FromExtended>(x + 5);
    const long double a0i = x0i + x2i, a1i = x0i - x2i;
    long double x1i = loadSlot<FromExtended>(x + 3), x3i = loadSlot<FromExtended>(x + 7);
    const long double b0i = x1i + x3i, d1i = x1i - x3i;
    storeSlot<ToExtended>(x + 1, a0i + b0i);
    storeSlot<ToExtended>(x + 3, a0i - b0i);
    storeSlot<ToExtended>(x + 4, Inverse ? a1r + d1i : a1r - d1i);
    storeSlot<ToExtended>(x + 5, Inverse ? a1i - d1r : a1i + d1r);
    storeSlot<ToExtended>(x + 6, Inverse ? a1r - d1i : a1r + d1i);
    storeSlot<ToExtended>(x + 7, Inverse ? a1i + d1r : a1i - d1r);
  }
}

// Last level when log2(points) is odd: 2-point butterflies (no twiddle, the
// same in both directions).
template <bool ToExtended>
void radix2Final(long double* x, int pairs) {
  for (int p = 0; p < pairs; ++p, x += 4) {
    long double x0r = loadSplit(x), x1r = loadSplit(x + 2);
    storeSlot<ToExtended>(x, x0r + x1r);
    storeSlot<ToExtended>(x + 2, x0r - x1r);
    long double x0i = loadSplit(x + 1), x1i = loadSplit(x + 3);
    storeSlot<ToExtended>(x + 1, x0i + x1i);
    storeSlot<ToExtended>(x + 3, x0i - x1i);
  }
}

// Every level below the first, on a block already in split storage.
// Inverse transforms end in extended storage, forward ones stay split.
template <bool Inverse>
void transformBlock(long double* x, int points, const TwiddleTable& table, int stride) {
  if (points > FFT_LEAF_POINTS) {
    radix4Pass<Inverse, false>(x, points, table, stride);
    const int quarter = points / 4;
    for (int k = 0; k < 4; ++k) transformBlock<Inverse>(x + 2 * k * quarter, quarter, table, 4 * stride);
    return;
  }
  int span = points;
  for (; span > 4; span /= 4, stride *= 4) {
    for (long double* block = x; block < x + 2 * points; block += 2 * span) {
      radix4Pass<Inverse, false>(block, span, table, stride);
    }
  }
  if (span == 4) {
    radix4Final<Inverse, false, Inverse>(x, points / 4);
  } else if (span == 2) {
    radix2Final<Inverse>(x, points / 2);
  }
}

// A complex point as raw bytes: the permutation only moves storage.
struct PointBytes {
  unsigned char bytes[2 * EXTENDED_SLOT_BYTES];
};

inline void swapPoints(long double* p, long double* q) {
  PointBytes t;
  std::memcpy(&t, p, sizeof t);
  std::memcpy(p, q, sizeof t);
  std::memcpy(q, &t, sizeof t);
}

// Bit reversal of `points` points in place. With
// log2(points) = 2h + r, an index is (high, middle, low) with h, r, h bits
// and its reversal is (rev(low), middle, rev(high)). Tiles of 8 x 8 (high,
// low) pairs choose the high values 8 apart in their top bits, so that both
// the elements read as (high, ., low) and their partners (rev(low), ., rev(high))
// come in runs of 8 consecutive points: whole cache lines on either side.
// Every element is visited once from each end of its pair; the smaller
// index does the swap.
void bitReverse(int points, long double* a, const int* reversedTable, int tableBits) {
  int bits = 0;
  while ((1 << bits) < points) ++bits;
  const int h = bits / 2;
  const int middleCount = 1 << (bits - 2 * h);
  const int side = 1 << h;
  const int shift = tableBits - h;
  const int tile = std::min(8, side);
  const int tileStep = side / tile;
  auto reversed = [&](int v) { return reversedTable[v] >> shift; };
  for (int highBase = 0; highBase < tileStep; ++highBase) {
    for (int lowBase = 0; lowBase < side; lowBase += tile) {
      for (int t = 0; t < tile; ++t) {
        const int high = highBase + t * tileStep;
        const int revHigh = reversed(high);
        for (int low = lowBase; low < lowBase + tile; ++low) {
          const int revLow = reversed(low);
          for (int middle = 0; middle < middleCount; ++middle) {
            const int i = ((high * middleCount + middle) << h) | low;
            const int j = ((revLow * middleCount + middle) << h) | revHigh;
            if (i < j) swapPoints(a + 2 * i, a + 2 * j);
          }
        }
      }
    }
  }
}

int tableBitsFor(int nw) {
  int bits = 0;
  while ((1 << bits) < 2 * nw) ++bits;
  return bits / 2;
}

template <bool Inverse>
void complexFft(int points, long double* a, int nw, const int* ip, const long double* w) {
  constexpr bool FromExtended = !Inverse;
  constexpr bool ToExtended = Inverse;
  if (points == 2) {
    // One butterfly, already in natural order.
    const long double r0 = loadSlot<FromExtended>(a), i0 = loadSlot<FromExtended>(a + 1);
    const long double r1 = loadSlot<FromExtended>(a + 2), i1 = loadSlot<FromExtended>(a + 3);
    storeSlot<ToExtended>(a, r0 + r1);
    storeSlot<ToExtended>(a + 1, i0 + i1);
    storeSlot<ToExtended>(a + 2, r0 - r1);
    storeSlot<ToExtended>(a + 3, i0 - i1);
    return;
  }
  if (points == 4) {
    // The first level is already the last one.
    radix4Final<Inverse, FromExtended, ToExtended>(a, 1);
    bitReverse(points, a, ip + 2, tableBitsFor(nw));
    return;
  }
  // The table holds e^(2 pi i k/(2 nw)); a block of L points steps through it
  // by (2 nw)/L per unit of its own exponent.
  const TwiddleTable table{w, nw / 2};
  const int stride = 2 * nw / points;
  radix4Pass<Inverse, FromExtended>(a, points, table, stride);
  const int quarter = points / 4;
  for (int k = 0; k < 4; ++k) transformBlock<Inverse>(a + 2 * k * quarter, quarter, table, 4 * stride);
  bitReverse(points, a, ip + 2, tableBitsFor(nw));
}

}  // namespace

void complexFftForward(int points, long double* a, int nw, const int* ip, const long double* w) {
  complexFft<false>(points, a, nw, ip, w);
}

void complexFftInverse(int points, long double* a, int nw, const int* ip, const long double* w) {
  complexFft<true>(points, a, nw, ip, w);
}

}  // namespace quorvel::detail
