// The complex transform inside realFft (internal to the fft library).
#pragma once

namespace quorvel::detail {

// In-place unscaled complex DFT of `points` points (a power of two >= 2)
// held as (re, im) extended pairs in a[0 .. 2 points):
//   forward: X_k = sum_j x_j e^(+2 pi i jk/points)
//   inverse: X_k = sum_j x_j e^(-2 pi i jk/points)
// w and ip are the tables of makeTwiddles(nw, ...), built for at least
// `points` points (points <= 2 nw).
//
// Storage (split_storage.h): the forward transform reads extended reals and
// leaves split pairs; the inverse reads split pairs and leaves extended
// reals. The real post- and pre-processing, which touch every value anyway,
// do the other half of each conversion.
void complexFftForward(int points, long double* a, int nw, const int* ip, const long double* w);
void complexFftInverse(int points, long double* a, int nw, const int* ip, const long double* w);

}  // namespace quorvel::detail
