#pragma once

// Fills the shell's table of the windows opened by name with every window the program has.
void registerWindows();
