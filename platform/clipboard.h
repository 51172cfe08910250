// The clipboard as the engine sees it: plain 8-bit text in and out.
// The desktop program supplies the system clipboard; the command-line
// calculator and the tests use InProcessClipboard.
#pragma once

#include <mutex>
#include <optional>
#include <string>

namespace quorvel {

class Clipboard {
 public:
  virtual ~Clipboard() = default;
  // The text on the clipboard, or nothing when it holds no text or cannot
  // be opened.
  virtual std::optional<std::string> text() = 0;
  // Replaces the clipboard's content; false when it cannot be opened.
  virtual bool setText(const std::string& text) = 0;
};

class InProcessClipboard : public Clipboard {
 public:
  std::optional<std::string> text() override {
    std::lock_guard<std::mutex> lock(mutex_);
    return content_;
  }
  bool setText(const std::string& text) override {
    std::lock_guard<std::mutex> lock(mutex_);
    content_ = text;
    return true;
  }

 private:
  std::mutex mutex_;
  std::optional<std::string> content_;
};

}  // namespace quorvel
