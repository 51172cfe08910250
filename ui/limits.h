// Geometry, fonts, colours and timings of the desktop program. Every length
// is in pixels of the widget it belongs to (the main window's client area
// for its children, the key panel for its keys, a pane's client area for
// what the pane draws).
#pragma once

namespace quorvel::ui {

// --- main window -----------------------------------------------------------
inline constexpr const char* WINDOW_TITLE = "Quorvel Ver.0.927 - Tarnwell";
inline constexpr int START_CLIENT_WIDTH = 640;
inline constexpr int START_CLIENT_HEIGHT = 680;
// Background of the main window and the key panel, RGB.
inline constexpr int BACKGROUND_RGB[3] = {120, 160, 160};

// Below this client height the vertical panes keep a fixed height and the
// key panel stops following the bottom edge.
inline constexpr int TALL_LAYOUT_MIN_HEIGHT = 640;
// Height the vertical panes get in a short window.
inline constexpr int SHORT_VERTICAL_PANE_HEIGHT = 110;
// In a short window the lower vertical pane sits between the hexadecimal
// "Copy" (y 143..165) and the decimal "Copy"/"Paste" row (y 283..305):
// 170 + 110 = 280. It is also where the tall rule puts it at H = 640
// (c = 110), so the panes do not jump at the threshold. Left where the tall
// rule last put it (y >= 190), it would cover "Copy" and "Paste".
inline constexpr int SHORT_LOWER_VERTICAL_PANE_Y = 170;
// The panes span the client width less 10 pixels of margin on the left and
// 12 on the right.
inline constexpr int PANE_X = 10;
inline constexpr int PANE_WIDTH_MARGIN = 22;
inline constexpr int UPPER_PANE_Y = 30;
inline constexpr int LOWER_VERTICAL_PANE_START_Y = 160;
inline constexpr int VERTICAL_PANE_START_HEIGHT = 100;
inline constexpr int UPPER_HORIZONTAL_PANE_HEIGHT = 120;
inline constexpr int LOWER_HORIZONTAL_PANE_Y = 193;
inline constexpr int LOWER_HORIZONTAL_PANE_HEIGHT = 80;
// The part of the client height above and below the tall vertical panes;
// each pane gets half of the rest.
inline constexpr int VERTICAL_PANES_RESERVED_HEIGHT = 420;

// The key panel: never resized, only moved; its left edge keeps 10 pixels
// to the right window edge and its top 335 pixels above the bottom edge,
// but never above y = 305.
inline constexpr int KEY_PANEL_WIDTH = 490;
inline constexpr int KEY_PANEL_HEIGHT = 340;
inline constexpr int KEY_PANEL_START_X = 140;
inline constexpr int KEY_PANEL_START_Y = 290;
inline constexpr int KEY_PANEL_RIGHT_OFFSET = 500;
inline constexpr int KEY_PANEL_BOTTOM_OFFSET = 335;
inline constexpr int KEY_PANEL_MIN_Y = 305;

// The copy and paste buttons of the horizontal layout.
inline constexpr int COPY_BUTTON_X = 20;
inline constexpr int PASTE_BUTTON_X = 100;
inline constexpr int HORIZONTAL_HEX_COPY_Y = 153;
inline constexpr int HORIZONTAL_DEC_COPY_Y = 276;
// The same in a short window with the vertical panes.
inline constexpr int SHORT_VERTICAL_HEX_COPY_Y = 143;
inline constexpr int SHORT_VERTICAL_DEC_COPY_Y = 283;
// Tall window with the vertical panes: hexadecimal "Copy" at y = c + 33,
// decimal "Copy" and "Paste" at y = H - 357.
inline constexpr int TALL_VERTICAL_HEX_COPY_OFFSET = 33;
inline constexpr int TALL_VERTICAL_DEC_COPY_FROM_BOTTOM = 357;
inline constexpr int TALL_LOWER_PANE_OFFSET = 60;

// --- fonts -----------------------------------------------------------------
inline constexpr const char* FONT_FAMILY = "Courier New";
// The buttons' font is given by its cell height (ascent + descent).
inline constexpr int BUTTON_FONT_CELL_HEIGHT = 18;
// The pane font is given by its character (em) height, written negative as
// the font height of the original program: -20 is an em of 20 pixels.
// Font++ and Font-- move it in steps of 2 between these bounds.
inline constexpr int PANE_FONT_START_HEIGHT = -20;
inline constexpr int PANE_FONT_LARGEST_HEIGHT = -30;
inline constexpr int PANE_FONT_SMALLEST_HEIGHT = -14;
inline constexpr int PANE_FONT_STEP = 2;
// The bit row's font is 5 pixels smaller than the text font.
inline constexpr int SMALL_FONT_HEIGHT_OFFSET = 5;

// --- key panel -------------------------------------------------------------
// Background behind an indicator word that is lit, RGB.
inline constexpr int INDICATOR_RGB[3] = {0, 255, 80};
inline constexpr int MODULO_INDICATOR_X = 210;
inline constexpr int MODULO_INDICATOR_Y = 10;
inline constexpr int MEMORY_INDICATOR_X = 210;
inline constexpr int MEMORY_INDICATOR_Y = 30;
// Keys pressed while a command runs wait, up to this many, and run in order
// when it ends. A person types some ten keys a second and a held key
// repeats some thirty times, so this is minutes of typing; past it a key
// is refused (the strip says so) rather than memory taken without end.
inline constexpr int TYPE_AHEAD_MAX_KEYS = 1000;

// --- display panes ---------------------------------------------------------
// Character width is measured on this string and divided by its length, so
// that a fractional advance does not drift over a long row.
inline constexpr const char* WIDTH_PROBE = "0123456789ABCDEF0123456789ABCDEF";
// Columns = (client width - COLUMN_MARGIN) / character width.
inline constexpr int COLUMN_MARGIN = 5;
// Text starts one pixel in from the client edge.
inline constexpr int TEXT_ORIGIN = 1;
// The hexadecimal text starts with "+0x" or "-0x", which the panes skip.
inline constexpr int HEX_PREFIX_LENGTH = 3;
// The decimal summary line "%s E+%d" appears from this many characters on
// and is drawn at this y in the lower horizontal pane.
inline constexpr int SUMMARY_MIN_LENGTH = 18;
inline constexpr int SUMMARY_LINE_Y = 28;
// Significant digits of the summary's mantissa.
inline constexpr int SUMMARY_DIGITS = 16;
inline constexpr int BITS_PER_HEX_DIGIT = 4;
// One line of the bit view scrolls one hexadecimal digit.
inline constexpr int BIT_PANE_LINE_STEP = BITS_PER_HEX_DIGIT;
// Bit numbers are written every this many bits.
inline constexpr int BIT_NUMBER_INTERVAL = 16;

// --- status strip ----------------------------------------------------------
// The strip right of "Font--": a long computation, the size of the shown
// value, how to go on after a message. It spans to the key panel's right
// margin, 200 pixels in the window's starting width.
inline constexpr int BUSY_STRIP_X = 430;
inline constexpr int BUSY_STRIP_Y = 0;
inline constexpr int BUSY_STRIP_RIGHT_MARGIN = 10;
inline constexpr int BUSY_STRIP_HEIGHT = 22;
// Values with fewer decimal digits show no size; the panes say it at a glance.
inline constexpr int SIZE_TEXT_MIN_DIGITS = 16;
// A command shorter than this never shows the strip (no flicker on every
// key), in milliseconds.
inline constexpr int BUSY_STRIP_DELAY_MS = 300;
// How often the strip polls the worker and refreshes the seconds.
inline constexpr int BUSY_STRIP_POLL_MS = 100;
// The largest pixel size tried for the strip's text; it shrinks until the
// text fits the strip.
inline constexpr int BUSY_STRIP_MAX_PIXEL_SIZE = 13;
inline constexpr int BUSY_STRIP_MIN_PIXEL_SIZE = 7;
// The progress bar at the strip's left, and the gap before the text.
inline constexpr int PROGRESS_BAR_WIDTH = 70;
inline constexpr int PROGRESS_BAR_HEIGHT = 12;
inline constexpr int PROGRESS_BAR_GAP = 6;

// --- minimum window size ---------------------------------------------------
// Narrowest client area: the top row ("Vert" .. "Font--", then the status
// strip of 200 pixels) ends at x = 630 and keeps the key panel's 10-pixel
// right margin. The keys alone would need 500 (the panel sits at W - 500).
inline constexpr int MIN_CLIENT_WIDTH = 640;
// Lowest client area: below TALL_LAYOUT_MIN_HEIGHT the key panel stays at
// y = 305, and its lowest keys ("0", "=") end 327 pixels below its top.
inline constexpr int KEY_PANEL_LOWEST_KEY_BOTTOM = 327;
inline constexpr int MIN_CLIENT_HEIGHT = KEY_PANEL_MIN_Y + KEY_PANEL_LOWEST_KEY_BOTTOM;

// --- files -----------------------------------------------------------------
// The largest file Open reads. A 5,000,000-bit value is 5,000,003 characters
// in the binary form and fewer in the others; the rest is room for
// separators and line breaks, which reading ignores.
inline constexpr long long OPEN_FILE_MAX_BYTES = 64LL << 20;
// Open reads a file, and decodes a UTF-16 or UTF-32 one, in pieces of this
// many bytes: what it holds at once beyond the file's bytes and their text.
inline constexpr long long OPEN_FILE_CHUNK_BYTES = 1 << 20;

// --- clipboard -------------------------------------------------------------
// A worker waiting for the window thread to serve a clipboard request
// checks its abort flag this often, in milliseconds, so that a cancel or
// the program's end never waits on a window thread that waits for it.
inline constexpr int CLIPBOARD_ABORT_POLL_MS = 20;

}  // namespace quorvel::ui

namespace quorvel::ui {

// Find runs on a thread of its own, so that Escape can stop it, for texts of
// at least this many characters; shorter ones are searched at once.
inline constexpr size_t SEARCH_THREAD_MIN_CHARS = 100000;
// The search polls its stop flag once per this many characters of text.
inline constexpr size_t SEARCH_POLL_CHARS = 65536;
// A match or a position scrolled into view lands this far into the pane:
// a third of its rows or columns, so that what comes before it shows too.
inline constexpr int REVEAL_CONTEXT_DIVISOR = 3;

}  // namespace quorvel::ui
