// Limits of the platform layer.
#pragma once

namespace quorvel {

// Most threads the task pool runs in all (QUORVEL_THREADS is clamped to it):
// far more than any desktop has cores, and few enough that a mistyped value
// cannot exhaust the process's threads.
inline constexpr int TASK_POOL_MAX_THREADS = 256;

}  // namespace quorvel
