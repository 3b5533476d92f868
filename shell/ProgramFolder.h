#pragma once
// The program's folder: the database, the log and the report file are found there.
#include <QString>

// The program's folder: the executable's folder; tests point it elsewhere.
QString programFolder();
void setProgramFolder(const QString &folder);
// The folder with a closing separator.
QString programFolderSlash();
