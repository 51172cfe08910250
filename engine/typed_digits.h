// The digits typed into the entry since it was started, so that Backspace
// can take the last one back exactly.
//
// Typing maps the entry e to e * base + d without looking at its sign, so
// the inverse e = (e - d) / base is an exact division for either sign (a
// pasted -5 followed by 3 is -47, and -47 less 3 is -50, -5 times ten). The
// base is kept with each digit because "Hex" and "Dec" may change it in the
// middle of an entry.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace quorvel {

class TypedDigits {
 public:
  struct Digit {
    uint8_t value, base;
  };

  void push(int value, int base) { digits_.push_back({static_cast<uint8_t>(value), static_cast<uint8_t>(base)}); }
  // The last typed digit, removed; nothing when none was typed.
  std::optional<Digit> pop() {
    if (digits_.empty()) return std::nullopt;
    const Digit last = digits_.back();
    digits_.pop_back();
    return last;
  }
  void clear() { digits_.clear(); }

 private:
  std::vector<Digit> digits_;
};

}  // namespace quorvel
