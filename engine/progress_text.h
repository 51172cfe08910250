// The words both front ends show beside a progress bar: the fraction done
// and an estimate of the time left, "42% · about 12 s left".
#pragma once

#include <string>

namespace quorvel {

// How long a command runs before its progress shows (the window's strip,
// quorvel-cli's line on a terminal): a second, so that quick work never
// flickers a bar.
inline constexpr double PROGRESS_SHOW_AFTER_SECONDS = 1.0;

// "42% · about 12 s left" for `fraction` done after `elapsedSeconds`, the
// rest estimated at the same rate; just "42%" while the fraction is too
// small to judge by.
std::string progressText(double fraction, double elapsedSeconds);

// "about 12 s left", "about 3 min left", "about 2 h left".
std::string timeLeftText(double seconds);

}  // namespace quorvel
