// realFft: a real DFT of n points as a complex DFT of n/2 points plus a
// post-processing pass (and its mirror image for the inverse).
//
// With z_m = x_(2m) + i x_(2m+1), M = n/2 and Z its forward complex DFT,
// the even and odd halves are E_k = (Z_k + conj Z_(M-k))/2 and
// O_k = (Z_k - conj Z_(M-k))/(2i), and X_k = E_k + e^(2 pi i k/n) O_k. That is
//   X_k     = Z_k - Y,  X_(M-k) = Z_(M-k) + conj Y,
//   Y       = (1/2)(1 + i e^(2 pi i k/n)) (Z_k - conj Z_(M-k)),
// where (1/2)(1 + i e^(i theta)) = (1/2 - sin(theta)/2) + i cos(theta)/2 comes
// from the cosine table. k = 0 and k = M/2 need no table: X_0 and X_(n/2) are
// E_0 + O_0 and E_0 - O_0, and X_(M/2) = Z_(M/2).
// The inverse solves the same relations for Z (conjugated factor) and runs
// the inverse complex DFT, whose missing 1/M is the n/2 the products rely on.
#include "fft/complex_fft.h"
#include "fft/real_fft.h"
#include "fft/split_storage.h"

namespace quorvel {
namespace {

using detail::loadSlot;
using detail::storeSlot;

// Pairs (j, n - j) of the packed spectrum for 2 <= j < n/2; c is the cosine
// table for nc entries (nc >= n/4), stepped by 4 nc/n per frequency. Forward:
// reads the split pairs left by the complex transform and writes extended
// reals; inverse: the other way round. Points 0 and n/4 are not touched.
template <bool Inverse>
void realPostprocess(int n, long double* a, int nc, const long double* c) {
  constexpr bool InputExtended = Inverse;
  constexpr bool OutputExtended = !Inverse;
  const int m = n / 2;
  const int step = 2 * nc / m;
  int kk = 0;
  for (int j = 2; j < m; j += 2) {
    const int k = n - j;
    kk += step;
    const long double wkr = 0.5L - c[nc - kk];
    const long double wki = c[kk];
    const long double ajr = loadSlot<InputExtended>(a + j), aji = loadSlot<InputExtended>(a + j + 1);
    const long double akr = loadSlot<InputExtended>(a + k), aki = loadSlot<InputExtended>(a + k + 1);
    const long double xr = ajr - akr;
    const long double xi = aji + aki;
    const long double yr = Inverse ? wkr * xr + wki * xi : wkr * xr - wki * xi;
    const long double yi = Inverse ? wkr * xi - wki * xr : wkr * xi + wki * xr;
    storeSlot<OutputExtended>(a + j, ajr - yr);
    storeSlot<OutputExtended>(a + j + 1, aji - yi);
    storeSlot<OutputExtended>(a + k, akr + yr);
    storeSlot<OutputExtended>(a + k + 1, aki - yi);
  }
}

}  // namespace

void realFft(int n, int direction, long double* a, int* ip, long double* w) {
  int nw = ip[0];
  if (n > 4 * nw) {
    nw = n / 4;
    makeTwiddles(nw, ip, w);
  }
  int nc = ip[1];
  if (n > 4 * nc) {
    nc = n / 4;
    makeCosTable(nc, ip, w + nw);
  }
  const int m = n / 2;  // a[m], a[m + 1]: the point n/4, X_(n/4) = Z_(n/4)
  if (direction >= 0) {
    detail::complexFftForward(m, a, nw, ip, w);
    realPostprocess<false>(n, a, nc, w + nw);
    a[m] = loadSlot<false>(a + m);
    a[m + 1] = loadSlot<false>(a + m + 1);
    // Z_0 = E_0 + i O_0 gives X_0 = E_0 + O_0 and X_(n/2) = E_0 - O_0.
    const long double e0 = loadSlot<false>(a), o0 = loadSlot<false>(a + 1);
    a[0] = e0 + o0;
    a[1] = e0 - o0;
  } else {
    const long double o0 = 0.5L * (a[0] - a[1]);
    storeSlot<false>(a, a[0] - o0);
    storeSlot<false>(a + 1, o0);
    storeSlot<false>(a + m, a[m]);
    storeSlot<false>(a + m + 1, a[m + 1]);
    realPostprocess<true>(n, a, nc, w + nw);
    detail::complexFftInverse(m, a, nw, ip, w);
  }
}

}  // namespace quorvel
