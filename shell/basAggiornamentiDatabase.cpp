#include "shell/basAggiornamentiDatabase.h"
#include "platform/SqliteDb.h"
#include "shell/ErrorExit.h"
#include "shell/ProgramFolder.h"
#include "shell/basGeneral.h"
#include "shell/basGeneralCustom.h"
#include <QFile>
#include <memory>

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
        aggiungiAggiornamentoDatabase(
            QStringLiteral("insert into settings (mnemocode,value) values ('INTESTAZ','Negozio')"));
        aggiungiAggiornamentoDatabase(QStringLiteral("insert into settings (mnemocode,value) values ('PRTCSIZE','7')"));
        aggiungiAggiornamentoDatabase(
            QStringLiteral("insert into settings (mnemocode,value) values ('LOGSTATUS','OFF')"));
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

void AggiornaReportistica()
{
    Procedure p(kModule, QStringLiteral("AggiornaReportistica"), OwnerKind::Modulo);
    p.run([] {
        const QString path = programFolderSlash() + QStringLiteral("nuovireport.sql");
        if (!fileExists(path))
            return;
        OpenDb();
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            throw PlatformError(ErrNo::PermissionDenied, f.errorString());
        QByteArray all = f.readAll();
        f.close();
        // An editor may have put a byte-order mark before the first statement.
        if (all.startsWith("\xEF\xBB\xBF"))
            all.remove(0, 3);
        // One statement per line; a line break may be LF or CR LF.
        QList<QByteArray> lines = all.split('\n');
        if (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();
        if (!gSqliteDb || !gSqliteDb->isOpen())
            return;
        // The file is applied as one write: a start that is interrupted half-way, or a database
        // that gives up on the write, leaves the definitions as they were, never half replaced.
        // A line the database refuses is told and passed over, as before.
        auto write = std::make_unique<Transaction>(*gSqliteDb);
        for (QByteArray line : lines) {
            if (line.endsWith('\r'))
                line.chop(1);
            const bool ran = gDbExecute(QString::fromUtf8(line), true);
            if (gSqliteDb->inTransaction())
                continue;
            write.reset();
            // The database took the whole write back: nothing of the file is kept.
            if (!ran)
                return;
            // The line itself ended the write (a COMMIT of its own): the rest is one write again.
            write = std::make_unique<Transaction>(*gSqliteDb);
        }
        write->commit();
        CloseDb();
    });
}
