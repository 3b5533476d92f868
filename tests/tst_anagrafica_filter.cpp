// The customer filter dialog and the filter-dialog behaviour every filter dialog shares: the
// fragment it builds and what that selects in the database, the values kept for the run (a
// combo's choice by its key), Reimposta and Annulla, the button row, and the refusal of a date
// bound that is no date. The amount bounds are tested on the payments filter.
#include "customers/frmAnagrafica.h"
#include "customers/frmSelectAnagrafica.h"
#include "testsupport.h"

namespace {
void seed(const TestProgram &prog)
{
    prog.exec(QStringLiteral(
        "INSERT INTO TipologiaPersone (TIPOLOGIAID, Tipologia) VALUES (1, 'Socio'), (3, 'Ordinario'),"
        " (5000000000, 'Sostenitore');"
        "INSERT INTO Anagrafica (ANAGRAFICAID, TIPOLOGIAID, Nome, Cognome, Comune, DataNascita, DataIscrizione)"
        " VALUES (1, 3, 'Rosa', 'Bianchi', 'Roma', '1975-05-10 00:00:00', '2010-01-15 00:00:00'),"
        " (2, 3, 'Ambrosio', 'Verdi', 'Milano', '1982-03-01 00:00:00', '2011-02-01 00:00:00'),"
        " (3, 3, 'Rossana', 'Neri', 'Napoli', '1990-12-31 00:00:00', '2012-06-30 00:00:00'),"
        " (4, 1, 'Rosario', 'Gialli', 'Roma', '1980-01-01 00:00:00', NULL),"
        " (5, 3, 'Marco', 'D''Amico', 'Roma', '1979-12-31 00:00:00', NULL),"
        " (6, 5000000000, 'Luca', 'Rossi', 'Torino', '1985-06-15 00:00:00', NULL),"
        " (7, 3, 'ROSITA', 'Blu', 'Milano', NULL, NULL);"));
}

// How many customers the list's own query selects with the filter now applied.
int listCount(const TestProgram &prog)
{
    const QString count = prog.scalar("select count(*) from ("
                                      + ListWindow::TestSeam::listQueryText(*FormInstance<frmAnagrafica>::get()) + ")");
    return count.isEmpty() ? -1 : count.toInt();
}

// The dialog opened afresh; with `clear`, Reimposta pressed first.
frmSelectAnagrafica *openDialog(bool clear = false)
{
    frmSelectAnagrafica *d = openForm<frmSelectAnagrafica>();
    if (clear)
        d->cmdClear_Click();
    return d;
}

void chooseType(XPComboBox *combo, qint64 key)
{
    for (int i = 0; i < combo->ListCount(); ++i)
        if (combo->ItemData(i) == key)
            return combo->setListIndex(i);
    QFAIL("type not in the list");
}

// Every text box of the dialog, in its control order.
QList<XPTextBox *> textBoxes(Form *f)
{
    QList<XPTextBox *> out;
    for (Control *c : f->Controls())
        if (c->Kind() == ControlKind::TextBox)
            out << static_cast<XPTextBox *>(c);
    return out;
}

} // namespace

class TestAnagraficaFilter : public QObject {
    Q_OBJECT
private slots:
    void fragmentsDateBoundsAndWhatTheySelect()
    {
        TestProgram prog;
        seed(prog);
        // The example: a type, a name fragment and a list of towns, joined with AND.
        frmSelectAnagrafica *d = openDialog();
        chooseType(d->cboTipologia, 3);
        d->txtNome->setText(QStringLiteral("ros"));
        d->txtComune->setText(QStringLiteral("Roma,Milano"));
        d->cmdOK_Click();
        QCOMPARE(gWhereAnagrafica,
                 QStringLiteral("a.TIPOLOGIAID = 3 AND a.Nome Like '%ros%' AND a.Comune IN ('Roma', 'Milano')"));
        QCOMPARE(listCount(prog), 3); // Rosa, Ambrosio, ROSITA (LIKE ignores ASCII case)
        QVERIFY(!FormInstance<frmSelectAnagrafica>::exists());
        // OR gives the union.
        d = openDialog(true);
        d->optOR->setChecked(true);
        d->txtNome->setText(QStringLiteral("ros"));
        d->txtComune->setText(QStringLiteral("Torino"));
        d->cmdOK_Click();
        QCOMPARE(gWhereAnagrafica, QStringLiteral("a.Nome Like '%ros%' OR a.Comune Like '%Torino%'"));
        QCOMPARE(listCount(prog), 6);
        // A quote is matched literally, alone or in a list; blanks around the text do not count.
        d = openDialog(true);
        d->optAND->setChecked(true);
        d->txtCognome->setText(QStringLiteral("D'Amico,Rossi"));
        d->cmdOK_Click();
        QCOMPARE(gWhereAnagrafica, QStringLiteral("a.Cognome IN ('D''Amico', 'Rossi')"));
        QCOMPARE(listCount(prog), 2);
        // A key beyond 32 bits is chosen and written whole.
        d = openDialog(true);
        chooseType(d->cboTipologia, 5000000000LL);
        d->cmdOK_Click();
        QCOMPARE(gWhereAnagrafica, QStringLiteral("a.TIPOLOGIAID = 5000000000"));
        QCOMPARE(listCount(prog), 1);
        // Nothing filled: no filter, every customer.
        openDialog(true)->cmdOK_Click();
        QCOMPARE(gWhereAnagrafica, QString());
        QCOMPARE(listCount(prog), 7);
        // Date bounds in the stored form, both inclusive; the stored form is accepted too.
        d = openDialog();
        d->txtDataNascitaDa->setText(QStringLiteral("1979-12-31"));
        d->txtDataNascitaA->setText(QStringLiteral("31/12/1990"));
        d->cmdOK_Click();
        const QString applied = gWhereAnagrafica;
        QCOMPARE(applied, QStringLiteral(
                              "a.datanascita >= ('1979-12-31 00:00:00') AND a.datanascita <= ('1990-12-31 00:00:00')"));
        QCOMPARE(listCount(prog), 5);
        NO_BOXES();
        const QStringList saved = frmSelectAnagrafica::filterState.values;
        // A bound that is no date is refused in Italian; nothing is stored, the dialog stays.
        d = openDialog();
        d->txtNome->setText(QStringLiteral("ros"));
        d->txtDataIscrizioneA->setText(QStringLiteral("31/02/2011"));
        d->cmdOK_Click();
        QCOMPARE(boxLog(), QStringList{msg("Data non valida: 31/02/2011")});
        QCOMPARE(gWhereAnagrafica, applied);
        QCOMPARE(frmSelectAnagrafica::filterState.values, saved);
        QVERIFY(isOpen<frmSelectAnagrafica>());
        QCOMPARE(d->txtDataIscrizioneA->text(), QStringLiteral("31/02/2011"));
        // Mended, the same dialog goes through.
        d->txtDataIscrizioneA->setText(QStringLiteral("31/01/2011"));
        d->cmdOK_Click();
        QCOMPARE(DialogScript::boxes().size(), 1);
        QCOMPARE(gWhereAnagrafica,
                 "a.Nome Like '%ros%' AND " + applied + " AND a.dataiscrizione <= ('2011-01-31 00:00:00')");
    }

    void termsFollowTheirFixedOrder()
    {
        TestProgram prog;
        seed(prog);
        frmSelectAnagrafica *d = openDialog();
        chooseType(d->cboTipologia, 1);
        for (XPTextBox *b : textBoxes(d))
            b->setText(b->Name().startsWith(QLatin1String("txtData")) ? QStringLiteral("02/03/2004")
                                                                      : QStringLiteral("x"));
        d->optOR->setChecked(true);
        d->cmdOK_Click();
        const QStringList terms = gWhereAnagrafica.split(QStringLiteral(" OR "));
        QStringList columns;
        for (const QString &t : terms)
            columns << t.section(QLatin1Char(' '), 0, 1);
        QCOMPARE(
            columns.join(QLatin1Char('|')),
            QStringLiteral("a.TIPOLOGIAID =|a.Nome Like|a.Cognome Like|a.Indirizzo Like|a.CAP Like|a.Comune Like|"
                           "a.Provincia Like|a.TelefonoCasa Like|a.TelefonoUfficio Like|a.Fax Like|a.Cellulare Like|"
                           "a.CFIva Like|a.Email Like|a.SitoWeb Like|a.NoteAnagrafica Like|a.datanascita >=|"
                           "a.datanascita <=|a.dataiscrizione >=|a.dataiscrizione <=|"
                           "a.datascadenzaiscrizione >=|a.datascadenzaiscrizione <=|a.NumeroTessera Like"));
        // The database takes the whole fragment: every customer with a birth date is on one side.
        QCOMPARE(listCount(prog), 6);
        NO_BOXES();
    }

    void valuesLiveForTheRun()
    {
        TestProgram prog;
        seed(prog);
        // Closed without OK at the first use: the next opening still shows no type chosen.
        openDialog()->cmdCancel_Click();
        frmSelectAnagrafica *d = openDialog();
        QCOMPARE(d->cboTipologia->ListIndex(), -1);
        // OK remembers the values and OR; reopening restores both.
        chooseType(d->cboTipologia, 3);
        d->txtNome->setText(QStringLiteral("ros"));
        d->txtDataNascitaDa->setText(QStringLiteral("01/01/1980"));
        d->optOR->setChecked(true);
        d->cmdOK_Click();
        QVERIFY(frmSelectAnagrafica::filterState.orChosen && frmSelectAnagrafica::filterState.saved);
        const QString applied = gWhereAnagrafica;
        d = openDialog();
        QCOMPARE(d->cboTipologia->Text(), QStringLiteral("Ordinario"));
        QCOMPARE(d->txtNome->text() + d->txtDataNascitaDa->text(), QStringLiteral("ros01/01/1980"));
        QVERIFY(d->optOR->Value() && !d->optAND->Value());
        // Cancel forgets what was typed since: the next opening shows the values of the last OK.
        d->txtNome->setText(QStringLiteral("altro"));
        d->txtCognome->setText(QStringLiteral("Verdi"));
        d->optAND->setChecked(true);
        d->cmdCancel_Click();
        QVERIFY(!FormInstance<frmSelectAnagrafica>::exists());
        QCOMPARE(gWhereAnagrafica, applied);
        d = openDialog();
        QCOMPARE(d->txtNome->text() + d->txtCognome->text(), QStringLiteral("ros"));
        QVERIFY(d->optOR->Value());
        // Reimposta then Annulla: the dialog reopens empty, the list keeps its filter and the
        // AND/OR choice stays.
        d->cmdClear_Click();
        QVERIFY(isOpen<frmSelectAnagrafica>());
        QCOMPARE(d->cboTipologia->ListIndex(), -1);
        d->cmdCancel_Click();
        QCOMPARE(gWhereAnagrafica, applied);
        d = openDialog();
        QCOMPARE(d->cboTipologia->ListIndex(), -1);
        for (XPTextBox *b : textBoxes(d))
            QVERIFY2(b->text().isEmpty(), qPrintable(b->Name()));
        QVERIFY(d->optOR->Value());
        // The list's filter slot emptied by the main window leaves the dialog's values alone.
        d->txtProvincia->setText(QStringLiteral("RM"));
        d->cmdOK_Click();
        gWhereAnagrafica.clear();
        QCOMPARE(openDialog()->txtProvincia->text(), QStringLiteral("RM"));
        NO_BOXES();
        // The remembered type no longer exists: nothing is chosen and the rest restores.
        chooseType(FormInstance<frmSelectAnagrafica>::get()->cboTipologia, 5000000000LL); // the last by name
        FormInstance<frmSelectAnagrafica>::get()->cmdOK_Click();
        prog.exec(QStringLiteral("DELETE FROM TipologiaPersone WHERE TIPOLOGIAID <> 1"));
        d = openDialog();
        NO_BOXES();
        QCOMPARE(d->cboTipologia->ListCount(), 1);
        QCOMPARE(d->cboTipologia->ListIndex(), -1);
        QCOMPARE(d->txtProvincia->text(), QStringLiteral("RM"));
    }

    void okRefillsTheList()
    {
        TestProgram prog;
        seed(prog);
        frmAnagrafica *list = openForm<frmAnagrafica>();
        QCOMPARE(list->MSFlexGrid1->Rows() - 1, 7);
        // Opened from the list's search button and driven by its own buttons.
        DialogScript::driveModal(QStringLiteral("frmSelectAnagrafica"), [](Form *f) {
            auto *d = static_cast<frmSelectAnagrafica *>(f);
            QVERIFY(!d->cmdPrint->Visible());
            d->txtComune->setText(QStringLiteral("Roma"));
            d->cmdOK->click();
        });
        list->cmdSelect_Click();
        QCOMPARE(gWhereAnagrafica, QStringLiteral("a.Comune Like '%Roma%'"));
        QCOMPARE(list->MSFlexGrid1->Rows() - 1, 3);
        // Closed without OK: the list and its filter stay, and nothing typed is kept.
        DialogScript::driveModal(QStringLiteral("frmSelectAnagrafica"), [](Form *f) {
            static_cast<frmSelectAnagrafica *>(f)->txtComune->setText(QStringLiteral("Milano"));
        });
        list->cmdSelect_Click();
        QCOMPARE(gWhereAnagrafica, QStringLiteral("a.Comune Like '%Roma%'"));
        QCOMPARE(list->MSFlexGrid1->Rows() - 1, 3);
        QVERIFY(!frmSelectAnagrafica::filterState.values.contains(QStringLiteral("Milano")));
        QCOMPARE(DialogScript::pendingDrivers(), 0);
        NO_BOXES();
    }
};

QTEST_MAIN(TestAnagraficaFilter)
#include "tst_anagrafica_filter.moc"
