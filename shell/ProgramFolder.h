#pragma once
// The program's folder: the database, the log and the report file are found there.
#include <QString>

// The program's folder: the executable's folder.
QString programFolder();
// The folder with a closing separator.
QString programFolderSlash();

// ---- for tests and benchmarks only ----
// Points the program at another folder; the program itself never moves.
void setProgramFolder(const QString &folder);
