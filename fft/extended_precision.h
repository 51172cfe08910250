// The x87 mode every transform value is computed in (internal to the fft
// library). The control word belongs to a thread: each thread that runs a
// piece of a product sets it for itself.
#pragma once

#include <fpu_control.h>

namespace quorvel::detail {

// Sets the x87 control word to 64-bit precision, rounding to nearest (ties
// to even) and every exception masked for the lifetime of the object, and
// puts the caller's word back afterwards.
class ExtendedPrecisionScope {
 public:
  ExtendedPrecisionScope();
  ~ExtendedPrecisionScope();
  ExtendedPrecisionScope(const ExtendedPrecisionScope&) = delete;
  ExtendedPrecisionScope& operator=(const ExtendedPrecisionScope&) = delete;

 private:
  fpu_control_t saved_;
};

}  // namespace quorvel::detail
