#pragma once
#include <Qt>

class QKeyEvent;

// The classic key codes the window handlers test (46 Delete, 35 End, 36 Home ...).
int virtualKey(const QKeyEvent *e);
// Shift state: 1 Shift, 2 Ctrl, 4 Alt.
int shiftState(Qt::KeyboardModifiers m);
