#include "fft/extended_precision.h"

namespace quorvel::detail {

ExtendedPrecisionScope::ExtendedPrecisionScope() {
  _FPU_GETCW(saved_);
  fpu_control_t word = _FPU_EXTENDED | _FPU_RC_NEAREST | _FPU_MASK_IM | _FPU_MASK_DM | _FPU_MASK_ZM | _FPU_MASK_OM |
                       _FPU_MASK_UM | _FPU_MASK_PM | (_FPU_DEFAULT & _FPU_RESERVED);
  _FPU_SETCW(word);
}

ExtendedPrecisionScope::~ExtendedPrecisionScope() { _FPU_SETCW(saved_); }

}  // namespace quorvel::detail
