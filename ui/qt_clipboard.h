// The system clipboard for the engine, which calls it on the worker
// thread. QClipboard lives on the window thread, so each call is queued
// there and the worker waits for the answer, checking its abort flag while
// it waits: the window thread may itself be waiting for the worker (the
// pause of a cancel, the end of the program), and a cancelled worker must
// give up rather than deadlock.
#pragma once

#include <QObject>

#include "platform/clipboard.h"

namespace quorvel::ui {

class QtClipboard : public Clipboard {
 public:
  // `windowThreadObject` is any object of the window thread that outlives
  // the workers.
  explicit QtClipboard(QObject& windowThreadObject) : context_(windowThreadObject) {}
  std::optional<std::string> text() override;
  bool setText(const std::string& text) override;

 private:
  QObject& context_;
};

// The clipboard's text, or nothing when it holds none. Window thread only.
std::optional<std::string> systemClipboardText();
// Replaces the clipboard's text. Window thread only.
void setSystemClipboardText(const std::string& text);

}  // namespace quorvel::ui
