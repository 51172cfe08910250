#include "engine/text_buffers.h"

#include <cstring>

namespace quorvel {

namespace {

std::unique_ptr<char[]> zeroedBuffer() { return std::make_unique<char[]>(TEXT_BUFFER_SIZE); }

// Copies a NUL-terminated text, cut to fit the buffer.
void copyText(char* to, const char* from) {
  const size_t n = strnlen(from, TEXT_BUFFER_SIZE - 1);
  std::memcpy(to, from, n);
  to[n] = '\0';
}

}  // namespace

TextBuffers::TextBuffers()
    : hexText_(zeroedBuffer()), decText_(zeroedBuffer()), hexStage_(zeroedBuffer()), decStage_(zeroedBuffer()) {}

void TextBuffers::publish() {
  std::lock_guard<std::mutex> lock(mutex_);
  copyText(hexText_.get(), hexStage_.get());
  copyText(decText_.get(), decStage_.get());
  ++generation_;
}

void TextBuffers::publishTexts(const char* hex, const char* dec) {
  std::lock_guard<std::mutex> lock(mutex_);
  copyText(hexText_.get(), hex);
  copyText(decText_.get(), dec);
  ++generation_;
}

std::string TextBuffers::hexText() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return hexText_.get();
}

std::string TextBuffers::decText() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return decText_.get();
}

}  // namespace quorvel
