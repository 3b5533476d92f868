#pragma once
#include <functional>

class QWidget;
class MSFlexGrid;

// Mouse-wheel scrolling of the list windows. The grid does not scroll with the wheel by itself:
// a hooked window receives every wheel turn made over it as a call of its MouseWheel member,
// which scrolls the grid under the pointer by one page per wheel step.

// The window's MouseWheel: key state (classic MK_* bits), rotation in multiples of 120 (positive
// away from the user), pointer position in global screen pixels.
using MouseWheelHandler = std::function<void(int MouseKeys, int Rotation, int Xpos, int Ypos)>;

// Hooks a top-level window until WheelUnhook or until the window is destroyed. Each window keeps
// its own hook, so windows stacked over each other are hooked and unhooked independently; hooking
// a hooked window again replaces its handler.
void WheelHook(QWidget *window, MouseWheelHandler mouseWheel);
void WheelUnhook(QWidget *window);
bool IsWheelHooked(const QWidget *window);

// Whether the global screen point lies over the widget, edges included.
bool IsOver(const QWidget *widget, int x, int y);

// Scrolls the grid one page of rows: towards the end when Rotation <= 0, towards the start
// otherwise. MouseKeys, Xpos and Ypos play no part. Never throws.
void MSFlexGridScroll(MSFlexGrid *grid, int MouseKeys, int Rotation, int Xpos, int Ypos);
