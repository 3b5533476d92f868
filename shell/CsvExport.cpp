#include "shell/CsvExport.h"
#include "platform/Dialogs.h"
#include "platform/MSFlexGrid.h"
#include "platform/PlatformError.h"
#include "shell/ErrorExit.h"
#include "shell/basGeneralCustom.h"
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>
#include <cstring>
#include <vector>

namespace {
// The module its error sentences name.
const QString kModule = QStringLiteral("basGeneral");
const QString kKeyHeader = QStringLiteral("IDFIELD");

// Windows-1252 bytes 0x80..0x9F; 0 marks the five positions the code page leaves undefined,
// which Windows maps to the C1 control of the same number.
const char16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

char cp1252Byte(char32_t u)
{
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return char(u);
    for (int i = 0; i < 32; ++i) {
        const char32_t mapped = kCp1252High[i] ? char32_t(kCp1252High[i]) : char32_t(0x80 + i);
        if (mapped == u)
            return char(0x80 + i);
    }
    return '?';
}

// The file is written in the Windows "ANSI" code page the exported files have always used.
// Text is composed first so that a letter typed as base + accent is still one byte.
void appendCp1252(QByteArray &out, const QString &text)
{
    const QString composed = text.normalized(QString::NormalizationForm_C);
    const char16_t *p = reinterpret_cast<const char16_t *>(composed.utf16());
    const qsizetype n = composed.size();
    for (qsizetype i = 0; i < n; ++i) {
        char32_t u = p[i];
        if (QChar::isHighSurrogate(u) && i + 1 < n && QChar::isLowSurrogate(p[i + 1]))
            u = QChar::surrogateToUcs4(char16_t(u), p[++i]);
        out += cp1252Byte(u);
    }
}

// The classic runtime's file errors, chosen from what the system reported (errno is read
// right after the failing call, before anything else can change it).
PlatformError fileError(int err, const QString &fileName)
{
    switch (err) {
    case ENOENT:
    case ENOTDIR:
        return PlatformError(ErrNo::PathNotFound, QStringLiteral("Path not found"));
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
        return PlatformError(ErrNo::PermissionDenied, QStringLiteral("Permission denied"));
    case ENOSPC:
    case EDQUOT:
        return PlatformError(ErrNo::DiskFull, QStringLiteral("Disk full"));
    default:
        break;
    }
    // No usable errno (QSaveFile checks some cases itself): judge from the file system.
    const QFileInfo target(fileName);
    const QFileInfo folder(target.absolutePath());
    if (!folder.isDir())
        return PlatformError(ErrNo::PathNotFound, QStringLiteral("Path not found"));
    if (target.isDir() || (target.exists() && !target.isWritable()) || !folder.isWritable())
        return PlatformError(ErrNo::PermissionDenied, QStringLiteral("Permission denied"));
    if (err != 0)
        return PlatformError(
            ErrNo::FileIO,
            QStringLiteral("Path/File access error (%1)").arg(QString::fromLocal8Bit(std::strerror(err))));
    return PlatformError(ErrNo::FileIO, QStringLiteral("Path/File access error"));
}
}

bool xMSFlexGrid_Save(MSFlexGrid *grid, const QString &fileName)
{
    Procedure p(kModule, QStringLiteral("xMSFlexGrid_Save"), OwnerKind::Modulo, ErrorForm::Plain);
    bool written = false;
    p.run([&] {
        if (!grid)
            throw PlatformError(91, QStringLiteral("Object variable or With block variable not set"));
        const int rows = grid->Rows();
        const int cols = grid->Cols();
        std::vector<int> kept;
        kept.reserve(size_t(cols));
        for (int c = 0; c < cols; ++c)
            if (rows == 0 || grid->TextMatrix(0, c) != kKeyHeader)
                kept.push_back(c);

        // The new content goes to a temporary file beside the target and replaces it only
        // once complete, so a failure leaves any earlier export exactly as it was.
        QSaveFile f(fileName);
        errno = 0;
        if (!f.open(QIODevice::WriteOnly))
            throw fileError(errno, fileName);
        QByteArray line;
        for (int r = 0; r < rows; ++r) {
            line.clear();
            for (size_t k = 0; k < kept.size(); ++k) {
                if (k > 0)
                    line += ';';
                QString cell = grid->TextMatrix(r, kept[k]);
                cell.replace(QLatin1Char('"'), QStringLiteral("\"\""));
                line += '"';
                appendCp1252(line, cell);
                line += '"';
            }
            line += "\r\n";
            errno = 0;
            if (f.write(line) != line.size()) {
                const PlatformError e = fileError(errno, fileName);
                f.cancelWriting();
                throw e;
            }
        }
        errno = 0;
        if (!f.commit())
            throw fileError(errno, fileName);
        written = true;
    });
    return written;
}

void esportaCSV(MSFlexGrid *grid)
{
    Procedure p(kModule, QStringLiteral("esportaCSV"), OwnerKind::Modulo, ErrorForm::Plain);
    p.run([&] {
        SaveFileDialog dialog;
        dialog.Filter = QStringLiteral("File CSV|*.csv");
        dialog.ShowSave();
        // A name of blanks only is no name: it would otherwise become a hidden ".csv".
        QString name = dialog.FileName.trimmed();
        if (name.isEmpty())
            return;
        if (name.right(4).toUpper() != QLatin1String(".CSV"))
            name += QStringLiteral(".csv");
        if (fileExists(name)) {
            const int answer = MyMsgBox(QStringLiteral("Il file ") + name
                                            + QStringLiteral(" già esiste. Sei sicuro di volerlo sovrascrivere?"),
                                        4, QStringLiteral("Norvik"));
            if (answer != 6)
                return;
        }
        if (!xMSFlexGrid_Save(grid, name))
            return;
        MyMsgBox(QStringLiteral("I dati sono stati esportati con successo sul file ") + name, 48,
                 QStringLiteral("Norvik"));
    });
}
