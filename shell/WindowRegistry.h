#pragma once
#include <QString>

// The windows the main window opens, by name, so the shell does not depend on every register.
namespace WindowRegistry {
// Shows the named window modally; false when no such window is built.
bool show(const QString &name);
bool exists(const QString &name);
}
