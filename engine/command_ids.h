// Command ids: the keys of the key panel, the main window's controls and the
// keyboard shortcuts, as the key panel hands them to the worker.
#pragma once

namespace quorvel {

enum CommandId : int {
  CMD_REPAINT = 2,  // only repaints the panes; acts even while an error shows
  CMD_DIGIT_1 = 1001,  // 1001..1009 are the digits 1..9
  CMD_DIGIT_9 = 1009,
  CMD_DIGIT_0 = 1010,
  CMD_NEGATE = 1011,
  CMD_DIVIDE = 1012,
  CMD_MULTIPLY = 1013,
  CMD_SUBTRACT = 1014,
  CMD_ADD = 1015,
  CMD_EQUALS = 1016,
  CMD_OPEN = 1017,
  CMD_CLOSE = 1018,
  CMD_CLEAR_ENTRY = 1019,
  CMD_CLEAR_ALL = 1020,
  CMD_MOD = 1021,
  CMD_SHIFT_LEFT = 1022,
  CMD_SHIFT_RIGHT = 1023,
  CMD_AND = 1024,
  CMD_OR = 1025,
  CMD_XOR = 1026,
  CMD_NOT = 1027,
  CMD_DIGIT_A = 1028,  // 1028..1033 are the digits A..F
  CMD_DIGIT_F = 1033,
  CMD_DEC = 1035,
  CMD_HEX = 1036,
  CMD_MEMORY_CLEAR = 1037,
  CMD_MEMORY_RECALL = 1038,
  CMD_MEMORY_STORE = 1039,
  CMD_MEMORY_ADD = 1040,
  CMD_MEMORY_SUBTRACT = 1041,
  CMD_EXP = 1042,
  CMD_SQRT = 1043,
  CMD_GCD = 1044,
  CMD_FACTORIAL = 1045,
  CMD_PERMUTATIONS = 1046,
  CMD_COMBINATIONS = 1047,
  CMD_POWER = 1048,
  CMD_MODULO = 2008,
  CMD_MODULAR_POWER = 2009,
  CMD_BIT_TOGGLE = 2010,
  // Takes back the last digit typed into the entry; nothing otherwise.
  CMD_BACKSPACE = 2011,
  // The verdict on the shown value ("prime", "composite: divisible by 7",
  // ...); the value and the entry stay as they are.
  CMD_IS_PRIME = 2012,
  // The smallest prime above the shown value, like a unary function.
  CMD_NEXT_PRIME = 2013,
  CMD_PASTE = 40001,
  CMD_COPY = 40002,
  // Reads the text in the engine's inbox exactly as a paste (an opened or
  // dropped file, a dropped text).
  CMD_PASTE_TEXT = 40003,
  // Puts the value in the engine's inbox on display as the entry, like
  // "MR" (a value recalled from the history).
  CMD_PUT_ENTRY = 40004,
  // Types the digits in the engine's inbox as one run of digit keys: the
  // entry the keys would give one by one, its texts written once.
  CMD_TYPE_DIGITS = 40005,
};

// Operator codes of the binary operators, as kept in pendingOps.
enum OperatorCode : int {
  OP_NONE = 0,
  OP_ADD = 1,
  OP_SUBTRACT = 2,
  OP_MULTIPLY = 3,
  OP_DIVIDE = 4,
  OP_MOD = 5,
  OP_SHIFT_LEFT = 6,
  OP_SHIFT_RIGHT = 7,
  OP_AND = 8,
  OP_OR = 9,
  OP_XOR = 10,
  OP_EXP = 11,
  OP_GCD = 12,
  OP_POWER = 13,
  OP_PERMUTATIONS = 14,
  OP_COMBINATIONS = 15,
  OP_MODULAR_POWER = 16,
};

}  // namespace quorvel
