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
#include <cstdio>

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

// The `count` bits of the limb string starting at bit `from` (count <= 8).
unsigned bitsAt(const int32_t* limbs, int32_t limbCount, int64_t from, int count) {
  const int64_t j = from / LIMB_BITS;
  const int offset = static_cast<int>(from % LIMB_BITS);
  uint64_t window = static_cast<uint32_t>(limbs[j]);
  if (j + 1 < limbCount) window |= static_cast<uint64_t>(static_cast<uint32_t>(limbs[j + 1])) << LIMB_BITS;
  return static_cast<unsigned>((window >> offset) & ((1u << count) - 1));
}

}  // namespace

void writeHexText(const vnum& value, char* out, size_t size) {
  if (size == 0) return;
  char byteDigits[256][3];
  for (int b = 0; b < 256; ++b) std::snprintf(byteDigits[b], sizeof byteDigits[b], "%02X", b);

  const int32_t a = displayLength(value);
  const char* prefix = value.plus ? "+0x" : "-0x";
  size_t pos = 0;
  for (; pos < 3 && pos + 1 < size; ++pos) out[pos] = prefix[pos];
  out[pos] = '\0';
  if (pos < 3) return;

  const int64_t totalBits = static_cast<int64_t>(LIMB_BITS) * a;
  int groupBits = static_cast<int>(totalBits % 8);
  if (groupBits == 0) groupBits = 8;
  int64_t top = totalBits;
  bool first = true;
  while (top > 0) {
    for (int b = 0; b < groupBits; ++b)
      if (isAborted()) return;
    const unsigned byte = bitsAt(value.limbs, a, top - groupBits, groupBits);
    const char* digits = byteDigits[byte];
    // The top group drops its leading zero digit; every other group is two
    // digits wide.
    if (first && byte < 16) ++digits;
    for (; *digits; ++digits) {
      if (pos + 2 > size) return;
      out[pos++] = *digits;
      out[pos] = '\0';
    }
    top -= groupBits;
    groupBits = 8;
    first = false;
  }
}

}  // namespace quorvel
