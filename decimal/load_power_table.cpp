// Loading of the V10R power table into binPowerLadder.
#include <bit>
#include <cstring>
#include <memory>

#include "decimal/vnum10.h"

namespace quorvel {

static_assert(std::endian::native == std::endian::little, "V10R words are read in place as little-endian");

int loadPowerTable(const void* data, size_t size) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  size_t offset = 0;
  int k = 0;
  for (; k < V10R_RECORDS; ++k) {
    if (size < 4 || offset > size - 4) break;
    int32_t count;
    std::memcpy(&count, bytes + offset, 4);
    // Counted in 64 bits: a huge count must not wrap past the size check.
    if (count <= 0 || static_cast<uint64_t>(count) * 4 > size - offset - 4) break;
    auto entry = std::make_unique<vnum10>();
    entry->limbs = std::make_unique_for_overwrite<int32_t[]>(static_cast<size_t>(count));
    entry->len = entry->cap = count;
    std::memcpy(entry->limbs.get(), bytes + offset + 4, 4 * static_cast<size_t>(count));
    // A word that is not a base-10^8 digit would break every carry and print
    // more than eight digits per limb, and a zero top limb breaks the record
    // format (a zero power would wipe out every chunk it multiplies): such a
    // record is malformed.
    bool digits = entry->limbs[count - 1] != 0;
    for (int32_t i = 0; i < count; ++i) digits &= static_cast<uint32_t>(entry->limbs[i]) < DEC_LIMB_BASE;
    if (!digits) break;
    publishBinPowerLadderEntry(k, std::move(entry));
    offset += 4 + 4 * static_cast<size_t>(count);
  }
  return k;
}

}  // namespace quorvel
