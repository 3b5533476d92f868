#include "platform/FileCopy.h"
#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
bool writeAll(int fd, const char *data, ssize_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size_t(size));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

bool copyInto(int in, int out)
{
    char buf[1 << 16];
    for (;;) {
        const ssize_t n = ::read(in, buf, sizeof buf);
        if (n == 0)
            return ::fsync(out) == 0;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (!writeAll(out, buf, n))
            return false;
    }
}
}

bool APIFileCopy(const QString &source, const QString &target, bool failIfExists)
{
    const QByteArray src = QFile::encodeName(source);
    const QByteArray dst = QFile::encodeName(target);
    const int in = ::open(src.constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return false;
    // The copy is made under a temporary name in the target folder and only then given its name,
    // so nobody ever sees a half-written target.
    QByteArray tmpl = QFile::encodeName(QFileInfo(target).absolutePath()) + "/.norvik-copy-XXXXXX";
    const int out = ::mkostemp(tmpl.data(), O_CLOEXEC);
    if (out < 0) {
        ::close(in);
        return false;
    }
    ::fchmod(out, 0644);
    bool ok = copyInto(in, out);
    ::close(in);
    ok = (::close(out) == 0) && ok;
    if (ok) {
        if (failIfExists) {
            // link() refuses an existing name atomically.
            if (::link(tmpl.constData(), dst.constData()) != 0) {
                ok = false;
                if (errno != EEXIST) {
                    // A file system without hard links: claim the name exclusively, then fill it.
                    const int excl = ::open(dst.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
                    if (excl >= 0) {
                        const int again = ::open(tmpl.constData(), O_RDONLY | O_CLOEXEC);
                        ok = again >= 0 && copyInto(again, excl);
                        if (again >= 0)
                            ::close(again);
                        ok = (::close(excl) == 0) && ok;
                        if (!ok)
                            ::unlink(dst.constData());
                    }
                }
            }
        } else {
            ok = ::rename(tmpl.constData(), dst.constData()) == 0;
        }
    }
    ::unlink(tmpl.constData());
    return ok;
}
