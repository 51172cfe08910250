// The desktop program's windows, in Qt 6 Widgets.
//
// MainWindow owns the calculator: the two text buffers, the CommandEngine
// and the CommandWorker that runs it on its own thread. Inside it sit the
// KeyPanel (every key, the Hex/Dec pair, the "Modulo"/"Memory" indicators),
// two pairs of display panes of which one is shown (WrappedPane twice for
// "Vert"; BitLinePane and DecimalLinePane for "Horz"), and the StatusStrip.
//
// One key press, "7" clicked or typed: the button's click, or the
// application-wide key filter of MainWindow through commandForKey(), calls
// KeyPanel::command(1007), which hands the id to the worker and returns at
// once. The worker runs the digit entry, publishes the new hexadecimal and
// decimal texts and asks for a repaint through QtDisplay, which queues it to
// the window thread. Each visible pane then paints from the texts: it reads
// their lengths and copies out only the visible characters under the
// buffers' lock, so a million-digit value costs no more to paint than a
// short one. While the command runs, StatusStrip polls the worker and says so
// after 0.3 s; "C" (or Delete, or Escape) then cancels the command. Once the
// worker is idle the strip shows the value's size, or how to go on after a
// message. Every value a key produced is also reported through
// QtEngineObserver into the session's ValueHistory, from which the history
// window puts one back on display; opened and dropped files reach the
// engine through its inbox and are read there exactly as a paste.
#pragma once

#include "ui/main_window.h"
