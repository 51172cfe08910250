// The calculator's messages. Number code throws them as `const char*` (the
// array decays to a pointer to its text); only the command engine catches them
// and shows the text. The texts are exact and case-sensitive. Each is an
// inline array, one object in the whole program, so its address is the same
// in every file.
#pragma once

namespace quorvel {

inline constexpr char MSG_DIVIDE_BY_ZERO[] = "Divide by zero.";
inline constexpr char MSG_BAD_ARGUMENT[] = "Bad argument.";
inline constexpr char MSG_NEGATIVE_VALUE[] = "Negative value.";
// A different text from MSG_NEGATIVE_VALUE, raised by the modular power.
inline constexpr char MSG_NEGATIVE_VALUE_MODULAR[] = "Negative Value.";
inline constexpr char MSG_TOO_BIG_VALUE[] = "Too big value.";
inline constexpr char MSG_SCALE_OVER[] = "Scale over";
inline constexpr char MSG_LIMIT_OVER[] = "Limit Over";
inline constexpr char MSG_EVEN_VALUE[] = "even value.";
inline constexpr char MSG_NEGATIVE_VALUE_LOWER[] = "negative value.";
// Not thrown: the engine shows it when a command's allocation fails
// (std::bad_alloc), like any other message.
inline constexpr char MSG_OUT_OF_MEMORY[] = "Out of memory.";

// The largest bit length (of the magnitude) a result may have; the
// calculator refuses larger results with MSG_SCALE_OVER.
inline constexpr long long scaleLimitBits = 5000000;

}  // namespace quorvel
