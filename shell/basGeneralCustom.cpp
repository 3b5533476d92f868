#include "shell/basGeneralCustom.h"
#include "platform/MSFlexGrid.h"
#include "platform/VbRuntime.h"
#include "shell/ErrorExit.h"
#include "shell/basGeneral.h"
#include <QFileInfo>
#include <optional>
#include <string_view>

short gPrtCSize = 0;
short gFaseUpdate = 0;

namespace {
const QString kModule = QStringLiteral("basGeneralCustom");
}

const QList<QPair<QString, QString>> &settingDefaults()
{
    static const QList<QPair<QString, QString>> defaults{{QStringLiteral("INTESTAZ"), QStringLiteral("Negozio")},
                                                         {QStringLiteral("PRTCSIZE"), QStringLiteral("7")},
                                                         {QStringLiteral("LOGSTATUS"), QStringLiteral("OFF")}};
    return defaults;
}

QString getSetting(const QString &key)
{
    Procedure p(kModule, QStringLiteral("getSetting"), OwnerKind::Modulo);
    QString result;
    p.run([&] {
        OpenDb();
        // A database that could not be written at its first start has no settings yet: what the
        // start would have written holds, without a message at every activation.
        if (gSqliteDb && gSqliteDb->isOpen()
            && !gSqliteDb->hasObject(QStringLiteral("table"), QStringLiteral("settings"))) {
            for (const auto &[name, value] : settingDefaults())
                if (name == key)
                    result = value;
            return;
        }
        releaseRs();
        gRsOpen(QStringLiteral("select value from settings where mnemocode='") + key + QStringLiteral("'"));
        // A refused query has told why; reading the closed result would only add a second box.
        if (!gRs().isOpen())
            return;
        if (!gRs().EOF_()) {
            const QVariant v = gRs().Fields()(QStringLiteral("value")).Value();
            if (!v.isValid())
                throw PlatformError(94, QStringLiteral("Invalid use of Null"));
            result = vb::Str(v);
        }
        CloseDb();
    });
    return result;
}

void aggiornaFaseUpdate(short n)
{
    traceProcedure(kModule, QStringLiteral("aggiornaFaseUpdate"));
    if (gFaseUpdate != 5)
        gFaseUpdate = n;
}

bool fileExists(const QString &path)
{
    const QFileInfo fi(path);
    return fi.exists() && !fi.isDir();
}

QString Punto(const QVariant &value)
{
    Procedure p(kModule, QStringLiteral("Punto"), OwnerKind::Modulo);
    QString result;
    p.run([&] { result = vb::Str(value).replace(QLatin1Char(','), QLatin1Char('.')); });
    return result;
}

QString wrapbooleanchk(const QVariant &value)
{
    traceProcedure(kModule, QStringLiteral("wrapbooleanchk"));
    bool ok = false;
    const double d = value.toDouble(&ok);
    return ok && d == 1 ? QStringLiteral("True") : QStringLiteral("False");
}

namespace {
// Reads the count of a counting query; false (no row) when the query fails.
bool countAboveZero(Procedure &p, const QString &sql, bool *failed)
{
    bool result = false;
    bool counted = false;
    p.run([&] {
        OpenDb();
        releaseRs();
        gRsOpen(sql);
        // A refused query has told why; reading the closed result would only add a second box.
        if (!gRs().isOpen())
            return;
        result = vb::CDbl(gRs().Fields()(QStringLiteral("conteggio")).Value()) > 0;
        counted = true;
        CloseDb();
    });
    if (failed)
        *failed = !counted;
    return result;
}
}

bool esisteRecord(const QString &table, const QString &field, const QVariant &value, const QString &kind,
                  const QString &exclField, const QVariant &exclValue, bool *failed)
{
    Procedure p(kModule, QStringLiteral("esisteRecord"), OwnerKind::Modulo);
    QString sql = QStringLiteral("select count(*) as conteggio from ") + table + QStringLiteral(" where ") + field;
    if (kind == QLatin1String("N"))
        sql += QStringLiteral(" = ") + vb::Str(value);
    else
        sql += QStringLiteral(" = '") + vb::Str(value).replace(QLatin1Char('\''), QStringLiteral("''"))
               + QStringLiteral("'");
    if (!exclField.isEmpty())
        sql += QStringLiteral("  and ") + exclField + QStringLiteral(" <>") + vb::Str(exclValue);
    return countAboveZero(p, sql, failed);
}

bool esisteRecordSQL(const QString &sql, bool *failed)
{
    Procedure p(kModule, QStringLiteral("esisteRecordSQL"), OwnerKind::Modulo);
    return countAboveZero(p, sql, failed);
}

QString checkABICAB(const QString &code, const QString &name)
{
    traceProcedure(kModule, QStringLiteral("checkABICAB"));
    if (code.size() != 5)
        return QStringLiteral("Lunghezza del codice ") + name + QStringLiteral(" non valida");
    for (QChar c : code)
        if (c.unicode() < 48 || c.unicode() > 57)
            return QStringLiteral("Il codice ") + name + QStringLiteral(" contiene caratteri non validi");
    return QString();
}

namespace {
// Whether the text is empty once trimmed as QString::trimmed trims.
bool isBlank(std::string_view utf8)
{
    for (char ch : utf8) {
        if (static_cast<unsigned char>(ch) >= 0x80)
            return QString::fromUtf8(utf8.data(), qsizetype(utf8.size())).trimmed().isEmpty();
        if (ch != ' ' && (ch < '\t' || ch > '\r'))
            return false;
    }
    return true;
}
}

void sortGridByDate(MSFlexGrid *grid, int column, int order)
{
    Procedure p(kModule, QStringLiteral("sortGridByDate"), OwnerKind::Modulo);
    p.run([&] {
        if (order < 1 || order > 4)
            throw PlatformError(ErrNo::InvalidProcedureCall, QStringLiteral("Invalid procedure call or argument"));
        // Each date's seconds (not days, so time stamps of one day sort too) go straight into
        // the sort as its numbers, not through a helper column of texts: a million dates cost a
        // key each, and a cell that is no date leaves the rows as they were.
        grid->sortRowsBy(column, order == 2 || order == 4, [](std::string_view text) -> int64_t {
            if (isBlank(text))
                return 0;
            const std::optional<qint64> seconds = vb::DateSeconds(text);
            if (!seconds)
                throw PlatformError(ErrNo::TypeMismatch, QStringLiteral("Type mismatch"));
            return *seconds;
        });
    });
}
