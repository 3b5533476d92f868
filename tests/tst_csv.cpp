#include "platform/Dialogs.h"
#include "platform/Form.h"
#include "platform/MSFlexGrid.h"
#include "shell/basGeneral.h"
#include "testsupport.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

namespace {
QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

QStringList boxes()
{
    QStringList out;
    for (const auto &b : DialogScript::boxes()) {
        switch (b.kind) {
        case DialogScript::Box::Save: out << QStringLiteral("save:") + b.defaultText; break;
        case DialogScript::Box::Plain: out << QStringLiteral("plain:") + b.prompt; break;
        default: out << QStringLiteral("msg:%1|%2|%3").arg(b.prompt).arg(b.buttons).arg(b.title); break;
        }
    }
    return out;
}

const QString kSave = QStringLiteral("save:File CSV|*.csv");
QString success(const QString &name)
{
    return QStringLiteral("msg:I dati sono stati esportati con successo sul file ") + name + QStringLiteral("|48|Norvik");
}

struct GridWindow {
    Form form{QStringLiteral("frmTest")};
    MSFlexGrid grid{&form, QStringLiteral("MSFlexGrid1")};
    void fill(const QList<QStringList> &rows)
    {
        grid.setRows(rows.size());
        grid.setCols(rows.value(0).size());
        for (int r = 0; r < rows.size(); ++r)
            for (int c = 0; c < rows[r].size(); ++c)
                grid.setTextMatrix(r, c, rows[r][c]);
    }
};
}

class TestCsv : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void fileBytes();
    void headerOnlyGrid();
    void fileNameRules_data();
    void fileNameRules();
    void cancelIsSilent();
    void overwriteQuestion();
    void missingFolderFailsCleanly();
    void failedWriteKeepsOldFile();
    void readOnlyFolder();

private:
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.path() + QLatin1Char('/') + name; }
};

void TestCsv::initTestCase()
{
    DialogScript::enable();
    QVERIFY(m_dir.isValid());
}

void TestCsv::init()
{
    DialogScript::reset();
    QDir dir(m_dir.path());
    for (const QString &f : dir.entryList(QDir::Files | QDir::Hidden))
        dir.remove(f);
}

void TestCsv::fileBytes()
{
    GridWindow w;
    w.fill({
        {"IDFIELD", "Cognome", "Importo", "Note", "Idfield"},
        {"1", "D'Angelo", "1.234,50 €", "dice \"ciao\" e \"addio\"", "x"},
        {"2", "Perché àèìòù ÄÖÜß", "", "‘Œuvre’ – “™” …", ""},
        {"3", "日本 ok", "😀", "Ł", "e\u0301"},
    });
    // Key columns leave the file whatever their width; only the header text counts.
    w.grid.setColWidth(1, 0);
    DialogScript::answerSaveFile(path(QStringLiteral("soci")));
    esportaCSV(&w.grid);

    const QByteArray expected =
        "\"Cognome\";\"Importo\";\"Note\";\"Idfield\"\r\n"
        "\"D'Angelo\";\"1.234,50 \x80\";\"dice \"\"ciao\"\" e \"\"addio\"\"\";\"x\"\r\n"
        "\"Perch\xE9 \xE0\xE8\xEC\xF2\xF9 \xC4\xD6\xDC\xDF\";\"\";\"\x91\x8Cuvre\x92 \x96 \x93\x99\x94 \x85\";\"\"\r\n"
        "\"?? ok\";\"?\";\"?\";\"\xE9\"\r\n";
    QCOMPARE(readAll(path(QStringLiteral("soci.csv"))), expected);
    QCOMPARE(boxes(), (QStringList{kSave, success(path(QStringLiteral("soci.csv")))}));
}

void TestCsv::headerOnlyGrid()
{
    GridWindow w;
    w.fill({{"IDFIELD", "Data", "Causale"}});
    QVERIFY(xMSFlexGrid_Save(&w.grid, path(QStringLiteral("vuoto.csv"))));
    QCOMPARE(readAll(path(QStringLiteral("vuoto.csv"))), QByteArray("\"Data\";\"Causale\"\r\n"));
    QVERIFY(DialogScript::boxes().isEmpty());
}

void TestCsv::fileNameRules_data()
{
    QTest::addColumn<QString>("lead");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("written");
    QTest::newRow("no extension") << "" << "export" << "export.csv";
    QTest::newRow("lower case") << "" << "a.csv" << "a.csv";
    QTest::newRow("upper case") << "" << "b.CSV" << "b.CSV";
    QTest::newRow("mixed case") << "" << "c.cSv" << "c.cSv";
    QTest::newRow("other extension") << "" << "d.txt" << "d.txt.csv";
    QTest::newRow("blanks around") << "  " << "e.csv   " << "e.csv";
    QTest::newRow("blank inside") << "" << "f.csv x" << "f.csv x.csv";
}

void TestCsv::fileNameRules()
{
    QFETCH(QString, lead);
    QFETCH(QString, typed);
    QFETCH(QString, written);
    GridWindow w;
    w.fill({{"Nome"}, {"Anna"}});
    DialogScript::answerSaveFile(lead + m_dir.path() + QLatin1Char('/') + typed);
    esportaCSV(&w.grid);
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{written});
    QCOMPARE(readAll(path(written)), QByteArray("\"Nome\"\r\n\"Anna\"\r\n"));
    QCOMPARE(boxes(), (QStringList{kSave, success(path(written))}));
}

void TestCsv::cancelIsSilent()
{
    GridWindow w;
    w.fill({{"Nome"}, {"Anna"}});
    DialogScript::answerSaveFile(QString());
    esportaCSV(&w.grid);
    DialogScript::answerSaveFile(QStringLiteral("   "));
    esportaCSV(&w.grid);
    QCOMPARE(boxes(), (QStringList{kSave, kSave}));
    QVERIFY(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

void TestCsv::overwriteQuestion()
{
    GridWindow w;
    w.fill({{"Nome"}, {"Anna"}});
    const QString file = path(QStringLiteral("soci.csv"));
    const QByteArray old("vecchio contenuto\r\n");
    writeFile(file, old);
    const QString question = QStringLiteral("msg:Il file ") + file
        + QStringLiteral(" già esiste. Sei sicuro di volerlo sovrascrivere?|4|Norvik");

    DialogScript::answerSaveFile(file);
    DialogScript::answerMessage(7);
    esportaCSV(&w.grid);
    QCOMPARE(readAll(file), old);
    QCOMPARE(boxes(), (QStringList{kSave, question}));

    DialogScript::reset();
    DialogScript::answerSaveFile(file);
    DialogScript::answerMessage(6);
    esportaCSV(&w.grid);
    QCOMPARE(readAll(file), QByteArray("\"Nome\"\r\n\"Anna\"\r\n"));
    QCOMPARE(boxes(), (QStringList{kSave, question, success(file)}));
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("soci.csv")});
}

void TestCsv::missingFolderFailsCleanly()
{
    GridWindow w;
    w.fill({{"Nome"}, {"Anna"}});
    const QString file = path(QStringLiteral("manca/soci.csv"));
    DialogScript::answerSaveFile(file);
    esportaCSV(&w.grid);
    QCOMPARE(boxes(), (QStringList{kSave, QStringLiteral(
        "plain:Error 76 (Path not found) in procedure xMSFlexGrid_Save of Modulo basGeneral")}));
    QVERIFY(!QFile::exists(file));
}

// A write that fails part-way (here: past the process's file-size limit) must leave the earlier
// export in place, no half-written or temporary file beside it, and no success message.
void TestCsv::failedWriteKeepsOldFile()
{
    GridWindow w;
    QList<QStringList> rows{{"Cognome", "Nome", "Note"}};
    for (int i = 0; i < 3000; ++i)
        rows.append({QStringLiteral("Cognome %1").arg(i), QStringLiteral("Nome"), QString(40, QLatin1Char('n'))});
    w.fill(rows);
    const QString file = path(QStringLiteral("soci.csv"));
    const QByteArray old("\"Nome\"\r\n\"vecchio\"\r\n");
    writeFile(file, old);

    rlimit saved{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 64 * 1024;
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    DialogScript::answerSaveFile(file);
    DialogScript::answerMessage(6);
    esportaCSV(&w.grid);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);

    const QStringList shown = boxes();
    QCOMPARE(shown.size(), 3);
    QCOMPARE(shown[0], kSave);
    QVERIFY(shown[1].startsWith(QLatin1String("msg:Il file ")));
    QVERIFY2(shown[2].startsWith(QLatin1String("plain:Error 75 (")), qPrintable(shown[2]));
    QVERIFY(shown[2].endsWith(QLatin1String(") in procedure xMSFlexGrid_Save of Modulo basGeneral")));
    QCOMPARE(readAll(file), old);
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("soci.csv")});
    QVERIFY(!xMSFlexGrid_Save(nullptr, file));
    QCOMPARE(readAll(file), old);
}

void TestCsv::readOnlyFolder()
{
    if (geteuid() == 0)
        QSKIP("permissions do not stop the superuser");
    QTemporaryDir dir;
    const QString file = dir.path() + QStringLiteral("/soci.csv");
    writeFile(file, "vecchio");
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    GridWindow w;
    w.fill({{"Nome"}, {"Anna"}});
    DialogScript::answerSaveFile(file);
    DialogScript::answerMessage(6);
    esportaCSV(&w.grid);
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(boxes().last(), QStringLiteral("plain:Error 70 (Permission denied) in procedure xMSFlexGrid_Save of Modulo basGeneral"));
    QCOMPARE(readAll(file), QByteArray("vecchio"));
}

QTEST_MAIN(TestCsv)
#include "tst_csv.moc"
