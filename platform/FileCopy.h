#pragma once
#include <QString>

// Copies a file. With failIfExists an existing target is never touched, not even one that appears
// while the copy runs; a copy that fails half way leaves no file behind.
bool APIFileCopy(const QString &source, const QString &target, bool failIfExists);
