// The dispatchers of both bases at T - 2, T and T + 2 for the Toom-3
// limits, where the transforms take over: products and squares of tens of
// thousands of limbs, against GMP.
#include "tests/mul_kernels_support.h"

using namespace quorvel;
using namespace quorvel::test;

namespace {

template <class Spans>
class MulKernelsSlow : public testing::Test {};
using BothBases = testing::Types<BinarySpans, DecimalSpans>;
TYPED_TEST_SUITE(MulKernelsSlow, BothBases);

TYPED_TEST(MulKernelsSlow, DispatcherAroundTheToom3Limits) {
  auto g = rng(611);
  const auto dispatcher = std::vector<Method<TypeParam>>{productMethods<TypeParam>().back()};
  const int64_t T = Base<TypeParam>::mulLimits()[2];
  for (int64_t m = T - 2; m <= T + 2; m += 2) {
    SCOPED_TRACE("combined " + std::to_string(m));
    const Limbs a = operand<TypeParam>(g, static_cast<int32_t>(m - m / 2), Kind::Uniform);
    const Limbs b = operand<TypeParam>(g, static_cast<int32_t>(m / 2), Kind::AllMax);
    checkMethods<TypeParam>(dispatcher, a, b);
  }
  const auto squareDispatcher = std::vector<Method<TypeParam>>{squareMethods<TypeParam>().back()};
  const int64_t S = Base<TypeParam>::sqrLimits()[2];
  for (int64_t n = S / 2 - 1; n <= S / 2 + 1; ++n) {
    SCOPED_TRACE("square, combined " + std::to_string(2 * n));
    const Limbs a = operand<TypeParam>(g, static_cast<int32_t>(n), Kind::Runs);
    checkMethods<TypeParam>(squareDispatcher, a, a);
  }
}

}  // namespace
