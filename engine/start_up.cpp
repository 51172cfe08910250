#include "engine/start_up.h"

#include <xmmintrin.h>

#include "decimal/v10r_data.h"

namespace quorvel {

void prepareNumberCore() {
  // Denormals never arise in the integer arithmetic; flushing them keeps a
  // stray tiny value from taking the slow path.
  _mm_setcsr(_mm_getcsr() | 0x8000);
  loadEmbeddedPowerTable();
}

}  // namespace quorvel
