#pragma once
// For the benchmarks only: the moment a widget is first drawn is appended to a file, in
// nanoseconds of the system clock, once the frame has been handed to the window system. The
// program writes it itself: watching the window system from outside would tell only when a
// window is mapped, not when it shows its contents.
#include <QString>

class QWidget;

namespace DrawnMark {

// Watches the widget's next paint, in place of an earlier watch; an empty file name watches
// nothing.
void watch(QWidget *widget, const QString &file);

}
