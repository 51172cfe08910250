#include "tests/decimal_gmp.h"

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace quorvel::test {

std::string decimalOf(mpz_srcptr z) {
  std::unique_ptr<char, void (*)(void*)> s(mpz_get_str(nullptr, 10, z), std::free);
  return s.get();
}

std::string textOf(const vnum10& x) {
  std::string text(static_cast<size_t>(DEC_LIMB_DIGITS) * x.len + 2, '#');
  x.writeDecimal(text.data(), text.size());
  text.resize(text.find('\0'));
  return text;
}

std::string decTextOf(const vnum& x) {
  // log10(2) < 0.30103; room for the sign and the NUL on top.
  const size_t size = static_cast<size_t>(static_cast<double>(x.bitLength()) * 0.30103) + 4;
  std::string text(size, '#');
  toDecText(x, text.data(), text.size());
  const size_t end = text.find('\0');
  if (end == std::string::npos) return "(no terminating NUL)";
  text.resize(end);
  return text;
}

std::vector<int32_t> decimalLimbsOf(const std::string& digits) {
  std::vector<int32_t> limbs;
  for (size_t end = digits.size(); end > 0;) {
    const size_t start = end >= static_cast<size_t>(DEC_LIMB_DIGITS) ? end - DEC_LIMB_DIGITS : 0;
    limbs.push_back(std::stoi(digits.substr(start, end - start)));
    end = start;
  }
  if (limbs.empty()) limbs.push_back(0);
  while (limbs.size() > 1 && limbs.back() == 0) limbs.pop_back();
  return limbs;
}

vnum10 vnum10FromMpz(mpz_srcptr z) {
  Mpz magnitude;
  mpz_abs(magnitude.z, z);
  const std::vector<int32_t> limbs = decimalLimbsOf(decimalOf(magnitude.z));
  vnum10 x;
  x.growTo(static_cast<int32_t>(limbs.size()));
  std::copy(limbs.begin(), limbs.end(), x.limbs.get());
  x.plus = mpz_sgn(z) >= 0;
  return x;
}

Mpz mpzFromVnum10(const vnum10& x) { return Mpz(textOf(x).c_str(), 10); }

Mpz randomDecimal(std::mt19937_64& g, long digits, bool runs, bool negative) {
  std::string text;
  text.reserve(static_cast<size_t>(digits) + 1);
  if (negative) text.push_back('-');
  while (static_cast<long>(text.size()) - negative < digits) {
    if (runs) {
      const char d = (g() & 1) ? '9' : '0';
      const size_t run = 1 + g() % 40;
      text.append(run, d);
    } else {
      text.push_back(static_cast<char>('0' + g() % 10));
    }
  }
  text.resize(static_cast<size_t>(digits + negative));
  // The leading digit is non-zero so that the length is exact.
  char& lead = text[negative ? 1 : 0];
  if (lead == '0') lead = static_cast<char>('1' + g() % 9);
  return Mpz(text.c_str(), 10);
}

vnum10 randomVnum10(std::mt19937_64& g, int32_t n, bool runs) {
  vnum10 x;
  x.growTo(n);
  for (int32_t i = 0; i < n;) {
    const int32_t run = runs ? std::min<int32_t>(n - i, 1 + static_cast<int32_t>(g() % 64)) : 1;
    const int32_t limb = runs ? ((g() & 1) ? DEC_LIMB_BASE - 1 : 0) : static_cast<int32_t>(g() % DEC_LIMB_BASE);
    std::fill(x.limbs.get() + i, x.limbs.get() + i + run, limb);
    i += run;
  }
  if (x.limbs[n - 1] == 0) x.limbs[n - 1] = 1 + static_cast<int32_t>(g() % (DEC_LIMB_BASE - 1));
  return x;
}

std::string vnum10Violation(const vnum10& x) {
  if (x.len < 1) return "len " + std::to_string(x.len) + " below 1";
  if (x.cap < x.len) return "cap " + std::to_string(x.cap) + " below len " + std::to_string(x.len);
  for (int32_t i = 0; i < x.len; ++i)
    if (x.limbs[i] < 0 || x.limbs[i] >= DEC_LIMB_BASE) return "limb " + std::to_string(i) + " not a base-10^8 digit";
  if (x.len > 1 && x.limbs[x.len - 1] == 0) return "not trimmed";
  if (x.len == 1 && x.limbs[0] == 0 && !x.plus) return "negative zero";
  return "";
}

std::string textDifference(const std::string& got, const std::string& expected) {
  if (got == expected) return "";
  const auto mismatch = std::mismatch(got.begin(), got.end(), expected.begin(), expected.end());
  const size_t at = static_cast<size_t>(mismatch.first - got.begin());
  const size_t from = at >= 20 ? at - 20 : 0;
  return "lengths " + std::to_string(got.size()) + " and " + std::to_string(expected.size()) +
         ", first difference at " + std::to_string(at) + ": got ..." + got.substr(from, 40) + "... expected ..." +
         expected.substr(from, 40) + "...";
}

}  // namespace quorvel::test
