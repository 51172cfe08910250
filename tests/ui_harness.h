// Driving the desktop window in tests: clicks and keys go through the real
// widgets, and every step waits, processing events, until the worker is
// idle and its repaint requests have been delivered.
#pragma once

#include <QPoint>
#include <QString>
#include <QStringList>
#include <memory>
#include <string>

#include "ui/main_window.h"

class QWidget;

namespace quorvel::uitest {

// Points the home folder and QSettings at a temporary folder of this test
// program, so that no test reads or writes the user's files. Call in
// initTestCase(), before any window exists.
void useTemporaryHome();
// Forgets every setting, so that the next window starts from the defaults.
void clearSettings();

// A window made by newWindow() answers its modal windows (modal_windows.h)
// at once, so that no test waits in a modal loop. It notes here a message
// box's text, a menu's entries ("text|shortcut") and a file dialog's set-up
// ("save|folder|filter offered|filters|suffix", or "open|..." for an
// existing file); the file dialog returns `file`, a cancel while empty.
struct ModalAnswers {
  QStringList messages, menuEntries, fileDialogs;
  ui::FileChoice file;
};
ModalAnswers& modalAnswers();
// The last message box's text, then forgotten; "(no message box)" if none.
QString takeMessage();

// A new main window with the settings as they are, shown and settled; null
// if it could not settle.
std::unique_ptr<ui::MainWindow> newWindow();
// The same on a clean slate: settings cleared, modalAnswers() reset.
std::unique_ptr<ui::MainWindow> freshWindow();

// Processes events until the worker is idle and no key waits for it, then
// delivers what it queued.
// False, with a warning that says so, when it is still busy after
// `timeoutMs`: a safety net that turns a hang into a failure, below the
// test functions' watchdog (tests/CMakeLists.txt), not a speed check.
bool settle(const ui::MainWindow& window, int timeoutMs = 60000);

// Clicks the key panel's key `id`, then settles.
bool clickKey(ui::MainWindow& window, int id);
// Hands the worker a key that runs for tens of seconds, without waiting:
// 3^(2^100,000) mod 2^100,000 + 1, a hundred thousand modular squarings.
bool startLongComputation(ui::MainWindow& window);
// Clicks the keys named by `labels`, separated by blanks: panel labels
// ("+", "MOD", "n!", "C") or runs of digits ("255", "#FF" for hexadecimal
// digits, which need hexadecimal entry).
bool clickKeys(ui::MainWindow& window, const std::string& labels);
// Clicks a control of the main window (2001..2007), then settles. Radio
// buttons are clicked near their left edge, on the round mark.
bool clickControl(ui::MainWindow& window, int id);

// Sends one key press (and release) to `target` inside the window, then
// settles.
bool typeKey(ui::MainWindow& window, QWidget* target, int key, const QString& text,
             Qt::KeyboardModifiers modifiers = Qt::NoModifier);
// Types each character of `characters` into the window, settling after each.
bool typeText(ui::MainWindow& window, const std::string& characters);
// Types them one right after the other, without waiting for the worker:
// keys typed ahead of a running command.
void typeAhead(ui::MainWindow& window, const std::string& characters);

// Paints a widget now, off the event loop.
void paintNow(QWidget* widget);

std::string hexText(const ui::MainWindow& window);
std::string decText(const ui::MainWindow& window);

// A colour as "r,g,b" for readable failures.
QString rgbAt(QWidget* widget, QPoint point);

}  // namespace quorvel::uitest
