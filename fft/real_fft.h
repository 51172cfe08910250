// The extended-precision real FFT under both FFT products.
//
// All three routines expect the x87 unit at 64-bit precision with rounding to
// nearest (Linux's default; the products set it explicitly).
#pragma once

namespace quorvel {

// In-place real DFT of n extended reals, n a power of two >= 4.
//
// direction >= 0 (forward) leaves the packed spectrum of x = a[0..n):
//   a[0]      = sum x_j
//   a[1]      = sum x_j (-1)^j                           (frequency n/2)
//   a[2k]     = sum x_j cos(2 pi jk/n),  0 < k < n/2
//   a[2k + 1] = sum x_j sin(2 pi jk/n),  0 < k < n/2
// direction < 0 (inverse) takes such a spectrum back to (n/2) x: the factor
// n/2 is deliberately left in, the products divide it out in integer
// arithmetic.
//
// Work tables: w holds n/2 extended reals, ip n/2 ints. ip[0] is the nw the
// twiddle table w[0..nw) was built for, ip[1] the nc of the cosine table
// w[nw..nw + nc). Set ip[0] = 0 before the first call; a table is rebuilt only
// when n > 4 * ip[0] (resp. 4 * ip[1]) and otherwise reused, so a smaller n
// after a larger one costs nothing. No allocation, no checks.
void realFft(int n, int direction, long double* a, int* ip, long double* w);

// Builds the complex-transform tables for transforms of up to 4 * nw reals:
// w[0..nw) holds e^(2 pi i k / (2 nw)) for 0 <= k < nw/2 as (cos, sin) pairs
// and ip[2..] the bit-reversal table (2^floor(log2(2 nw)/2) entries). Sets
// ip[0] = nw and ip[1] = 1, so the cosine table is rebuilt after it.
void makeTwiddles(int nw, int* ip, long double* w);

// Builds the cosine table of the real post-processing, c[0..nc), c = w + nw:
// with delta = (pi/4)/(nc/2), c[0] = cos(pi/4), c[nc/2] = cos(pi/4)/2 and
// for 0 < j < nc/2: c[j] = cos(delta j)/2, c[nc - j] = sin(delta j)/2.
// Sets ip[1] = nc.
void makeCosTable(int nc, int* ip, long double* c);

// Ints of ip that realFft(n, ...) touches when it builds its own tables;
// never more than the n/2 of the contract above.
int realFftIndexTableSize(int n);

}  // namespace quorvel
