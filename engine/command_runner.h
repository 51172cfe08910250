// What the worker thread runs: one command id at a time. The calculator's
// CommandEngine is the one real implementation; the worker's own tests put a
// small stand-in in its place to control when a command ends.
#pragma once

namespace quorvel {

class CommandRunner {
 public:
  // Runs one command id. Returns false when the command was dropped and no
  // repaint is due.
  virtual bool runCommand(int id) = 0;

 protected:
  ~CommandRunner() = default;
};

}  // namespace quorvel
