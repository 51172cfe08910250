#include "engine/progress_text.h"

#include <cmath>

namespace quorvel {

namespace {

// Below this fraction the rate says little about the rest.
constexpr double ESTIMATE_MIN_FRACTION = 0.01;

}  // namespace

std::string timeLeftText(double seconds) {
  if (seconds < 90) return "about " + std::to_string(static_cast<long>(std::ceil(seconds))) + " s left";
  if (seconds < 90 * 60) return "about " + std::to_string(std::lround(seconds / 60)) + " min left";
  return "about " + std::to_string(std::lround(seconds / 3600)) + " h left";
}

std::string progressText(double fraction, double elapsedSeconds) {
  std::string text = std::to_string(static_cast<int>(fraction * 100)) + "%";
  if (fraction >= ESTIMATE_MIN_FRACTION && fraction < 1)
    text += " \u00b7 " + timeLeftText(elapsedSeconds * (1 - fraction) / fraction);
  return text;
}

}  // namespace quorvel
