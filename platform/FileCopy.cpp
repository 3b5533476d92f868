#include "platform/FileCopy.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// A visible, self-explaining name: a user who finds one after a crash knows what it was.
const QString kTemporaryMarker = QStringLiteral(".copia-in-corso-");

FileCopyCalls systemCalls()
{
    FileCopyCalls c;
    c.renameNoReplace = [](const char *from, const char *to) {
        return ::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE);
    };
    c.link = [](const char *from, const char *to) { return ::link(from, to); };
    return c;
}

FileCopyCalls &calls()
{
    static FileCopyCalls c = systemCalls();
    return c;
}

// The errors by which a file system says it lacks the call, rather than that the call failed.
bool noReplaceLacking(int err) { return err == EINVAL || err == ENOSYS || err == ENOTSUP || err == EOPNOTSUPP; }
bool linkLacking(int err) { return err == EPERM || err == ENOSYS || err == ENOTSUP || err == EOPNOTSUPP; }

// Gives the finished temporary the target's name, never replacing a file of that name. On
// success the temporary's name is gone.
bool nameCopy(const QByteArray &temporary, const QByteArray &target)
{
    FileCopyCalls &c = calls();
    if (c.renameNoReplace(temporary.constData(), target.constData()) == 0)
        return true;
    if (!noReplaceLacking(errno))
        return false;
    if (c.link(temporary.constData(), target.constData()) == 0) {
        ::unlink(temporary.constData());
        return true;
    }
    if (!linkLacking(errno))
        return false;
    // FAT, exFAT and many network shares offer neither: the name is checked free right before a
    // plain rename, so only microseconds remain in which another file could take it.
    struct stat st;
    if (::lstat(target.constData(), &st) == 0 || errno != ENOENT)
        return false;
    return ::rename(temporary.constData(), target.constData()) == 0;
}

// A copy that was killed leaves its temporary behind, as large as the database; the next copy
// into the folder removes it. One still locked belongs to a copy running right now elsewhere.
void removeLeftovers(const QString &folder, const QString &targetName)
{
    const QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : names) {
        if (!isCopyTemporaryName(name, targetName))
            continue;
        const QByteArray path = QFile::encodeName(folder + QLatin1Char('/') + name);
        const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0)
            continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 || errno != EWOULDBLOCK)
            ::unlink(path.constData());
        ::close(fd);
    }
}

// Copies every page in one step, so the copy is one committed state of the database.
bool copyPages(sqlite3 *source, const QByteArray &temporary)
{
    sqlite3 *dest = nullptr;
    bool ok = sqlite3_open_v2(temporary.constData(), &dest, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK
              // Nothing to roll back to in a fresh temporary; it is synced once, whole, below.
              && sqlite3_exec(dest, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF", nullptr, nullptr, nullptr)
                     == SQLITE_OK;
    if (ok) {
        sqlite3_backup *backup = sqlite3_backup_init(dest, "main", source, "main");
        ok = backup && sqlite3_backup_step(backup, -1) == SQLITE_DONE;
        ok = sqlite3_backup_finish(backup) == SQLITE_OK && ok;
    }
    return sqlite3_close_v2(dest) == SQLITE_OK && ok;
}

void syncFolder(const QString &folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}
}

FileCopyCalls &fileCopyCalls() { return calls(); }

void resetFileCopyCalls() { calls() = systemCalls(); }

bool isCopyTemporaryName(const QString &fileName, const QString &targetName)
{
    static const QRegularExpression suffix(QStringLiteral("^[A-Za-z0-9]{6}$"));
    const QString prefix = targetName + kTemporaryMarker;
    return fileName.startsWith(prefix) && suffix.match(fileName.mid(prefix.size())).hasMatch();
}

bool APIFileCopy(sqlite3 *source, const QString &target)
{
    if (!source)
        return false;
    const QFileInfo info(target);
    const QString folder = info.absolutePath();
    if (info.fileName().isEmpty())
        return false;
    removeLeftovers(folder, info.fileName());

    QByteArray temporary =
        QFile::encodeName(folder + QLatin1Char('/') + info.fileName() + kTemporaryMarker) + QByteArrayLiteral("XXXXXX");
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    // Held until the copy has its name, so that another copy into this folder leaves it alone.
    ::flock(fd, LOCK_EX | LOCK_NB);
    ::fchmod(fd, 0644);
    bool ok = copyPages(source, temporary) && ::fsync(fd) == 0;
    if (ok && calls().beforeNaming)
        calls().beforeNaming(QFile::decodeName(temporary));
    ok = ok && nameCopy(temporary, QFile::encodeName(folder + QLatin1Char('/') + info.fileName()));
    if (ok)
        syncFolder(folder);
    else
        ::unlink(temporary.constData());
    ::close(fd);
    return ok;
}
