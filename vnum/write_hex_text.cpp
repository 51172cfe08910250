// Hexadecimal text of a vnum: "+0x" or "-0x" and the two's complement bits
// of the displayed limbs as uppercase digits.
//
// The displayed limbs are the value's limbs trimmed to an even count: for a
// non-negative value every zero limb above the highest significant one is
// dropped, for a negative value the normal form is kept (a fill limb of
// 0x3fffffff shows as leading F digits). The 30*a bits are cut into bytes
// from the bottom, so the top group holds (30*a) mod 8 bits (8 when that is
// 0) and is printed without a leading zero. Two limbs give 15 digits, the
// least the display ever shows.
#include <cstddef>
#include <cstdint>

#include "platform/abort_flags.h"
#include "vnum/vnum.h"

namespace quorvel {

namespace {

int32_t displayLength(const vnum& value) {
  int32_t i = value.len - 1;
  if (value.plus) {
    while (i > 0 && value.limbs[i] == 0) --i;
  } else {
    while (i > 0 && value.limbs[i] == LIMB_MASK && value.limbs[i - 1] == LIMB_MASK) --i;
  }
  if (i == value.len - 1) return value.len;
  return (i & 1) ? i + 1 : i + 2;
}

// Appends digits to out while there is room for them and the NUL after
// them; the text stays terminated at every return.
class HexWriter {
 public:
  HexWriter(char* out, size_t size, size_t pos) : out_(out), size_(size), pos_(pos) {}
  // Writes the two digits of byte (one when `oneDigit`); false when the
  // size ran out.
  bool put(unsigned byte, bool oneDigit) {
    static constexpr char DIGITS[] = "0123456789ABCDEF";
    if (!oneDigit && !putChar(DIGITS[byte >> 4])) return false;
    return putChar(DIGITS[byte & 15]);
  }
  void terminate() { out_[pos_] = '\0'; }

 private:
  bool putChar(char c) {
    if (pos_ + 2 > size_) return false;
    out_[pos_++] = c;
    return true;
  }
  char* out_;
  size_t size_;
  size_t pos_;
};

}  // namespace

// The limbs are taken four at a time (120 bits, 15 whole bytes counted from
// bit 0, since 120 is a multiple of 8), or two at a time for the top pair
// when a mod 4 = 2 (60 bits: a 4-bit top group and 7 bytes). The abort flag
// is polled before each byte, which stops at the same places as a poll
// before each of its bits: nothing happens between those polls.
void writeHexText(const vnum& value, char* out, size_t size) {
  if (size == 0) return;
  const int32_t a = displayLength(value);
  const char* prefix = value.plus ? "+0x" : "-0x";
  size_t pos = 0;
  for (; pos < 3 && pos + 1 < size; ++pos) out[pos] = prefix[pos];
  out[pos] = '\0';
  if (pos < 3) return;

  HexWriter writer(out, size, pos);
  const uint32_t* limbs = reinterpret_cast<const uint32_t*>(value.limbs);
  auto pair = [&](int32_t i) -> uint64_t { return limbs[i] | (static_cast<uint64_t>(limbs[i + 1]) << LIMB_BITS); };
  // Emits bytes top-1 .. 0 of v; the first byte of the text drops a leading
  // zero digit.
  bool first = true;
  auto emit = [&](unsigned __int128 v, int top) {
    for (int k = top - 1; k >= 0; --k) {
      if (isAborted()) return false;
      const unsigned byte = static_cast<uint8_t>(v >> (8 * k));
      if (!writer.put(byte, first && byte < 16)) return false;
      first = false;
    }
    return true;
  };
  int32_t i = a;
  if (a % 4 == 2) {
    // The 60-bit top pair: a 4-bit group, then 7 bytes.
    i -= 2;
    const uint64_t v = pair(i);
    if (isAborted() || !writer.put(static_cast<unsigned>(v >> 56), true)) return writer.terminate();
    first = false;
    if (!emit(v, 7)) return writer.terminate();
  }
  while (i > 0) {
    i -= 4;
    const unsigned __int128 v = pair(i) | (static_cast<unsigned __int128>(pair(i + 2)) << 60);
    if (!emit(v, 15)) return writer.terminate();
  }
  writer.terminate();
}

}  // namespace quorvel
