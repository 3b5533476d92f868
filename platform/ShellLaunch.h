#pragma once
#include <QString>
#include <functional>

// The desktop shell: which program opens web pages, and starting it on an address.
namespace ShellLaunch {
// The program associated with the file's kind, or "" when there is none.
QString FindExecutable(const QString &file);
// Starts the program with the address; false when it could not be started.
bool ShellExecute(const QString &program, const QString &address);
// Tests replace the shell with their own answers; an empty function restores it.
void setFindHook(std::function<QString(const QString &)> hook);
void setExecuteHook(std::function<bool(const QString &, const QString &)> hook);
}
