#pragma once
#include <QString>
#include <functional>

struct sqlite3;

// Copies the database open on `source` into the file `target`. The copy is read through SQLite,
// so changes still held in a write-ahead log are in it, and is written under a temporary name
// of ours in the target folder, then given the target's name. An existing target is never
// replaced, not even one that appears while the copy runs, and nothing is ever written under
// the target's name itself. Temporaries that an interrupted copy left in that folder are
// removed first. False when no copy could be made; then the folder is as it was.
bool APIFileCopy(sqlite3 *source, const QString &target);

// The steps that name a finished copy, as system calls that tests replace to play a file
// system lacking one of them (each returns 0 or -1 with errno set, like the system call).
struct FileCopyCalls {
    std::function<int(const char *from, const char *to)> renameNoReplace;
    std::function<int(const char *from, const char *to)> link;
    // Runs when the temporary holds the whole copy, right before it is named.
    std::function<void(const QString &temporary)> beforeNaming;
};
FileCopyCalls &fileCopyCalls();
void resetFileCopyCalls();

// True for the name of a temporary that a copy to `targetName` makes.
bool isCopyTemporaryName(const QString &fileName, const QString &targetName);
