#include "engine/key_labels.h"

#include <array>
#include <utility>

#include "engine/command_ids.h"

namespace quorvel {

namespace {

constexpr std::array<std::pair<std::string_view, int>, 34> KEY_LABELS{{
    {"+", CMD_ADD},
    {"-", CMD_SUBTRACT},
    {"*", CMD_MULTIPLY},
    {"/", CMD_DIVIDE},
    {"MOD", CMD_MOD},
    {"<<", CMD_SHIFT_LEFT},
    {">>", CMD_SHIFT_RIGHT},
    {"AND", CMD_AND},
    {"OR", CMD_OR},
    {"XOR", CMD_XOR},
    {"NOT", CMD_NOT},
    {"Exp", CMD_EXP},
    {"GCD", CMD_GCD},
    {"x^y", CMD_POWER},
    {"nPr", CMD_PERMUTATIONS},
    {"nCr", CMD_COMBINATIONS},
    {"Modulo", CMD_MODULO},
    {"Power", CMD_MODULAR_POWER},
    {"+/-", CMD_NEGATE},
    {"Sqrt", CMD_SQRT},
    {"n!", CMD_FACTORIAL},
    {"nextprime", CMD_NEXT_PRIME},
    {"(", CMD_OPEN},
    {")", CMD_CLOSE},
    {"=", CMD_EQUALS},
    {"MS", CMD_MEMORY_STORE},
    {"M+", CMD_MEMORY_ADD},
    {"M-", CMD_MEMORY_SUBTRACT},
    {"MR", CMD_MEMORY_RECALL},
    {"MC", CMD_MEMORY_CLEAR},
    {"CE", CMD_CLEAR_ENTRY},
    {"C", CMD_CLEAR_ALL},
    {"Dec", CMD_DEC},
    {"Hex", CMD_HEX},
}};

}  // namespace

std::optional<int> commandIdOfLabel(std::string_view label) {
  for (const auto& [text, id] : KEY_LABELS)
    if (text == label) return id;
  return std::nullopt;
}

bool someLabelStartsWith(std::string_view prefix) {
  for (const auto& [text, id] : KEY_LABELS)
    if (text.starts_with(prefix)) return true;
  return false;
}

std::string_view labelOfCommand(int id) {
  if (id == CMD_PASTE || id == CMD_PASTE_TEXT) return "Paste";
  for (const auto& [text, labelId] : KEY_LABELS)
    if (labelId == id) return text;
  return {};
}

int commandIdOfDigit(int d) {
  if (d == 0) return CMD_DIGIT_0;
  if (d <= 9) return CMD_DIGIT_1 + d - 1;
  return CMD_DIGIT_A + d - 10;
}

int digitOfCommand(int id) {
  if (id >= CMD_DIGIT_1 && id <= CMD_DIGIT_9) return id - CMD_DIGIT_1 + 1;
  if (id == CMD_DIGIT_0) return 0;
  if (id >= CMD_DIGIT_A && id <= CMD_DIGIT_F) return id - CMD_DIGIT_A + 10;
  return -1;
}

int digitOfCharacter(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace quorvel
