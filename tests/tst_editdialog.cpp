// The edit-dialog base where the registers' own tests do not reach it: a check that cannot look
// at the database stops the write without a second message of its own, and a date still being
// typed is no date.
#include "customers/frmEditAnagrafica.h"
#include "shell/EditDialog.h"
#include "testsupport.h"
#include <sqlite3.h>

namespace {
} // namespace

class TestEditDialog : public QObject {
    Q_OBJECT
private slots:
    void init() { resetShellState(); }

    void uniquenessThatCannotLookWritesNothing()
    {
        TestProgram prog;
        prog.addType(1, "Socio");
        gIsNewRecord = true;
        auto *d = openForm<frmEditAnagrafica>();
        d->cboTipologia->setListIndex(0);
        typeInto(d->txtCognome, "Rossi");
        typeInto(d->txtNumeroTessera, "T1");
        // The card numbers cannot be read: the count fails with its own message.
        sqlite3_set_authorizer(
            gSqliteDb->handle(),
            [](void *, int action, const char *table, const char *column, const char *, const char *) {
                return action == SQLITE_READ && qstricmp(table, "Anagrafica") == 0
                               && qstricmp(column, "NumeroTessera") == 0
                           ? SQLITE_DENY
                           : SQLITE_OK;
            },
            nullptr);
        clickOk(d);
        QCOMPARE(prompts().size(), 2);
        QVERIFY2(prompts().first().contains("(access to Anagrafica.NumeroTessera is prohibited) in procedure gRsOpen"),
                 qPrintable(prompts().first()));
        QVERIFY(prompts().last().endsWith("in procedure esisteRecordSQL of Modulo basGeneralCustom"));
        QVERIFY(d->isLoaded());
        QCOMPARE(prog.scalar("select count(*) from Anagrafica"), QStringLiteral("0"));
        sqlite3_set_authorizer(gSqliteDb->handle(), nullptr, nullptr);
        DialogScript::reset();
        clickOk(d);
        NO_BOXES();
        QCOMPARE(prog.scalar("select Cognome || NumeroTessera from Anagrafica"), QStringLiteral("RossiT1"));
    }

    void aDateStillBeingTypedIsNoDate()
    {
        TestProgram prog;
        prog.addType(1, "Socio");
        gIsNewRecord = true;
        auto *d = openForm<frmEditAnagrafica>();
        d->show();
        QVERIFY(QTest::qWaitForWindowExposed(d));
        d->cboTipologia->setListIndex(0);
        typeInto(d->txtCognome, "Rossi");
        // The day erased: the picker still holds its last date, but shows none.
        d->txtDataNascita->setValue(QDate(1980, 5, 10));
        d->txtDataNascita->setFocus();
        d->txtDataNascita->setSelection(0, 2);
        QTest::keyClick(d->txtDataNascita, Qt::Key_Backspace);
        QCOMPARE(d->txtDataNascita->text(), QStringLiteral("/05/1980"));
        QVERIFY(!EditDialog::pickerHoldsDate(d->txtDataNascita) && !d->txtDataNascita->IsEmpty());
        d->cmdOK_Click();
        QCOMPARE(prompts(), QStringList{"Data di nascita non valida"});
        QCOMPARE(prog.scalar("select count(*) from Anagrafica"), QStringLiteral("0"));
        // Erased whole, it counts as no date given; an empty picker is no date given either.
        d->txtDataNascita->selectAll();
        QTest::keyClick(d->txtDataNascita, Qt::Key_Backspace);
        QVERIFY(d->txtDataNascita->IsEmpty());
        d->txtDataNascita->Clear();
        QVERIFY(d->txtDataNascita->IsEmpty() && EditDialog::pickerHoldsDate(d->txtDataNascita));
        DialogScript::reset();
        d->cmdOK_Click();
        NO_BOXES();
        QCOMPARE(prog.scalar("select Cognome || ifnull(DataNascita, '-') from Anagrafica"), QStringLiteral("Rossi-"));
    }
};

QTEST_MAIN(TestEditDialog)
#include "tst_editdialog.moc"
