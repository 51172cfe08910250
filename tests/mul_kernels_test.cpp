// The product kernels on limb spans, in both bases (30-bit limbs of vnum,
// base-10^8 limbs of vnum10): every method against GMP and so against every
// other on the same operands, the dispatchers at T - 2, T and T + 2 for the
// lower method limits (the Toom-3 limits, tens of thousands of limbs, are
// in mul_kernels_slow_test.cpp), and cancellation. Every output and
// every scratch area lies between guard limbs that must survive the call.
#include "tests/mul_kernels_support.h"

using namespace quorvel;
using namespace quorvel::test;

namespace {

template <class Spans>
class MulKernels : public testing::Test {};
using BothBases = testing::Types<BinarySpans, DecimalSpans>;
TYPED_TEST_SUITE(MulKernels, BothBases);

TYPED_TEST(MulKernels, EveryMethodAgreesWithGmp) {
  // From the smallest split each kernel accepts to a few thousand limbs;
  // balanced, 1.25 to 1.5 (Toom-2.5), about 2 (pieces) and far apart; the
  // schoolbook kernel up to its limit of 512 limbs (all-maximum limbs there
  // put its column sums nearest their bound) and in pieces beyond it, and
  // at T - 2, T, T + 2 of the length where it moves to IFMA. The schoolbook
  // steps run on IFMA or AVX2 where the processor has them, and again with
  // SSE2 only.
  const std::pair<int32_t, int32_t> shapes[] = {
      {1, 1},       {2, 2},       {5, 5},      {6, 4},     {7, 5},     {9, 8},      {13, 3},
      {16, 16},     {31, 17},     {40, 40},    {57, 38},   {46, 46},   {60, 48},    {50, 50},   {64, 33},   {100, 100},  {130, 129},
      {199, 97},    {256, 256},   {300, 181},  {511, 300}, {512, 512}, {700, 700},  {1001, 1000},
      {1030, 512},  {1500, 1000}, {2000, 999}, {3000, 70}};
  auto g = rng(601);
  const auto products = productMethods<TypeParam>();
  const auto squares = squareMethods<TypeParam>();
  for (bool avx2 : {true, false}) {
    allowSimdForTesting(avx2);
    for (auto [an, bn] : shapes) {
      for (Kind kind : {Kind::Uniform, Kind::Runs, Kind::AllMax}) {
        SCOPED_TRACE(std::string(kindName(kind)) + (hasIfmaKernel() ? ", IFMA" : hasAvx2() ? ", AVX2" : ", SSE2"));
        Limbs a = operand<TypeParam>(g, an, kind), b = operand<TypeParam>(g, bn, kind);
        checkMethods<TypeParam>(products, a, b);
        if (an == bn) checkMethods<TypeParam>(squares, a, a);
        // Leading zero limbs, as the Toom evaluations produce them.
        a.back() = 0;
        b.back() = 0;
        checkMethods<TypeParam>(products, a, b);
      }
    }
  }
  allowSimdForTesting(true);
}

TYPED_TEST(MulKernels, DispatcherAroundTheLowerLimits) {
  const auto mul = Base<TypeParam>::mulLimits(), sqr = Base<TypeParam>::sqrLimits();
  for (int64_t T : {mul[0], mul[1]}) checkDispatcherAround<TypeParam>(T, false, 602);
  for (int64_t T : {sqr[0], sqr[1]}) checkDispatcherAround<TypeParam>(T, true, 603);
}

TYPED_TEST(MulKernels, RefusedTransformsSayTheyFailed) {
  // The dispatcher falls back to Toom-3 only if a transform whose rounding
  // is not trusted reports it (the fallback itself: the slow tests).
  auto g = rng(605);
  const Limbs a = operand<TypeParam>(g, 300, Kind::Uniform), b = operand<TypeParam>(g, 200, Kind::Uniform);
  Limbs out(500);
  for (int mode : {0, 1}) {
    EXPECT_FALSE(Base<TypeParam>::untrustedFft(out.data(), a.data(), 300, b.data(), 200, mode)) << "mode " << mode;
    EXPECT_TRUE(Base<TypeParam>::fft(out.data(), a.data(), 300, b.data(), 200, mode)) << "mode " << mode;
  }
}

TYPED_TEST(MulKernels, CancelledDispatcherWritesZerosOnly) {
  auto g = rng(604);
  const Limbs a = operand<TypeParam>(g, 900, Kind::Uniform), b = operand<TypeParam>(g, 700, Kind::Uniform);
  abortSlot->store(1);
  const Limbs product = guarded(1600, 900, [&](int32_t* out, int32_t* scratch) {
    Base<TypeParam>::dispatch(out, a.data(), 900, b.data(), 700, scratch);
  });
  abortSlot->store(0);
  EXPECT_TRUE(std::all_of(product.begin(), product.end(), [](int32_t limb) { return limb == 0; }));
}

}  // namespace
