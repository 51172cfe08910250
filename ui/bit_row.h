// The arithmetic of the bit view (the upper horizontal pane): which bits of
// the value are drawn in which columns, the bit under the mouse, and the row
// of bit numbers. Kept apart from the widget so that it can be checked
// without painting.
//
// Columns count from the pane's left edge; column k starts at
// x = 1 + k * w for a character width w. The drawn bits always end in the
// last column n - 1, on a hexadecimal digit boundary, so every digit sits
// over its own four bits whether or not the row is scrolled.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quorvel::ui {

struct BitRowLayout {
  int columns = 0;         // bit columns of the pane (n)
  long long first = 0;     // offset in the bit text (most significant first) of the first drawn bit
  int count = 0;           // bits drawn, a multiple of 4
  int firstColumn = 0;     // column of the first drawn bit
  long long lsbIndex = 0;  // index in the value of the bit in the last column
};

// `bitCount` bits of text (a multiple of 4) in `columns` columns. When the
// pane does not scroll the whole text is drawn right-aligned; when it does,
// the window of whole digits that starts at `firstVisible` (rounded down to
// a digit), or the last full window if fewer bits remain.
BitRowLayout layoutBitRow(long long bitCount, int columns, bool scrolled, long long firstVisible);

// Where a drawn bit row lies: from x = left over count * charWidth pixels,
// from y = top to bottom (exclusive).
struct BitRowGeometry {
  double charWidth = 0;
  int firstColumn = 0;
  int count = 0;
  long long lsbIndex = 0;
  int top = 0, bottom = 0;
  int left() const;
};

struct BitHit {
  int column = 0;      // counted from the first drawn bit; -1 is the column left of the row
  long long bit = -1;  // index in the value, -1 when the point is on no bit
};

// The bit under pixel (x, y). The pixel column at the row's left edge
// rounds to column -1, which stands for the bit just above the most
// significant one drawn (a click there extends the value by one bit).
BitHit bitAt(const BitRowGeometry& row, int x, int y);

// The number row for `columns` columns whose last column shows value bit
// `lsbIndex`: blanks, with the index of every 16th bit written so that its
// last digit stands in that bit's column.
std::string bitNumberRow(int columns, long long lsbIndex);

// Number of hexadecimal digits (0-9, A-F, a-f) at the start of `text`.
size_t leadingHexDigits(const char* text);

// Four characters "0"/"1" per hexadecimal digit of `digits`, most
// significant first; stops at the first character that is not a digit.
std::string bitsOfHexDigits(std::string_view digits);

}  // namespace quorvel::ui
