// Shared main of the number tests: the calling thread claims an abort slot
// first, since number code that polls the flag treats a thread without one as
// cancelled. Prints the random seed so that a failure can be replayed.
#include <gtest/gtest.h>

#include <cstdio>

#include "platform/abort_flags.h"
#include "tests/support/random.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  quorvel::claimAbortSlot();
  std::printf("QUORVEL_SEED=%llu QUORVEL_ITERS=%g\n",
              static_cast<unsigned long long>(quorvel::test::baseSeed()), quorvel::test::iterationScale());
  return RUN_ALL_TESTS();
}
