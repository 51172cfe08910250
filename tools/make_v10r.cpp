// make_v10r OUTPUT: writes the V10R power table, the records k = 0 .. 20 of
// 2^(30*2^k) in base 10^8, each a little-endian 32-bit limb count followed by
// the limbs, least significant first. Record k + 1 is the square of record k,
// computed with our own vnum10 product; every record is checked modulo two
// primes against 2^(30*2^k) computed by modular squaring, so a faulty product
// fails the build instead of reaching the table. Build step only.
#include <bit>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "decimal/vnum10.h"
#include "platform/abort_flags.h"

namespace {

using quorvel::vnum10;

static_assert(std::endian::native == std::endian::little, "the words are written in memory order");

// Two primes below 2^62, so that a residue times 10^8 (or squared, in 128
// bits) cannot overflow.
constexpr uint64_t CHECK_PRIMES[] = {(uint64_t{1} << 61) - 1, 4611686018427387847ull};

uint64_t mulMod(uint64_t a, uint64_t b, uint64_t m) {
  return static_cast<uint64_t>(static_cast<unsigned __int128>(a) * b % m);
}

// value mod m, by Horner's rule from the top limb down.
uint64_t residue(const vnum10& value, uint64_t m) {
  uint64_t r = 0;
  for (int32_t i = value.len - 1; i >= 0; --i) r = (mulMod(r, quorvel::DEC_LIMB_BASE, m) + value.limbs[i]) % m;
  return r;
}

// 2^(30*2^k) mod m: 2^30 squared k times.
uint64_t powerResidue(int k, uint64_t m) {
  uint64_t r = (uint64_t{1} << 30) % m;
  for (int i = 0; i < k; ++i) r = mulMod(r, r, m);
  return r;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_v10r OUTPUT\n");
    return 2;
  }
  // Number code treats a thread without an abort slot as cancelled.
  quorvel::claimAbortSlot();

  std::vector<uint32_t> words;
  words.reserve(quorvel::V10R_WORDS);
  vnum10 power(int32_t{1} << 30);
  for (int k = 0; k < quorvel::V10R_RECORDS; ++k) {
    if (k > 0) power.mulAssign(power);
    for (uint64_t m : CHECK_PRIMES) {
      if (residue(power, m) != powerResidue(k, m)) {
        std::fprintf(stderr, "make_v10r: record %d is not 2^(30*2^%d)\n", k, k);
        return 1;
      }
    }
    words.push_back(static_cast<uint32_t>(power.len));
    for (int32_t i = 0; i < power.len; ++i) words.push_back(static_cast<uint32_t>(power.limbs[i]));
  }
  if (words.size() != quorvel::V10R_WORDS) {
    std::fprintf(stderr, "make_v10r: %zu words instead of %zu\n", words.size(), quorvel::V10R_WORDS);
    return 1;
  }

  // Written beside the target and renamed, so that an interrupted run never
  // leaves a short table that the build would take as up to date.
  const std::string target = argv[1];
  const std::string partial = target + ".partial";
  std::FILE* f = std::fopen(partial.c_str(), "wb");
  if (!f) {
    std::perror(partial.c_str());
    return 1;
  }
  const bool written = std::fwrite(words.data(), sizeof(uint32_t), words.size(), f) == words.size();
  if (std::fclose(f) != 0 || !written) {
    std::perror(partial.c_str());
    return 1;
  }
  std::filesystem::rename(partial, target);
  return 0;
}
