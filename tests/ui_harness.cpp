#include "tests/ui_harness.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <sstream>

#include "engine/command_ids.h"

#include "engine/key_labels.h"
#include "ui/key_panel.h"

namespace quorvel::uitest {

void useTemporarySettings() {
  static QTemporaryDir folder;
  QCoreApplication::setOrganizationName(QStringLiteral("quorvel-test"));
  QCoreApplication::setApplicationName(QStringLiteral("quorvel-test"));
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder.path());
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder.path());
  clearSettings();
}

void clearSettings() {
  QSettings settings;
  settings.clear();
  settings.sync();
}

std::unique_ptr<ui::MainWindow> freshWindow() {
  clearSettings();
  auto window = std::make_unique<ui::MainWindow>();
  window->show();
  if (!QTest::qWaitForWindowExposed(window.get()) || !settle(*window)) return nullptr;
  return window;
}

bool settle(const ui::MainWindow& window, int timeoutMs) {
  QElapsedTimer clock;
  clock.start();
  while (!window.worker().idle()) {
    if (clock.elapsed() > timeoutMs) return false;
    QTest::qWait(2);
  }
  QCoreApplication::processEvents();
  return true;
}

bool clickKey(ui::MainWindow& window, int id) {
  QAbstractButton* key = window.keyPanel()->button(id);
  if (!key || !key->isEnabled()) return false;
  QTest::mouseClick(key, Qt::LeftButton, Qt::NoModifier, QPoint(key->width() / 2, key->height() / 2));
  return settle(window);
}

bool clickKeys(ui::MainWindow& window, const std::string& labels) {
  std::istringstream words(labels);
  std::string word;
  while (words >> word) {
    if (const auto id = commandIdOfLabel(word)) {
      if (!clickKey(window, *id)) return false;
      continue;
    }
    const bool hex = word[0] == '#';
    for (size_t i = hex ? 1 : 0; i < word.size(); ++i) {
      const char c = word[i];
      int digit = -1;
      if (c >= '0' && c <= '9') digit = c - '0';
      else if (hex && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
      if (digit < 0 || !clickKey(window, commandIdOfDigit(digit))) return false;
    }
  }
  return true;
}

bool startLongComputation(ui::MainWindow& window) {
  if (!clickKeys(window, "1 << 100000 + 1 = Modulo 3 Power ( 1 << 100000")) return false;
  QAbstractButton* equals = window.keyPanel()->button(CMD_EQUALS);
  QTest::mouseClick(equals, Qt::LeftButton, Qt::NoModifier, equals->rect().center());
  return true;
}

bool clickControl(ui::MainWindow& window, int id) {
  QAbstractButton* control = window.control(id);
  if (!control) return false;
  const bool radio = id == ui::CONTROL_VERT || id == ui::CONTROL_HORZ;
  const QPoint at = radio ? QPoint(6, control->height() / 2) : control->rect().center();
  QTest::mouseClick(control, Qt::LeftButton, Qt::NoModifier, at);
  return settle(window);
}

bool typeKey(ui::MainWindow& window, QWidget* target, int key, const QString& text,
             Qt::KeyboardModifiers modifiers) {
  QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
  QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
  QCoreApplication::sendEvent(target, &press);
  QCoreApplication::sendEvent(target, &release);
  return settle(window);
}

bool typeText(ui::MainWindow& window, const std::string& characters) {
  for (char c : characters) {
    const QString text(QChar::fromLatin1(c));
    // The key code as a layout would report it; the window goes by the text.
    const int key = QKeySequence(text).isEmpty() ? 0 : QKeySequence(text)[0].key();
    if (!typeKey(window, &window, key, text)) return false;
  }
  return true;
}

void paintNow(QWidget* widget) { widget->repaint(); }

std::string hexText(const ui::MainWindow& window) { return window.texts().hexText(); }
std::string decText(const ui::MainWindow& window) { return window.texts().decText(); }

void onNextModal(std::function<void(QWidget*)> act) {
  constexpr int POLL_MS = 10;
  auto* poll = new QTimer(qApp);
  QObject::connect(poll, &QTimer::timeout, poll, [poll, act = std::move(act)] {
    QWidget* modal = QApplication::activePopupWidget();
    if (!modal) modal = QApplication::activeModalWidget();
    if (!modal) return;
    poll->stop();
    poll->deleteLater();
    act(modal);
  });
  poll->start(POLL_MS);
}

QString rgbAt(QWidget* widget, QPoint point) {
  const QColor c = widget->grab().toImage().pixelColor(point);
  return QStringLiteral("%1,%2,%3").arg(c.red()).arg(c.green()).arg(c.blue());
}

}  // namespace quorvel::uitest
