#include "shell/ProgramFolder.h"
#include <QCoreApplication>

namespace {
QString g_programFolder;
}

QString programFolder()
{
    if (g_programFolder.isEmpty())
        g_programFolder = QCoreApplication::applicationDirPath();
    return g_programFolder;
}

void setProgramFolder(const QString &folder) { g_programFolder = folder; }

QString programFolderSlash()
{
    QString p = programFolder();
    if (!p.endsWith(QLatin1Char('/')))
        p += QLatin1Char('/');
    return p;
}
