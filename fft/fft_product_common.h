// The part of an FFT product shared by the binary and decimal routines
// (internal to the fft library): balanced digits, their convolution through
// either transform, and the carries' ranges.
//
// Balanced digits (after Crandall and Fagin, "Discrete weighted
// transforms and large-integer arithmetic", 1994). An operand cut into
// digits r_j in [0, B) is rewritten as sum d_j B^j with
//   d_j = r_j + g_(j-1) - B g_j,  g_j = [r_j >= B/2],  g_(-1) = 0,
// so every digit but the top one lies in [-B/2, B/2]; the top one keeps
// r_top + g_(top-1) in [0, B], so that no digit is added. Each digit
// depends on its raw digit and the one below, not on a chain of borrows:
// any range of digits is cut on its own. The transforms see the same
// magnitudes as digits centred on B/2 would give, but the convolution of
// balanced digits is the product's own signed coefficients c_j, with
// nothing to add back, and a number of maximal digits (2^n - 1) becomes
// sparse: it rounds with almost no error. The worst case for the rounding
// is a number whose every digit is B/2 - 1 (or B/2), a constant digit of
// the largest size.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <type_traits>
#include <vector>

#include "fft/avx2_plan.h"
#include "fft/buffer_cache.h"
#include "fft/fft_plan.h"
#include "fft/fft_product.h"
#include "fft/parallel_pieces.h"
#include "fft/split_storage.h"

namespace quorvel::detail {

// The balanced digits of one operand, cut on demand in any range, so that
// they go straight into a transform buffer (fft_product_binary.cpp,
// fft_product_decimal.cpp).
class BalancedDigits {
 public:
  BalancedDigits(int64_t count, int32_t base) : count_(count), base_(base) {}
  virtual ~BalancedDigits() = default;
  int64_t count() const { return count_; }
  int32_t base() const { return base_; }
  // out[0 .. end - begin) <- d_begin .. d_(end-1), and zeros for the
  // positions from count on, 0 <= begin <= end.
  void cut(int64_t begin, int64_t end, int32_t* out) const;
  // The same before balancing, for a caller that balances many digits at
  // once: out[1 .. end - begin] <- r_begin .. r_(end-1) (zeros from count
  // on), and out[0] <- r_(begin-1), the digit whose borrow d_begin takes,
  // or 0 when there is none (begin 0, or begin past the top digit, which
  // gives no borrow).
  void cutRaw(int64_t begin, int64_t end, int32_t* out) const;

 protected:
  // The unbalanced digit r_j, from the limbs directly.
  virtual int32_t raw(int64_t j) const = 0;
  // out[0 .. end - begin) <- r_begin .. r_(end-1), read through a window,
  // end <= count.
  virtual void cutRawDigits(int64_t begin, int64_t end, int32_t* out) const = 0;

 private:
  int64_t count_;
  int32_t base_;
};

// The largest possible coefficient of two digit sequences of these lengths,
// min(Dx, Dy) (base - 1)^2, stays below 2^62: then every c_j and every carry
// of the routines fit a 64-bit word with room for their sums.
bool coefficientsFit(int64_t dx, int64_t dy, int32_t base);

// The rounded coefficients c_j, j < count, left in the transform buffer
// that computed them: point j holds c_j and c_(j+M) as 64-bit integers in
// the first slot of its real and of its imaginary half. Word i of the
// buffer, for the low half of point p, is (p >> shift) group + (p & mask),
// plus `half` for the high half.
class Coefficients {
 public:
  Coefficients() = default;
  template <class Point>
  Coefficients(Buffer<Point> buffer, int points, int64_t count)
      : words_(reinterpret_cast<const unsigned char*>(buffer.get())),
        buffer_(std::move(buffer)),
        points_(points),
        count_(count),
        layout_(std::is_same_v<Point, PointQuad> ? QUADS : SPLIT_POINTS) {}

  int64_t count() const { return count_; }
  // body(c_j) for j = begin, ..., end - 1 in order, end <= count.
  template <class Body>
  void forEach(int64_t begin, int64_t end, Body&& body) const {
    // Points [from, to) of one half: a pointer walks the words, jumping over
    // the other half's words after each point's (or quad's) lanes.
    auto walk = [&](int64_t from, int64_t to, int64_t half) {
      const int64_t lanes = layout_.mask + 1, skip = layout_.group - lanes;
      const unsigned char* word =
          words_ + 8 * ((from >> layout_.shift) * layout_.group + (from & layout_.mask) + half);
      int64_t lane = from & layout_.mask;
      for (int64_t p = from; p < to; ++p) {
        int64_t value;
        std::memcpy(&value, word, sizeof value);
        body(value);
        word += 8;
        if (++lane == lanes) {
          lane = 0;
          word += 8 * skip;
        }
      }
    };
    if (begin < points_) walk(begin, std::min(end, int64_t{points_}), 0);
    if (end > points_) walk(std::max(begin, int64_t{points_}) - points_, end - points_, layout_.half);
  }

 private:
  struct Layout {
    int64_t shift, group, mask, half;
  };
  static constexpr Layout QUADS = {2, 8, 3, 4};         // re[4], im[4]
  static constexpr Layout SPLIT_POINTS = {0, 4, 0, 2};  // re.hi, re.lo, im.hi, im.lo
  int64_t word(int64_t p, int64_t half) const {
    int64_t value;
    std::memcpy(&value, words_ + 8 * ((p >> layout_.shift) * layout_.group + (p & layout_.mask) + half),
                sizeof value);
    return value;
  }

  const unsigned char* words_ = nullptr;
  std::shared_ptr<void> buffer_;
  int points_ = 0;
  int64_t count_ = 0;
  Layout layout_ = QUADS;
};

// How a convolution ended.
struct Convolution {
  bool aborted;
  double distance;  // largest |c - round(c)| seen; infinity if unusable
};

// One operand's forward transform for products of the given length and
// kernel, kept to multiply any number of other operands.
class DigitSpectrum {
 public:
  // Transforms the digits; aborted() when the abort flag stopped it.
  DigitSpectrum(const BalancedDigits& digits, int points, FftKernel kernel);
  DigitSpectrum(const DigitSpectrum&) = delete;
  DigitSpectrum& operator=(const DigitSpectrum&) = delete;

  bool aborted() const { return aborted_; }
  int64_t digitCount() const { return digitCount_; }
  int points() const { return points_; }
  FftKernel kernel() const { return kernel_; }
  // The transform of the kernel that is not in use stays null.
  const std::shared_ptr<const FftPlan>& x87Plan() const { return x87Plan_; }
  const SplitPoint* x87Spectrum() const { return x87Spectrum_.get(); }
  const std::shared_ptr<const Avx2Plan>& avx2Plan() const { return avx2Plan_; }
  const PointQuad* avx2Spectrum() const { return avx2Spectrum_.get(); }

 private:
  int64_t digitCount_;
  int points_;
  FftKernel kernel_;
  std::shared_ptr<const FftPlan> x87Plan_;
  Buffer<SplitPoint> x87Spectrum_;
  std::shared_ptr<const Avx2Plan> avx2Plan_;
  Buffer<PointQuad> avx2Spectrum_;
  bool aborted_ = false;
};

// c <- the coefficients c_j of x y (signed), exactly when the returned
// distance is below 1/2, for 0 <= j < Dx + Dy - 1, y being the spectrum's
// operand (2 points >= Dx + Dy - 1). Polls the abort flag between
// transforms and inside long ones; c is not set when it stops.
Convolution convolveDigits(const BalancedDigits& x, const DigitSpectrum& y, Coefficients& c);

// The same for y = x, with one forward transform less.
Convolution squareDigits(const BalancedDigits& x, int points, FftKernel kernel, Coefficients& c);

// What each kernel does for convolveDigits (x87_convolution.cpp,
// avx2_convolution.cpp), on a fresh buffer z of plan.points() points:
// transformDigits leaves the forward transform of the digits (point j
// holding d_j + i d_(j+M)) in z; convolveInto leaves there the rounded
// coefficients c_j, j < count, of x times the spectrum's operand (null:
// squared), as integers in the buffer's own words (Coefficients). Both poll
// the abort flag; false, or aborted, when it stopped them.
bool transformDigits(const FftPlan& plan, const BalancedDigits& digits, SplitPoint* z);
bool transformDigits(const Avx2Plan& plan, const BalancedDigits& digits, PointQuad* z);
Convolution convolveInto(const FftPlan& plan, const BalancedDigits& x, const SplitPoint* spectrum, int64_t count,
                         SplitPoint* z);
Convolution convolveInto(const Avx2Plan& plan, const BalancedDigits& x, const PointQuad* spectrum, int64_t count,
                         PointQuad* z);

// Digits are cut in chunks of at most this many, on the stack.
inline constexpr int DIGIT_CHUNK = 512;

// Writes the limbs of one range of a product's carry, from a position on.
// Limbs at or past the end of the output are kept as an excess, counted in
// units of the first limb past the end: a range may produce them before
// the carries of the ranges below it, which can be negative, are added.
class LimbWriter {
 public:
  LimbWriter(int32_t* out, int limbs, int64_t limbBase) : out_(out), limbs_(limbs), limbBase_(limbBase) {}
  void start(int64_t k) { k_ = k; }
  int64_t position() const { return k_; }
  // The next limb, in [0, limbBase).
  void put(int64_t limb) {
    if (k_ < limbs_) {
      out_[k_] = static_cast<int32_t>(limb);
    } else if (k_ - limbs_ < 2) {
      excess_ += k_ == limbs_ ? limb : limb * limbBase_;
    } else {
      fits_ = fits_ && limb == 0;
    }
    ++k_;
  }
  void fillToEnd() {
    for (; k_ < limbs_; ++k_) out_[k_] = 0;
  }
  bool fits() const { return fits_; }
  int64_t excess() const { return excess_; }

 private:
  int32_t* out_;
  int limbs_;
  int64_t limbBase_;
  int64_t k_ = 0;
  int64_t excess_ = 0;
  bool fits_ = true;
};

// out[0..limbs) <- the product, its coefficients [0, count) carried in
// ranges on the task pool. body(writer, begin, end, last) carries
// coefficients [begin, end) from 0 into limbs from writer.start() on (the
// last range all of them, its final carry included, the zero limbs above
// them written here) and returns the signed carry still to add at
// writer.position(). Every range but the last starts and
// ends at a multiple of `alignment` coefficients, where a digit starts on a
// limb boundary, so each range writes whole limbs of its own. Once all have
// run, each range's carry is added where it belongs, rippling upward
// (rarely more than a limb or two; a negative carry borrows). The sum of
// what ran past the end must then be zero, else the value did not fit (a
// true product always does). Limbs::LIMB_BASE is the limb base and
// Limbs::floorDivide(v, r) returns floor(v / LIMB_BASE) and sets r to the
// remainder in [0, LIMB_BASE).
template <class Limbs, class Body>
bool carryInRanges(int64_t count, int64_t alignment, int32_t* out, int limbs, Body&& body) {
  struct RangeEnd {
    int64_t position, carry, excess;
    bool fits;
  };
  const int ranges = rangeCount(count, FFT_PARALLEL_RANGE_POINTS);
  std::vector<RangeEnd> ends(static_cast<size_t>(ranges));
  auto cut = [&](int k) { return k == ranges ? count : count * k / ranges / alignment * alignment; };
  forRanges(ranges, ranges, [&](int r, int64_t, int64_t) {
    LimbWriter writer(out, limbs, Limbs::LIMB_BASE);
    const int64_t carry = body(writer, cut(r), cut(r + 1), r == ranges - 1);
    const int64_t position = writer.position();
    if (r == ranges - 1) writer.fillToEnd();
    ends[static_cast<size_t>(r)] = {position, carry, writer.excess(), writer.fits()};
  });
  int64_t excess = 0;
  for (const RangeEnd& e : ends) {
    if (!e.fits) return false;
    excess += e.excess;
    int64_t carry = e.carry, k = e.position;
    for (; carry != 0 && k < limbs; ++k) {
      int64_t low;
      const int64_t high = Limbs::floorDivide(carry, low);
      const int64_t sum = out[k] + low;
      int64_t limb;
      carry = high + Limbs::floorDivide(sum, limb);
      out[k] = static_cast<int32_t>(limb);
    }
    // What is left is worth carry LIMB_BASE^(k - limbs) in excess units.
    if (carry != 0 && k - limbs > 1) return false;
    excess += k == limbs ? carry : carry * Limbs::LIMB_BASE;
  }
  return excess == 0;
}

}  // namespace quorvel::detail
