#include "shell/basAggiornamentiDatabase.h"
#include "platform/SqliteDb.h"
#include "shell/ErrorExit.h"
#include "shell/ProgramFolder.h"
#include "shell/basGeneral.h"
#include "shell/basGeneralCustom.h"
#include "shell/basRegistering.h"
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <optional>

QString gAggiornamenti[31];
short gNumAggiornamenti = 0;

namespace {
const QString kModule = QStringLiteral("basAggiornamentiDatabase");
}

void aggiungiAggiornamentoDatabase(const QString &sql)
{
    Procedure p(kModule, QStringLiteral("aggiungiAggiornamentoDatabase"), OwnerKind::Modulo);
    p.run([&] {
        if (gNumAggiornamenti + 1 > 30)
            throw PlatformError(ErrNo::SubscriptOutOfRange, QStringLiteral("Subscript out of range"));
        ++gNumAggiornamenti;
        gAggiornamenti[gNumAggiornamenti] = sql;
    });
}

void inizializzaAggiornamentiDatabase()
{
    Procedure p(kModule, QStringLiteral("inizializzaAggiornamentiDatabase"), OwnerKind::Modulo);
    p.run([] {
        gNumAggiornamenti = 0;
        gAggiornamenti[0] = QString();
        aggiungiAggiornamentoDatabase(QStringLiteral("create table settings (mnemocode text primary key, value text)"));
        for (const auto &[key, value] : settingDefaults())
            aggiungiAggiornamentoDatabase(QStringLiteral("insert into settings (mnemocode,value) values ('") + key
                                          + QStringLiteral("','") + value + QStringLiteral("')"));
    });
}

void AggiornaDatabase()
{
    Procedure p(kModule, QStringLiteral("AggiornaDatabase"), OwnerKind::Modulo);
    p.run([] {
        if (gNumAggiornamenti != 0)
            return;
        inizializzaAggiornamentiDatabase();
        OpenDb();
        for (int i = 1; i <= gNumAggiornamenti; ++i)
            gDbExecute(gAggiornamenti[i], true);
        CloseDb();
    });
}

namespace {
// Far more than any set of report definitions needs: the shipped file holds some ten kilobytes.
constexpr qint64 kReportFileLimit = 1024 * 1024;

// Why the database took no write, as far as the program can tell, in the user's words.
QString blockText(SqliteDbComponent::WriteBlock block)
{
    using Block = SqliteDbComponent::WriteBlock;
    switch (block) {
    case Block::Locked:
        return QStringLiteral("il database è bloccato da un altro programma che lo sta modificando");
    case Block::ReadOnlyMedium:
        return QStringLiteral("il database si trova su un disco di sola lettura");
    case Block::ReadOnlyFile:
        return QStringLiteral("il file del database è di sola lettura");
    case Block::ReadOnlyFolder:
        return QStringLiteral(
            "nella cartella del database non si possono creare file, e ogni modifica ne richiede uno di appoggio");
    case Block::OpenedReadOnly:
        return QStringLiteral("il database è stato aperto in sola lettura");
    case Block::DiskFull:
        return QStringLiteral("il disco è pieno");
    case Block::Other:
        break;
    }
    return QStringLiteral("il database non accetta modifiche");
}

// The same with the database's own words.
QString whyNotWritable(const PlatformError &e)
{
    return blockText(gSqliteDb->whyRefused(e)) + QStringLiteral(" (") + e.description() + QLatin1Char(')');
}

QString reportFileNotApplied(const QString &reason)
{
    return QStringLiteral("Il file dei report nuovireport.sql non è stato applicato: ") + reason
           + QStringLiteral(".\nLe definizioni dei report restano quelle di prima.");
}

// What the confinement refused, in the user's words; "" when it refused nothing.
QString refusalText(const WriteConfinement::Refusal &r)
{
    using Refused = WriteConfinement::Refused;
    QString what;
    switch (r.what) {
    case Refused::Nothing:
        return QString();
    case Refused::Schema:
        what = QStringLiteral("cambia la struttura del database");
        break;
    case Refused::OtherTable:
        what = QStringLiteral("scrive nella tabella ") + r.name;
        break;
    case Refused::Attach:
        what = QStringLiteral("collega o scollega un altro database");
        break;
    case Refused::Pragma:
        what = QStringLiteral("cambia un'impostazione del database (PRAGMA ") + r.name + QLatin1Char(')');
        break;
    case Refused::Transaction:
        what = QStringLiteral("apre o chiude una transazione (") + r.name + QLatin1Char(')');
        break;
    }
    if (!r.trigger.isEmpty())
        what += QStringLiteral(" attraverso il trigger ") + r.trigger;
    return QStringLiteral(": ") + what
           + QStringLiteral(", mentre il file dei report può scrivere solo nella tabella reportistica");
}

// Text: UTF-8 without NUL or other control characters than the blanks of a line (tab, CR, FF).
bool isTextLine(const QByteArray &line)
{
    for (const char c : line) {
        const auto b = static_cast<unsigned char>(c);
        if ((b < 0x20 && (b < '\t' || b > '\r')) || b == 0x7F)
            return false;
    }
    QStringDecoder utf8(QStringDecoder::Utf8);
    [[maybe_unused]] const QString decoded = utf8.decode(line);
    return !utf8.hasError();
}

// The lines of the report file; nothing, with the reason, for a file that is not one: larger than
// the limit, not a plain file, or not text.
std::optional<QList<QByteArray>> reportFileLines(const QString &path, QString &refusal)
{
    // A pipe or a device would be read without end.
    if (!QFileInfo(path).isFile()) {
        refusal = QStringLiteral("non è un file di testo");
        return std::nullopt;
    }
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw PlatformError(ErrNo::PermissionDenied, f.errorString());
    // Read no further than it takes to know the file is too large.
    QByteArray all = f.read(kReportFileLimit + 1);
    if (f.error() != QFileDevice::NoError)
        throw PlatformError(ErrNo::FileIO, f.errorString());
    if (all.size() > kReportFileLimit) {
        refusal = QStringLiteral("è più grande di 1 MB, troppo per un file di definizioni dei report");
        return std::nullopt;
    }
    // An editor may have put a byte-order mark before the first statement.
    if (all.startsWith("\xEF\xBB\xBF"))
        all.remove(0, 3);
    // One statement per line; a line break may be LF or CR LF.
    QList<QByteArray> lines = all.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (int i = 0; i < lines.size(); ++i) {
        if (!isTextLine(lines.at(i))) {
            refusal =
                QStringLiteral("non è un file di testo UTF-8 (la riga %1 contiene caratteri non validi)").arg(i + 1);
            return std::nullopt;
        }
    }
    return lines;
}

// Runs the lines as one write that can change nothing but the report definitions: "" once it is
// committed, else why none of it was kept.
QString applyReportLines(const QList<QByteArray> &lines)
{
    SqliteDbComponent &db = *gSqliteDb;
    std::optional<Transaction> write;
    try {
        write.emplace(db);
    } catch (const PlatformError &e) {
        return whyNotWritable(e);
    }
    {
        WriteConfinement confined(db, QStringLiteral("reportistica"));
        for (int i = 0; i < lines.size(); ++i) {
            QByteArray line = lines.at(i);
            if (line.endsWith('\r'))
                line.chop(1);
            try {
                db.execute(QString::fromUtf8(line));
            } catch (const PlatformError &e) {
                // A definition there from an earlier start is passed over, as it always was; any
                // other refusal, or a database that took the whole write back, ends the file.
                if (!SqliteDbComponent::rowAlreadyThere(e) || !db.inTransaction())
                    return QStringLiteral("il database ha rifiutato la riga %1 (%2%3)")
                        .arg(i + 1)
                        .arg(e.description(), refusalText(confined.lastRefusal()));
            }
        }
    }
    try {
        write->commit();
    } catch (const PlatformError &e) {
        return QStringLiteral("il database non ha potuto salvare le modifiche (") + e.description() + QLatin1Char(')');
    }
    return QString();
}
} // namespace

bool databaseTakesWrites()
{
    Procedure p(kModule, QStringLiteral("databaseTakesWrites"), OwnerKind::Modulo);
    bool writable = false;
    p.run([&] {
        OpenDb();
        if (!gSqliteDb || !gSqliteDb->isOpen())
            return;
        try {
            gSqliteDb->tryWrite();
            writable = true;
        } catch (const PlatformError &e) {
            const QString goesOn =
                SqliteDbComponent::isLock(e)
                    ? QStringLiteral("i dati si possono consultare, e le modifiche saranno possibili quando l'altro "
                                     "programma avrà liberato il database")
                    : QStringLiteral("i dati si possono consultare, ma ogni modifica sarà rifiutata");
            MyMsgBox(QStringLiteral("Il database non può essere modificato: ") + whyNotWritable(e)
                         + QStringLiteral(".\nIl programma continua: ") + goesOn + QLatin1Char('.'),
                     48, QStringLiteral("Norvik"));
        }
    });
    return writable;
}

void AggiornaReportistica()
{
    Procedure p(kModule, QStringLiteral("AggiornaReportistica"), OwnerKind::Modulo);
    p.run([] {
        const QString path = programFolderSlash() + QStringLiteral("nuovireport.sql");
        if (!fileExists(path))
            return;
        OpenDb();
        if (!gSqliteDb || !gSqliteDb->isOpen())
            return;
        // Applied whole or not at all, and able to write the report definitions only: a file
        // damaged or written to harm is told once and changes nothing.
        QString refusal;
        const std::optional<QList<QByteArray>> lines = reportFileLines(path, refusal);
        if (lines)
            refusal = applyReportLines(*lines);
        if (!refusal.isEmpty())
            MyMsgBox(reportFileNotApplied(refusal), 48, QStringLiteral("Norvik"));
        CloseDb();
    });
}
