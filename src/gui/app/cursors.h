#pragma once
// The program's own mouse cursors of the box codes 7 to 13: the zoom band being dragged
// right-down, right-up, left-down, left-up, and the mark set without peak search, with the
// peak searched on the upper side, on the lower side.
#include <QCursor>

QCursor ProgramCursor(int code);
