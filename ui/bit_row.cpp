#include "ui/bit_row.h"

#include <algorithm>
#include <cmath>

#include "ui/hex_digit.h"
#include "ui/limits.h"

namespace quorvel::ui {

BitRowLayout layoutBitRow(long long bitCount, int columns, bool scrolled, long long firstVisible) {
  BitRowLayout row;
  row.columns = std::max(columns, 0);
  const int n = row.columns;
  if (!scrolled && bitCount <= n) {
    row.count = static_cast<int>(bitCount);
  } else {
    // Whole digits only, so that the row ends on a digit boundary.
    const long long span = n / BITS_PER_HEX_DIGIT * BITS_PER_HEX_DIGIT;
    long long start = std::max(firstVisible, 0LL) / BITS_PER_HEX_DIGIT * BITS_PER_HEX_DIGIT;
    if (start + span > bitCount) start = std::max(0LL, bitCount - span);
    row.first = start;
    row.count = static_cast<int>(std::min(span, bitCount - start));
  }
  row.firstColumn = n - row.count;
  row.lsbIndex = bitCount - (row.first + row.count);
  return row;
}

int BitRowGeometry::left() const { return TEXT_ORIGIN + static_cast<int>(firstColumn * charWidth); }

BitHit bitAt(const BitRowGeometry& row, int x, int y) {
  BitHit hit;
  if (row.count <= 0 || row.charWidth <= 0) return hit;
  const int left = row.left();
  const double right = left + row.count * row.charWidth;
  if (x < left || x >= right || y < row.top || y >= row.bottom) return hit;
  // Distance from the first bit's centre in columns; std::round takes
  // halves away from zero, so the row's first pixel column gives -1.
  const double offset = (x - TEXT_ORIGIN - (row.firstColumn + 0.5) * row.charWidth) / row.charWidth;
  hit.column = static_cast<int>(std::round(offset));
  if (hit.column >= 0 && hit.column < row.count)
    hit.bit = row.lsbIndex + (row.count - 1 - hit.column);
  else if (hit.column == -1)
    hit.bit = row.lsbIndex + row.count;
  return hit;
}

std::string bitNumberRow(int columns, long long lsbIndex) {
  std::string row(std::max(columns, 0), ' ');
  for (int k = 0; k < columns; ++k) {
    const long long bit = lsbIndex + (columns - 1 - k);
    if (bit % BIT_NUMBER_INTERVAL != 0) continue;
    const std::string number = std::to_string(bit);
    const int start = k + 1 - static_cast<int>(number.size());
    for (int i = std::max(start, 0); i <= k; ++i) row[i] = number[i - start];
  }
  return row;
}

size_t leadingHexDigits(const char* text) {
  size_t n = 0;
  while (hexDigitValue(text[n]) >= 0) ++n;
  return n;
}

std::string bitsOfHexDigits(std::string_view digits) {
  std::string bits;
  bits.reserve(digits.size() * BITS_PER_HEX_DIGIT);
  for (char c : digits) {
    const int v = hexDigitValue(c);
    if (v < 0) break;
    for (int b = BITS_PER_HEX_DIGIT - 1; b >= 0; --b) bits += (v >> b) & 1 ? '1' : '0';
  }
  return bits;
}

}  // namespace quorvel::ui
