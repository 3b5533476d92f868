// The CSV export: the file's bytes, its name, the overwrite question, and failures that must
// keep the earlier file and never claim success.
#include "shell/CsvExport.h"
#include "testsupport.h"
#include <csignal>
#include <sys/resource.h>

namespace {
const QString kSave = QStringLiteral("save:File CSV|*.csv");
QString success(const QString &file) { return msg("I dati sono stati esportati con successo sul file " + file); }
QString failure(int number, const QString &description)
{
    return QStringLiteral("plain:Error %1 (%2) in procedure xMSFlexGrid_Save of Modulo basGeneral")
        .arg(number)
        .arg(description);
}

// The export as the button runs it, the save dialog answered with `file`.
void exportTo(GridForm &w, const QString &file, int overwriteAnswer = 0)
{
    DialogScript::answerSaveFile(file);
    if (overwriteAnswer)
        DialogScript::answerMessage(overwriteAnswer);
    esportaCSV(&w.grid);
}
const QList<QStringList> kAnnaRows{{"Nome"}, {"Anna"}};
const QByteArray kAnna("\"Nome\"\r\n\"Anna\"\r\n");
} // namespace

class TestCsv : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.path() + QLatin1Char('/') + name; }
    QStringList files() const { return QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden); }

private slots:
    void init()
    {
        DialogScript::reset();
        for (const QString &f : files())
            QFile::remove(path(f));
    }

    void fileBytes()
    {
        GridForm w({
            {"IDFIELD", "Cognome", "Importo", "Note", "Idfield"},
            {"1", "D'Angelo", "1.234,50 €", "dice \"ciao\" e \"addio\"", "x"},
            {"2", "Perché àèìòù ÄÖÜß", "", "‘Œuvre’ – “™” …", ""},
            {"3", "日本 ok", "😀", "Ł", "e\u0301"},
        });
        // Key columns leave the file whatever their width; only the header text counts. What
        // Windows-1252 cannot hold becomes "?".
        w.grid.setColWidth(1, 0);
        exportTo(w, path("soci"));
        QCOMPARE(readFile(path("soci.csv")),
                 "\"Cognome\";\"Importo\";\"Note\";\"Idfield\"\r\n"
                 "\"D'Angelo\";\"1.234,50 \x80\";\"dice \"\"ciao\"\" e \"\"addio\"\"\";\"x\"\r\n"
                 "\"Perch\xE9 \xE0\xE8\xEC\xF2\xF9 \xC4\xD6\xDC\xDF\";\"\";\"\x91\x8Cuvre\x92 \x96 \x93\x99\x94 "
                 "\x85\";\"\"\r\n"
                 "\"?? ok\";\"?\";\"?\";\"\xE9\"\r\n");
        QCOMPARE(boxLog(), (QStringList{kSave, success(path("soci.csv"))}));
        // A grid of its header alone.
        GridForm empty({{"IDFIELD", "Data", "Causale"}});
        QVERIFY(xMSFlexGrid_Save(&empty.grid, path("vuoto.csv")));
        QCOMPARE(readFile(path("vuoto.csv")), QByteArray("\"Data\";\"Causale\"\r\n"));
        QCOMPARE(DialogScript::boxes().size(), 2);
    }

    void fileNameRules()
    {
        // Typed (with blanks before it) and written: no extension, any letter case of ".csv",
        // another extension, blanks after it, a blank inside.
        const QList<QPair<QString, QString>> names{{"export", "export.csv"}, {"a.csv", "a.csv"},
                                                   {"c.cSv", "c.cSv"},       {"d.txt", "d.txt.csv"},
                                                   {"e.csv   ", "e.csv"},    {"f.csv x", "f.csv x.csv"}};
        GridForm w(kAnnaRows);
        for (const auto &[typed, written] : names) {
            init();
            exportTo(w, "  " + path(typed));
            QCOMPARE(files(), QStringList{written});
            QCOMPARE(readFile(path(written)), kAnna);
            QCOMPARE(boxLog(), (QStringList{kSave, success(path(written))}));
        }
    }

    void cancelAndOverwriteQuestion()
    {
        GridForm w(kAnnaRows);
        exportTo(w, QString());
        exportTo(w, "   ");
        QCOMPARE(boxLog(), (QStringList{kSave, kSave}));
        QVERIFY(files().isEmpty());

        const QString file = path("soci.csv");
        const QByteArray old("vecchio contenuto\r\n");
        writeFile(file, old);
        const QString question = msg("Il file " + file + " già esiste. Sei sicuro di volerlo sovrascrivere?", 4);
        DialogScript::reset();
        exportTo(w, file, 7);
        QCOMPARE(readFile(file), old);
        QCOMPARE(boxLog(), (QStringList{kSave, question}));

        DialogScript::reset();
        exportTo(w, file, 6);
        QCOMPARE(readFile(file), kAnna);
        QCOMPARE(boxLog(), (QStringList{kSave, question, success(file)}));
        QCOMPARE(files(), QStringList{"soci.csv"});
    }

    void unwritableTargetsFailCleanly()
    {
        GridForm w(kAnnaRows);
        exportTo(w, path("manca/soci.csv"));
        QCOMPARE(boxLog(), (QStringList{kSave, failure(76, "Path not found")}));
        QVERIFY(files().isEmpty());

        // Failures that permissions cannot give (they do not stop the superuser): a path under a
        // file, a name longer than the system allows, a folder in the file's place. Whatever is
        // in the way stays as it was.
        const QString file = path("soci.csv");
        writeFile(file, "vecchio");
        DialogScript::reset();
        exportTo(w, file + "/dentro.csv");
        QCOMPARE(boxLog(), (QStringList{kSave, failure(76, "Path not found")}));
        QCOMPARE(readFile(file), QByteArray("vecchio"));

        DialogScript::reset();
        exportTo(w, path(QString(300, QLatin1Char('n')) + ".csv"));
        QCOMPARE(boxLog(), (QStringList{kSave, failure(75, "Path/File access error (File name too long)")}));

        QDir(m_dir.path()).mkdir("cartella.csv");
        DialogScript::reset();
        exportTo(w, path("cartella.csv"));
        QCOMPARE(boxLog(), (QStringList{kSave, failure(70, "Permission denied")}));
        QVERIFY(QFileInfo(path("cartella.csv")).isDir());
        QCOMPARE(files(), QStringList{"soci.csv"});
    }

    // A write that fails part-way (here: past the process's file-size limit) must leave the
    // earlier export in place, no half-written or temporary file beside it, and no success message.
    void failedWriteKeepsOldFile()
    {
        QList<QStringList> rows{{"Cognome", "Nome", "Note"}};
        for (int i = 0; i < 3000; ++i)
            rows.append({QStringLiteral("Cognome %1").arg(i), QStringLiteral("Nome"), QString(40, QLatin1Char('n'))});
        GridForm w(rows);
        const QString file = path("soci.csv");
        const QByteArray old("\"Nome\"\r\n\"vecchio\"\r\n");
        writeFile(file, old);

        rlimit saved{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        rlimit small = saved;
        small.rlim_cur = 64 * 1024;
        auto previous = std::signal(SIGXFSZ, SIG_IGN);
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        exportTo(w, file, 6);
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previous);

        const QStringList shown = boxLog();
        QCOMPARE(shown.size(), 3);
        QVERIFY(shown[1].startsWith(QLatin1String("msg:Il file ")));
        QVERIFY2(shown[2].startsWith(QLatin1String("plain:Error 75 (")), qPrintable(shown[2]));
        QVERIFY(shown[2].endsWith(QLatin1String(") in procedure xMSFlexGrid_Save of Modulo basGeneral")));
        QCOMPARE(readFile(file), old);
        QCOMPARE(files(), QStringList{"soci.csv"});
        QVERIFY(!xMSFlexGrid_Save(nullptr, file));
        QCOMPARE(readFile(file), old);
    }
};

QTEST_MAIN(TestCsv)
#include "tst_csv.moc"
