#pragma once
#include <QString>
#include <functional>

struct sqlite3;

// Why a copy was not made, as far as the file system and SQLite can tell.
struct CopyFailure {
    enum Reason {
        None,
        FolderMissing,     // no folder of that name, or a file in its place
        FolderNotWritable, // the folder takes no new files
        DiskFull,
        TargetExists,    // something of the target's name is there already; it is never replaced
        CopyDamaged,     // the copy read back fails the integrity check, the database passes it
        DatabaseDamaged, // the database itself fails the integrity check
        DatabaseBusy,    // another program holds the database
        Other,
    };
    Reason reason = None;
    QString detail; // for Other: the system's or SQLite's own words
};

// Copies the database open on `source` into the file `target`. The copy is read through SQLite,
// so changes still held in a write-ahead log are in it, and is written under a temporary name
// of ours in the target folder, switched to the rollback journal (so that it opens from a
// read-only medium), read back and checked whole, then given the target's name. An existing
// target is never replaced, not even one that appears while the copy runs, and nothing is ever
// written under the target's name itself. Temporaries that an interrupted copy left in that
// folder are removed first. False when no copy was made, with the reason in `failure`; then
// the folder is as it was.
bool APIFileCopy(sqlite3 *source, const QString &target, CopyFailure *failure = nullptr);

// The steps that name a finished copy, as system calls that tests replace to play a file
// system lacking one of them (each returns 0 or -1 with errno set, like the system call).
struct FileCopyCalls {
    std::function<int(const char *from, const char *to)> renameNoReplace;
    std::function<int(const char *from, const char *to)> link;
    // Runs when the temporary holds the whole copy, on disk, right before it is read back and
    // checked: a test damages it here as a faulty driver or medium would.
    std::function<void(const QString &temporary)> beforeCheck;
    // Runs when the temporary holds the whole, checked copy, right before it is named.
    std::function<void(const QString &temporary)> beforeNaming;
};
FileCopyCalls &fileCopyCalls();
void resetFileCopyCalls();

// True for the name of a temporary that a copy to `targetName` makes.
bool isCopyTemporaryName(const QString &fileName, const QString &targetName);
