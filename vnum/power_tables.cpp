// The constant tables of powers of ten, built before main.
#include "vnum/vnum.h"

namespace quorvel {

DecPowerLadder::DecPowerLadder() {
  for (auto& entry : entries_) entry.store(nullptr, std::memory_order_relaxed);
  publish(0, std::make_unique<vnum>(int32_t{100000000}));
  publish(1, std::make_unique<vnum>(int64_t{10000000000000000}));
}

const vnum& DecPowerLadder::publish(int f, std::unique_ptr<vnum> value) {
  const vnum* expected = nullptr;
  // acq_rel: the winner's release makes the finished limbs visible to every
  // later acquire load; a loser acquires the winner's entry to return it.
  if (entries_[f].compare_exchange_strong(expected, value.get(), std::memory_order_acq_rel,
                                          std::memory_order_acquire)) {
    // Published entries are never freed, not even at exit: an abandoned
    // worker that is never joined may still be reading them.
    return *value.release();
  }
  return *expected;
}

const vnum& DecPowerLadder::operator[](int f) const {
  static const vnum zero;
  const vnum* entry = find(f);
  return entry ? *entry : zero;
}

DecPowerLadder decPowerLadder;

const vnum smallDecPowers[SMALL_DEC_POWERS_SIZE] = {
    vnum(int32_t{1}),      vnum(int32_t{10}),      vnum(int32_t{100}),      vnum(int32_t{1000}),
    vnum(int32_t{10000}),  vnum(int32_t{100000}),  vnum(int32_t{1000000}),  vnum(int32_t{10000000}),
};

}  // namespace quorvel
