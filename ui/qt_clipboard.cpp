#include "ui/qt_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QThread>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

#include "platform/abort_flags.h"
#include "ui/limits.h"

namespace quorvel::ui {

namespace {

// Runs f on the window thread and returns its result, or nothing when the
// calling worker is cancelled before the window thread got to it.
template <typename R, typename F>
std::optional<R> onWindowThread(QObject& context, F f) {
  if (QThread::currentThread() == context.thread()) return f();

  // Shared with the queued call, which may run after this worker gave up.
  struct Reply {
    std::mutex mutex;
    std::condition_variable done;
    std::optional<R> value;
  };
  const auto reply = std::make_shared<Reply>();
  QMetaObject::invokeMethod(
      &context,
      [reply, f] {
        R value = f();
        const std::lock_guard<std::mutex> lock(reply->mutex);
        reply->value = std::move(value);
        reply->done.notify_all();
      },
      Qt::QueuedConnection);

  std::unique_lock<std::mutex> lock(reply->mutex);
  while (!reply->value) {
    if (isAborted()) return std::nullopt;
    reply->done.wait_for(lock, std::chrono::milliseconds(CLIPBOARD_ABORT_POLL_MS));
  }
  return reply->value;
}

}  // namespace

std::optional<std::string> systemClipboardText() {
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  if (!data || !data->hasText()) return std::nullopt;
  return data->text().toStdString();
}

void setSystemClipboardText(const std::string& text) {
  QGuiApplication::clipboard()->setText(QString::fromStdString(text));
}

std::optional<std::string> QtClipboard::text() {
  auto result = onWindowThread<std::optional<std::string>>(context_, [] { return systemClipboardText(); });
  return result ? *result : std::nullopt;
}

bool QtClipboard::setText(const std::string& text) {
  return onWindowThread<bool>(context_, [text] {
           setSystemClipboardText(text);
           return true;
         }).value_or(false);
}

}  // namespace quorvel::ui
