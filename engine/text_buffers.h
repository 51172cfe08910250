// The two texts on display: hexText and decText, NUL-terminated, 0x200000
// bytes each, holding the shown value or an error message in both.
//
// The worker renders a value into private staging buffers (which may take
// long for a large value and may be abandoned part-way by a cancel) and then
// publishes both texts at once under a lock; readers on the window thread
// (painting, the copy buttons, the command-line printer) take the same lock.
// So a reader never sees a half-written text, and a cancelled worker, which
// never publishes, cannot spoil the display of its successor.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

namespace quorvel {

inline constexpr size_t TEXT_BUFFER_SIZE = 0x200000;

class TextBuffers {
 public:
  TextBuffers();

  // Worker side: the staging buffers, then publish() copies them out.
  char* hexStage() { return hexStage_.get(); }
  char* decStage() { return decStage_.get(); }
  void publish();
  // Worker side: sets both published texts directly (messages, "0").
  void publishTexts(const char* hex, const char* dec);

  // The published hexadecimal text. Only the worker may call this without
  // the lock, since it is the only writer.
  const char* hexTextForWorker() const { return hexText_.get(); }

  // Reader side: calls f(hexText, decText) with the lock held.
  template <typename F>
  void read(F f) const {
    std::lock_guard<std::mutex> lock(mutex_);
    f(static_cast<const char*>(hexText_.get()), static_cast<const char*>(decText_.get()));
  }
  std::string hexText() const;
  std::string decText() const;
  // Counts the publications: a reader holding the lock (inside read())
  // tells by it whether the texts are still those it looked at before.
  uint64_t generationLocked() const { return generation_; }

 private:
  mutable std::mutex mutex_;
  std::unique_ptr<char[]> hexText_, decText_, hexStage_, decStage_;
  uint64_t generation_ = 0;
};

}  // namespace quorvel
