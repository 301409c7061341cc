// The program's icon, drawn rather than loaded so that it needs no image plug-in: a chip
// with its pins on a rounded square, the same picture as the installed pinwright.svg.
#pragma once

#include <QIcon>

namespace ui {

QIcon program_icon();

} // namespace ui
