#include "platform/ShellLaunch.h"
#include <QProcess>
#include <QStandardPaths>

namespace {
std::function<QString(const QString &)> g_find;
std::function<bool(const QString &, const QString &)> g_execute;
}

QString ShellLaunch::FindExecutable(const QString &file)
{
    if (g_find)
        return g_find(file);
    // The desktop's own opener hands the page to the browser chosen by the user.
    return QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
}

bool ShellLaunch::ShellExecute(const QString &program, const QString &address)
{
    if (g_execute)
        return g_execute(program, address);
    return QProcess::startDetached(program, {address});
}

void ShellLaunch::setFindHook(std::function<QString(const QString &)> hook) { g_find = std::move(hook); }
void ShellLaunch::setExecuteHook(std::function<bool(const QString &, const QString &)> hook)
{
    g_execute = std::move(hook);
}
