#include "platform/FileCopy.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <cerrno>
#include <cstdio>
#include <cstring>
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
// success (0) the temporary's name is gone; else the errno of the step that failed.
int nameCopy(const QByteArray &temporary, const QByteArray &target)
{
    FileCopyCalls &c = calls();
    if (c.renameNoReplace(temporary.constData(), target.constData()) == 0)
        return 0;
    if (!noReplaceLacking(errno))
        return errno;
    if (c.link(temporary.constData(), target.constData()) == 0) {
        ::unlink(temporary.constData());
        return 0;
    }
    if (!linkLacking(errno))
        return errno;
    // FAT, exFAT and many network shares offer neither: the name is checked free right before a
    // plain rename, so only microseconds remain in which another file could take it.
    struct stat st;
    if (::lstat(target.constData(), &st) == 0)
        return EEXIST;
    if (errno != ENOENT)
        return errno;
    return ::rename(temporary.constData(), target.constData()) == 0 ? 0 : errno;
}

// The files SQLite may keep beside a database while it writes it.
const char *const kCompanions[] = {"-journal", "-wal", "-shm"};

void removeWithCompanions(const QByteArray &path)
{
    ::unlink(path.constData());
    for (const char *suffix : kCompanions)
        ::unlink((path + suffix).constData());
}

// The temporary whose companion `name` is, or "" when it is none.
QString companionOf(const QString &name)
{
    for (const char *suffix : kCompanions)
        if (name.endsWith(QLatin1String(suffix)))
            return name.chopped(int(std::strlen(suffix)));
    return QString();
}

// A copy that was killed leaves its temporary behind, as large as the database, and maybe a
// journal beside it; the next copy into the folder removes them. A temporary still locked
// belongs to a copy running right now elsewhere, and so do its companions.
void removeLeftovers(const QString &folder, const QString &targetName)
{
    const QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : names) {
        const QString owner = companionOf(name);
        if (!owner.isEmpty() && isCopyTemporaryName(owner, targetName) && !names.contains(owner))
            ::unlink(QFile::encodeName(folder + QLatin1Char('/') + name).constData());
        if (!isCopyTemporaryName(name, targetName))
            continue;
        const QByteArray path = QFile::encodeName(folder + QLatin1Char('/') + name);
        const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0)
            continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 || errno != EWOULDBLOCK)
            removeWithCompanions(path);
        ::close(fd);
    }
}

CopyFailure failed(CopyFailure::Reason reason, const QString &detail = QString())
{
    CopyFailure f;
    f.reason = reason;
    f.detail = detail;
    return f;
}

// What a refused system call means to the user.
CopyFailure systemFailure(int err)
{
    switch (err) {
    case ENOSPC:
    case EDQUOT:
        return failed(CopyFailure::DiskFull);
    case EACCES:
    case EPERM:
    case EROFS:
        return failed(CopyFailure::FolderNotWritable);
    case EEXIST:
        return failed(CopyFailure::TargetExists);
    default:
        return failed(CopyFailure::Other, QString::fromLocal8Bit(std::strerror(err)));
    }
}

// A new file refused in `folder`. Some file systems answer "no such file" for a folder that is
// there but takes no files (/proc), so the folder itself is looked at.
CopyFailure folderFailure(const QString &folder, int err)
{
    struct stat st;
    if (::stat(QFile::encodeName(folder).constData(), &st) == 0 ? !S_ISDIR(st.st_mode)
                                                                : errno == ENOENT || errno == ENOTDIR)
        return failed(CopyFailure::FolderMissing);
    return systemFailure(err == ENOENT ? EACCES : err);
}

// What a failed SQLite call on the copy's connection `db` means to the user.
CopyFailure sqliteFailure(sqlite3 *db, int rc)
{
    switch (rc & 0xff) {
    case SQLITE_FULL:
        return failed(CopyFailure::DiskFull);
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return failed(CopyFailure::DatabaseBusy);
    case SQLITE_READONLY:
        return failed(CopyFailure::FolderNotWritable);
    default:
        break;
    }
    const int err = db ? sqlite3_system_errno(db) : 0;
    if (err == ENOSPC || err == EDQUOT)
        return failed(CopyFailure::DiskFull);
    QString words = QString::fromUtf8(sqlite3_errstr(rc));
    if (err != 0)
        words += QStringLiteral(" (%1)").arg(QString::fromLocal8Bit(std::strerror(err)));
    return failed(CopyFailure::Other, words);
}

// The first column of the first row of `sql` ("" for none); the statement's result in `rc`.
QByteArray firstValue(sqlite3 *db, const char *sql, int *rc)
{
    sqlite3_stmt *st = nullptr;
    QByteArray value;
    *rc = sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
    if (*rc == SQLITE_OK) {
        *rc = sqlite3_step(st);
        if (*rc == SQLITE_ROW)
            value = reinterpret_cast<const char *>(sqlite3_column_text(st, 0));
        *rc = sqlite3_finalize(st);
    }
    return value;
}

// Copies every page in one step, so the copy is one committed state of the database.
int backupAll(sqlite3 *dest, sqlite3 *source)
{
    sqlite3_backup *backup = sqlite3_backup_init(dest, "main", source, "main");
    if (!backup)
        return sqlite3_errcode(dest);
    const int step = sqlite3_backup_step(backup, -1);
    const int finish = sqlite3_backup_finish(backup);
    // A busy source ends the step without being an error of the backup.
    return finish != SQLITE_OK ? finish : step == SQLITE_DONE ? SQLITE_OK : step;
}

// The copy comes with the database's own header, which says WAL when the database is in WAL
// mode; such a copy could not be opened from a read-only medium, where its reader cannot create
// the files WAL needs beside it. So it leaves in rollback-journal mode. Nothing to roll back to
// in a fresh temporary: it is synced once, whole, afterwards. The exclusive lock keeps the
// switch out of WAL from needing shared memory beside the copy, which some shares lack.
CopyFailure copyPages(sqlite3 *source, const QByteArray &temporary)
{
    sqlite3 *dest = nullptr;
    int rc = sqlite3_open_v2(temporary.constData(), &dest, SQLITE_OPEN_READWRITE, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(dest, "PRAGMA locking_mode=EXCLUSIVE; PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF",
                          nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK)
        rc = backupAll(dest, source);
    QByteArray mode;
    if (rc == SQLITE_OK)
        mode = firstValue(dest, "PRAGMA journal_mode=DELETE", &rc);
    CopyFailure f = rc != SQLITE_OK ? sqliteFailure(dest, rc)
                    // SQLite answers with the mode it kept when it cannot switch.
                    : mode != "delete" ? failed(CopyFailure::Other, QString::fromUtf8("journal_mode=" + mode))
                                       : CopyFailure();
    rc = sqlite3_close_v2(dest);
    if (rc != SQLITE_OK && f.reason == CopyFailure::None)
        f = sqliteFailure(nullptr, rc);
    return f;
}

// Reads the copy back as its reader will, through a connection of its own, and checks every
// page. A copy that fails while the database passes was damaged on its way to the disk; damage
// already in the database is told as such, for then the older copies are the ones to keep.
CopyFailure checkCopy(sqlite3 *source, const QByteArray &temporary)
{
    sqlite3 *copy = nullptr;
    int rc = sqlite3_open_v2(temporary.constData(), &copy, SQLITE_OPEN_READONLY, nullptr);
    const QByteArray verdict = rc == SQLITE_OK ? firstValue(copy, "PRAGMA integrity_check", &rc) : QByteArray();
    sqlite3_close_v2(copy);
    if (rc == SQLITE_OK && verdict == "ok")
        return CopyFailure();
    const QByteArray own = firstValue(source, "PRAGMA integrity_check", &rc);
    const int kind = rc & 0xff;
    const bool databaseDamaged = (rc == SQLITE_OK && own != "ok") || kind == SQLITE_CORRUPT || kind == SQLITE_NOTADB;
    return failed(databaseDamaged ? CopyFailure::DatabaseDamaged : CopyFailure::CopyDamaged);
}

void syncFolder(const QString &folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Fills the temporary open on `fd`, checks it and gives it the target's name.
CopyFailure finishCopy(sqlite3 *source, int fd, const QByteArray &temporary, const QByteArray &target)
{
    CopyFailure f = copyPages(source, temporary);
    if (f.reason != CopyFailure::None)
        return f;
    if (::fsync(fd) != 0)
        return systemFailure(errno);
    if (calls().beforeCheck)
        calls().beforeCheck(QFile::decodeName(temporary));
    f = checkCopy(source, temporary);
    if (f.reason != CopyFailure::None)
        return f;
    if (calls().beforeNaming)
        calls().beforeNaming(QFile::decodeName(temporary));
    const int err = nameCopy(temporary, target);
    return err == 0 ? CopyFailure() : systemFailure(err);
}

CopyFailure copyTo(sqlite3 *source, const QString &target)
{
    if (!source)
        return failed(CopyFailure::Other, QString::fromUtf8(sqlite3_errstr(SQLITE_MISUSE)));
    const QFileInfo info(target);
    const QString folder = info.absolutePath();
    if (info.fileName().isEmpty())
        return failed(CopyFailure::FolderMissing);
    removeLeftovers(folder, info.fileName());

    QByteArray temporary =
        QFile::encodeName(folder + QLatin1Char('/') + info.fileName() + kTemporaryMarker) + QByteArrayLiteral("XXXXXX");
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return folderFailure(folder, errno);
    // Held until the copy has its name, so that another copy into this folder leaves it alone.
    ::flock(fd, LOCK_EX | LOCK_NB);
    ::fchmod(fd, 0644);
    const CopyFailure f =
        finishCopy(source, fd, temporary, QFile::encodeName(folder + QLatin1Char('/') + info.fileName()));
    if (f.reason == CopyFailure::None)
        syncFolder(folder);
    else
        removeWithCompanions(temporary);
    ::close(fd);
    return f;
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

bool APIFileCopy(sqlite3 *source, const QString &target, CopyFailure *failure)
{
    const CopyFailure f = copyTo(source, target);
    if (failure)
        *failure = f;
    return f.reason == CopyFailure::None;
}
