// Process start-up shared by the desktop program and the command-line
// calculator.
#pragma once

namespace quorvel {

// Sets the SSE unit to flush-to-zero and loads the embedded table of powers
// into the decimal conversion. Call once, before the first worker starts.
void prepareNumberCore();

}  // namespace quorvel
