// The program's icon: the window colour, a display with a bit row, a few
// keys and a lit indicator. The same picture is resources/quorvel.svg,
// which the installation gives to the desktop menus.
#pragma once

#include <QIcon>

namespace quorvel::ui {

QIcon programIcon();

}  // namespace quorvel::ui
