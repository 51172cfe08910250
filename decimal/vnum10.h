// decimal: the decimal text of a binary value.
//
// vnum10 is a signed integer in base 10^8 (sign and magnitude) that exists
// only to print a vnum in decimal. toDecText cuts |v| into 60-bit chunks,
// turns each into a small vnum10 and merges neighbours pairwise, level by
// level: at level k a piece becomes hi * 2^(30*2^k) + lo. The multipliers are
// binPowerLadder entries, loaded at start-up from the V10R table
// (loadPowerTable; loadEmbeddedPowerTable in v10r_data.h hands it the copy
// linked into the program) or squared on first use and kept.
//
// One conversion of 5,000,000 bits: 166,667 limbs pad to 2^18, giving 2^17
// pieces and 17 levels. Each merge is vnum10::mulAssign (signs, 1 x 1 limbs),
// which hands the magnitudes to vnum10::mulMagnitudes; that allocates one
// scratch area and passes the limbs to its span overload, the dispatcher,
// which picks by total size (limits.h) the schoolbook kernel, Karatsuba,
// Toom-3 or Toom-2.5 (the kernels of vnum/mul_*.h in base 10^8, whose
// sub-products come back to it), pieces for a short operand, or one FFT
// product (mulFft: the fftProductDecimal transform) in mode 0 or 1. An FFT
// product whose rounding came too close to a half is redone by a Toom-3
// split, whose transforms are shorter. With the limits measured today the
// merges from about 28,000 limbs up (the top three levels of a 5,000,000-bit
// conversion, the top merge about 188,000 limbs) are single transforms.
// writeDecimal prints the final piece through digitQuads.
// Cancellation is polled before each level, each merge and each product; a
// cancelled conversion leaves the text buffer as it was.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "decimal/limits.h"
#include "fft/limits.h"
#include "vnum/vnum.h"

namespace quorvel {

class vnum10 {
 public:
  uint8_t plus;  // 1: zero or positive, 0: negative (sign and magnitude)
  int32_t len;   // limbs in use, >= 1; the top one is non-zero after trim()
  int32_t cap;   // limbs allocated
  std::unique_ptr<int32_t[]> limbs;  // 0 .. 99,999,999 each, least significant first

  // Zero: one limb, DEC_FRESH_CAP allocated.
  vnum10();
  vnum10(int32_t v);
  vnum10(int64_t v);
  vnum10(long long v) : vnum10(static_cast<int64_t>(v)) {}
  // Copies allocate exactly len limbs; a source with len 0 copies as zero.
  vnum10(const vnum10& other);
  vnum10& operator=(const vnum10& other);
  // A moved-from value is left as a fresh zero.
  // Not noexcept: the fresh zero's storage is allocated, and may fail.
  vnum10(vnum10&& other);
  vnum10& operator=(vnum10&& other) noexcept;
  virtual ~vnum10();

  void swap(vnum10& other) noexcept;

  // Extends to n limbs with zero limbs above the old top; never shrinks.
  void growTo(int32_t n);
  // Lowers len while the top limb is 0 and len > 1.
  void trim();
  // The number of limbs without the zero limbs on top (at least 1).
  int32_t trimmedLength() const;
  bool isZero() const;

  // this <- -this and a copy of the result. Zero keeps plus = 1.
  vnum10 negate();
  // 1 when the values or the sign flags differ (+0 and a zero marked
  // negative differ); 0 otherwise. An equality test only.
  int differs(const vnum10& other) const;

  void addAssign(const vnum10& other);
  void subAssign(const vnum10& other);
  // this <- this * other; other may be this. An aborted product is a
  // meaningless value.
  void mulAssign(const vnum10& other);

  // Writes "-" (negative non-zero values only), the top limb without leading
  // zeros and every lower limb as exactly eight digits. Never writes more
  // than size bytes: text that does not fit is cut at size - 1 characters
  // and NUL-terminated; size 0 writes nothing.
  void writeDecimal(char* buffer, size_t size) const;

  // result <- |x| * |y| for trimmed lengths t >= u (the caller passes the
  // larger first); result must be neither x nor y. Zero when the calling
  // thread is cancelled. An FFT product whose rounding distance exceeds
  // trustedError is recomputed by a method with more margin; tests lower the
  // bound to force those paths.
  static void mulMagnitudes(vnum10& result, const vnum10& x, const vnum10& y,
                            double trustedError = FFT_TRUSTED_ROUNDING_ERROR);
  // The dispatcher on limb spans: out[0 .. t+u) <- x y for t >= u >= 1 (a
  // square when x == y and t == u), leading zero limbs allowed. Polls the
  // abort flag first: a cancelled call writes zeros and returns. scratch
  // holds mulScratchLimbs(t) limbs; out overlaps none of x, y and scratch.
  static void mulMagnitudes(int32_t* out, const int32_t* x, int32_t t, const int32_t* y, int32_t u,
                            int32_t* scratch, double trustedError = FFT_TRUSTED_ROUNDING_ERROR);
  // result <- |x| * |y| by one FFT product in mode 0 (the fastest shape the
  // precision table trusts) or 1 (a wider margin), x of t >= 1 limbs, y of
  // u >= 1 limbs. Returns the largest rounding distance of the transform (0
  // when cancelled, the result then zero), or +infinity when no shape of the
  // mode holds the product or the limbs prove wrong (longer than t + u
  // limbs).
  static double mulFft(vnum10& result, const vnum10& x, const vnum10& y, int mode);
};

// digitQuads[4i .. 4i+4) is i printed as four digits with leading zeros.
extern const std::array<char, DIGIT_QUAD_SIZE> digitQuads;

// binPowerLadder[k]: null, or 2^(30*2^k) in base 10^8 (entry 0, 2^30, is
// never read by the conversion). An entry is built completely before a
// release-store publishes it and is then never changed nor freed, so readers
// on any thread (a cancelled worker still finishing beside its successor)
// see either null or the whole value. Entries live until the process ends:
// a worker that is never joined may still read them during exit.
extern std::atomic<const vnum10*> binPowerLadder[BIN_POWER_LADDER_SIZE];

// The published entry k, or null.
const vnum10* binPowerLadderEntry(int k);
// Publishes value as entry k unless the entry is already set (every source
// of entry k holds the same power, so the first one stays). Returns the entry
// now in place.
const vnum10* publishBinPowerLadderEntry(int k, std::unique_ptr<vnum10> value);
// For tests and benchmarks only: frees every entry and leaves the ladder
// empty. No other thread may be converting meanwhile.
void resetBinPowerLadderForTesting();

// Loads V10R records (little-endian: a signed 32-bit limb count N, then N
// base-10^8 limbs of 2^(30*2^k), for k = 0, 1, ...) into binPowerLadder
// entries that are still empty. Stops after the 21st record, and before a
// record with a count <= 0, one that would end past size bytes, or one with a
// limb that is not a base-10^8 digit or a zero top limb. Returns the number
// of records accepted.
int loadPowerTable(const void* data, size_t size);

// Writes the decimal text of x (an optional "-", digits, no leading zeros;
// zero is "0") into out, at most size bytes including the terminating NUL;
// longer text is cut at size - 1 characters. x is not changed. When the
// calling thread is cancelled the buffer is left as it was.
void toDecText(const vnum& x, char* out, size_t size);

}  // namespace quorvel
