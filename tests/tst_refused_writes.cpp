// Every edit dialog whose write the database refuses, or whose uniqueness check cannot look at
// the database: the dialog stays open with what was typed, nothing is written, its list is not
// called back; once the database takes it, the same OK writes it. And the writes that a second
// program on the same file (a connection of its own) makes stale between a dialog's load and its
// OK, or between a delete's question and its answer: nothing is written over or left dangling.
#include "banking/frmAssegniEmessi.h"
#include "banking/frmEditAssegniEmessi.h"
#include "banking/frmEditMieiContiCorrenti.h"
#include "banking/frmMieiContiCorrenti.h"
#include "customers/frmAnagrafica.h"
#include "customers/frmEditAnagrafica.h"
#include "customers/frmEditTipologiaPersone.h"
#include "customers/frmTipologiaPersone.h"
#include "payments/frmEditGirate.h"
#include "payments/frmEditPagamenti.h"
#include "payments/frmEditVersamenti.h"
#include "payments/frmPagamenti.h"
#include "platform/SqliteDb.h"
#include "shell/EditDialog.h"
#include "shell/ListWindow.h"
#include "testsupport.h"
#include <sqlite3.h>

namespace {
struct Kind {
    const char *name;
    QString table;
    bool insertOnly;
    std::function<Form *()> openList;
    std::function<EditDialog *()> openDialog;
    std::function<void(EditDialog *)> fill;
};

// The list opened on its first row, as a click and a double click leave it.
template <class List>
std::function<Form *()> list(double List::*key)
{
    return [key] {
        List *w = openForm<List>();
        clickRow(w->MSFlexGrid1, 1);
        w->*key = w->MSFlexGrid1->TextMatrix(1, 0).toDouble();
        return static_cast<Form *>(w);
    };
}
template <class Dialog>
std::function<EditDialog *()> dialog()
{
    return [] { return static_cast<EditDialog *>(openForm<Dialog>()); };
}
template <class Dialog>
std::function<void(EditDialog *)> filling(std::function<void(Dialog *)> f)
{
    return [f](EditDialog *d) { f(static_cast<Dialog *>(d)); };
}

const QList<Kind> &kinds()
{
    static const QList<Kind> all = {
        {"customer", "Anagrafica", false, list(&frmAnagrafica::mANAGRAFICAID), dialog<frmEditAnagrafica>(),
         filling<frmEditAnagrafica>([](frmEditAnagrafica *d) {
             choose(d->cboTipologia, "Socio");
             typeInto(d->txtCognome, "Rossi");
             d->txtDataNascita->setValue(QDate(1980, 1, 1));
         })},
        {"type", "TipologiaPersone", false, list(&frmTipologiaPersone::mTIPOLOGIAID), dialog<frmEditTipologiaPersone>(),
         filling<frmEditTipologiaPersone>([](frmEditTipologiaPersone *d) { typeInto(d->txtTipologia, "Amico"); })},
        {"payment", "Pagamenti", false, list(&frmPagamenti::mPagamentiID), dialog<frmEditPagamenti>(),
         filling<frmEditPagamenti>([](frmEditPagamenti *d) {
             d->cboSocio->setListIndex(0);
             d->txtDataPagamento->setValue(QDate(2024, 1, 12));
             typeInto(d->txtImporto, "99,90");
         })},
        {"cheque", "AssegniEmessi", false, list(&frmAssegniEmessi::mASSEGNIEMESSIID), dialog<frmEditAssegniEmessi>(),
         filling<frmEditAssegniEmessi>([](frmEditAssegniEmessi *d) {
             d->cboDescrizione->setListIndex(0);
             d->cboNome->setListIndex(0);
             d->txtDataAssegno->setValue(QDate(2024, 1, 12));
             typeInto(d->txtNumero, "555");
             typeInto(d->txtImporto, "99,90");
         })},
        {"account", "MieiContiCorrenti", false, list(&frmMieiContiCorrenti::mCONTOCORRENTEID),
         dialog<frmEditMieiContiCorrenti>(), filling<frmEditMieiContiCorrenti>([](frmEditMieiContiCorrenti *d) {
             const QStringList values{"Conto nuovo", "Banca", "01000", "03200", "12", "O'Neil"};
             int i = 0;
             for (XPTextBox *b :
                  {d->txtDescrizione, d->txtBanca, d->txtABI, d->txtCAB, d->txtNumeroConto, d->txtIntestatari})
                 typeInto(b, values.at(i++));
         })},
        {"endorsement", "Girate", true, list(&frmPagamenti::mPagamentiID), dialog<frmEditGirate>(),
         filling<frmEditGirate>([](frmEditGirate *d) {
             d->cboNome->setListIndex(1);
             typeInto(d->txtDataGirata, "12012024");
             QTest::mouseClick(d->chkGirataPiena, Qt::LeftButton, {}, QPoint(6, 12));
             typeInto(d->txtNote, "a'b");
         })},
        {"deposit", "Versamenti", true, list(&frmPagamenti::mPagamentiID), dialog<frmEditVersamenti>(),
         filling<frmEditVersamenti>([](frmEditVersamenti *d) {
             d->cboDescrizione->setListIndex(0);
             typeInto(d->txtDataVersamento, "12012024");
             typeInto(d->txtNote, "a'b");
         })},
    };
    return all;
}

// What a window shows: the values of its fields, the rows of its grid, the captions of its labels.
QStringList shown(const Form *f)
{
    QStringList out;
    for (Control *c : f->Controls()) {
        switch (c->Kind()) {
        case ControlKind::TextBox:
            out << static_cast<XPTextBox *>(c)->Text();
            break;
        case ControlKind::DTPicker:
            out << static_cast<XPDTPicker *>(c)->text();
            break;
        case ControlKind::ComboBox:
            out << static_cast<XPComboBox *>(c)->Text();
            break;
        case ControlKind::CheckBox:
            out << QString::number(static_cast<XPCheckBox *>(c)->Value());
            break;
        case ControlKind::Label:
            out << static_cast<XPLabel *>(c)->Caption();
            break;
        case ControlKind::Grid:
            for (int r = 0; r < static_cast<MSFlexGrid *>(c)->Rows(); ++r)
                out << gridRow(static_cast<MSFlexGrid *>(c), r);
            break;
        default:
            break;
        }
    }
    return out;
}

void kindRows()
{
    QTest::addColumn<int>("kind");
    for (int i = 0; i < kinds().size(); ++i)
        QTest::newRow(kinds().at(i).name) << i;
}

// The table and column an authorizer keeps SQLite from reading.
const char *gDeniedTable = "";
const char *gDeniedColumn = "";

void editableKindRows()
{
    QTest::addColumn<int>("kind");
    for (int i = 0; i < kinds().size(); ++i)
        if (!kinds().at(i).insertOnly)
            QTest::newRow(kinds().at(i).name) << i;
}

// The list opened on its first row.
ListWindow *openOnFirstRow(const Kind &k) { return static_cast<ListWindow *>(k.openList()); }
QString firstKey(const ListWindow *w) { return w->MSFlexGrid1->TextMatrix(1, 0); }

// The other program's write, made on its own connection as the program's connection is about to
// begin a write: after every question the program asks before it.
struct BeforeWrite {
    QString dbPath;
    QString sql;
};
int onBegin(unsigned, void *context, void *, void *sql)
{
    auto *other = static_cast<BeforeWrite *>(context);
    if (!other->sql.isEmpty() && qstrncmp(static_cast<const char *>(sql), "BEGIN", 5) == 0)
        TestProgram::exec(other->dbPath, std::exchange(other->sql, QString()));
    return 0;
}
} // namespace

class TestRefusedWrites : public QObject {
    Q_OBJECT
private slots:
    void init() { resetShellState(); }

    void refusedWriteKeepsTheDialog_data() { kindRows(); }
    void refusedWriteKeepsTheDialog()
    {
        QFETCH(int, kind);
        const Kind &k = kinds().at(kind);
        TestProgram prog;
        seedShop(prog);
        prog.exec(QStringLiteral("create trigger noinsert before insert on %1 begin select raise(abort, 'disco pieno');"
                                 " end; create trigger noupdate before update on %1 begin select raise(abort, "
                                 "'disco pieno'); end")
                      .arg(k.table));
        const QString count = "select count(*) from " + k.table;
        const QString rows = prog.scalar(count);
        Form *w = k.openList();
        const QStringList listBefore = shown(w);
        for (const bool isNew : {false, true}) {
            if (!isNew && k.insertOnly)
                continue;
            gIsNewRecord = isNew;
            EditDialog *d = k.openDialog();
            k.fill(d);
            const QStringList typed = shown(d);
            clickOk(d);
            QCOMPARE(DialogScript::boxes().size(), 1);
            QVERIFY2(prompts().first().contains("disco pieno"), qPrintable(prompts().first()));
            QVERIFY(d->isLoaded());
            // Given back by the box, the dialog shows what was typed: no date put back.
            QEvent activate(QEvent::WindowActivate);
            QCoreApplication::sendEvent(d, &activate);
            d->Form_Activate();
            QCOMPARE(shown(d), typed);
            QCOMPARE(shown(w), listBefore);
            QCOMPARE(prog.scalar(count), rows);
            if (!isNew) {
                d->cmdCancel_Click();
                QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
                continue;
            }
            // Once the database takes it, the same OK writes what was kept.
            prog.exec("drop trigger noinsert");
            clickOk(d);
            NO_BOXES();
            QVERIFY(!d->isLoaded());
            QCOMPARE(prog.scalar(count).toInt(), rows.toInt() + 1);
            QVERIFY(k.insertOnly || shown(w) != listBefore); // those two are told by the button that opens them
        }
    }

    // A uniqueness check that cannot look (the database refuses to read the column) stops the
    // write with the reading's own message; with the database readable again the same OK writes.
    void uniquenessThatCannotLookWritesNothing_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("exit");
        QTest::newRow("customer card") << 0 << "NumeroTessera"
                                       << "esisteRecordSQL";
        QTest::newRow("account description") << 4 << "Descrizione"
                                             << "esisteRecord";
    }
    void uniquenessThatCannotLookWritesNothing()
    {
        QFETCH(int, kind);
        QFETCH(QString, column);
        QFETCH(QString, exit);
        const Kind &k = kinds().at(kind);
        TestProgram prog;
        seedShop(prog);
        const QString count = "select count(*) from " + k.table;
        const QString rows = prog.scalar(count);
        k.openList();
        gIsNewRecord = true;
        EditDialog *d = k.openDialog();
        k.fill(d);
        if (kind == 0)
            typeInto(static_cast<frmEditAnagrafica *>(d)->txtNumeroTessera, "T1");
        const QByteArray table = k.table.toLatin1(), col = column.toLatin1();
        gDeniedTable = table.constData();
        gDeniedColumn = col.constData();
        sqlite3_set_authorizer(
            gSqliteDb->handle(),
            [](void *, int action, const char *t, const char *c, const char *, const char *) {
                return action == SQLITE_READ && qstricmp(t, gDeniedTable) == 0 && qstricmp(c, gDeniedColumn) == 0
                           ? SQLITE_DENY
                           : SQLITE_OK;
            },
            nullptr);
        clickOk(d);
        sqlite3_set_authorizer(gSqliteDb->handle(), nullptr, nullptr);
        QCOMPARE(prompts().size(), 2);
        QVERIFY2(prompts().first().contains("is prohibited) in procedure gRsOpen"), qPrintable(prompts().first()));
        QVERIFY2(prompts().last().endsWith("in procedure " + exit + " of Modulo basGeneralCustom"),
                 qPrintable(prompts().last()));
        QVERIFY(d->isLoaded());
        QCOMPARE(prog.scalar(count), rows);
        clickOk(d);
        NO_BOXES();
        QCOMPARE(prog.scalar(count).toInt(), rows.toInt() + 1);
    }

    // The other program deleted the record: nothing of the OK is written (a payment's renewal
    // neither), the list drops the row and the dialog closes.
    void recordDeletedMeanwhile_data() { editableKindRows(); }
    void recordDeletedMeanwhile()
    {
        QFETCH(int, kind);
        const Kind &k = kinds().at(kind);
        TestProgram prog;
        seedShop(prog);
        ListWindow *w = openOnFirstRow(k);
        const QString id = firstKey(w);
        gIsNewRecord = false;
        EditDialog *d = k.openDialog();
        k.fill(d);
        if (auto *payment = qobject_cast<frmEditPagamenti *>(d)) {
            QTest::mouseClick(payment->chkModificaDataScadenzaIscrizione, Qt::LeftButton, {}, QPoint(6, 12));
            typeInto(payment->txtNuovaDataScadenza, "31122030");
        }
        const QString customers = "select group_concat(coalesce(DataScadenzaIscrizione, '') || "
                                  "coalesce(DateTimeLastUpdated, ''), ';') from Anagrafica";
        prog.exec("delete from " + k.table + " where rowid = " + id);
        const QString customersBefore = prog.scalar(customers);
        const QString written = "select count(DateTimeLastUpdated) || '/' || count(*) from " + k.table;
        const QString stored = prog.scalar(written);
        clickOk(d);
        QCOMPARE(boxLog(), QStringList{msg("Il record non esiste più: è stato eliminato da un altro utente. Le "
                                           "modifiche non sono state salvate.")});
        QVERIFY(!d->isLoaded());
        QCOMPARE(prog.scalar(written), stored);
        QCOMPARE(prog.scalar(customers), customersBefore);
        QVERIFY(!column(w->MSFlexGrid1, 0).contains(id));
    }

    // The other program deleted a row the record refers to: refused with that row named, nothing
    // written, the dialog open without the row to choose; another choice is then written.
    void referenceDeletedMeanwhile_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("combo"); // none: the payment the list has selected
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("message");
        const QString customer = "Il cliente scelto non esiste più: è stato eliminato da un altro utente.";
        const QString payee = "Il beneficiario scelto non esiste più: è stato eliminato da un altro utente.";
        const QString account = "Il conto corrente scelto non esiste più: è stato eliminato da un altro utente.";
        const QString payment = "Il pagamento non esiste più: è stato eliminato da un altro utente.";
        QTest::newRow("customer's type") << 0 << "cboTipologia"
                                         << "TipologiaPersone"
                                         << "La tipologia scelta non esiste più: è stata eliminata da un altro utente.";
        QTest::newRow("payment's customer") << 2 << "cboSocio"
                                            << "Anagrafica" << customer;
        QTest::newRow("cheque's account") << 3 << "cboDescrizione"
                                          << "MieiContiCorrenti" << account;
        QTest::newRow("cheque's payee") << 3 << "cboNome"
                                        << "Anagrafica" << payee;
        QTest::newRow("endorsement's payment") << 5 << ""
                                               << "Pagamenti" << payment;
        QTest::newRow("endorsement's payee") << 5 << "cboNome"
                                             << "Anagrafica" << payee;
        QTest::newRow("deposit's payment") << 6 << ""
                                           << "Pagamenti" << payment;
        QTest::newRow("deposit's account") << 6 << "cboDescrizione"
                                           << "MieiContiCorrenti" << account;
    }
    void referenceDeletedMeanwhile()
    {
        QFETCH(int, kind);
        QFETCH(QString, combo);
        QFETCH(QString, table);
        QFETCH(QString, message);
        const Kind &k = kinds().at(kind);
        for (const bool isNew : {true, false}) {
            if (!isNew && k.insertOnly)
                continue;
            TestProgram prog;
            seedShop(prog);
            // A second account: one is left to choose when the other is gone.
            prog.exec("insert into MieiContiCorrenti (CONTOCORRENTEID, Descrizione) values (2, 'Conto cassa')");
            const QString listKey = firstKey(openOnFirstRow(k));
            gIsNewRecord = isNew;
            EditDialog *d = k.openDialog();
            k.fill(d);
            auto *box = combo.isEmpty() ? nullptr : dynamic_cast<XPComboBox *>(d->control(combo));
            const QString gone = box ? QString::number(box->ItemData(box->ListIndex())) : listKey;
            const QString written =
                (isNew ? "select count(*) from " : "select count(DateTimeLastUpdated) from ") + k.table;
            const QString before = prog.scalar(written);
            prog.exec("delete from " + table + " where rowid = " + gone);
            clickOk(d);
            QCOMPARE(boxLog(), QStringList{msg(message)});
            QVERIFY(d->isLoaded());
            QCOMPARE(prog.scalar(written), before);
            if (!box)
                continue;
            QCOMPARE(box->ListIndex(), -1);
            for (int i = 0; i < box->ListCount(); ++i)
                QVERIFY(QString::number(box->ItemData(i)) != gone);
            QTest::keyClick(box, Qt::Key_Home);
            clickOk(d);
            NO_BOXES();
            QVERIFY(!d->isLoaded());
            QVERIFY(prog.scalar(written) != before);
        }
    }

    // The other program changed the record, in the same second as the write the dialog loaded:
    // nothing is written over. The fields it changed show its values, the others what was typed,
    // and the next OK writes both.
    void recordChangedMeanwhile_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("typedBox");
        QTest::addColumn<QString>("typedColumn");
        QTest::addColumn<QString>("theirBox");
        QTest::addColumn<QString>("theirColumn");
        QTest::addColumn<QString>("theirValue");
        QTest::addColumn<QString>("theirShown");
        // The customer's membership renewed by a payment meanwhile.
        QTest::newRow("customer") << 0 << "txtTelefonoCasa"
                                  << "TelefonoCasa"
                                  << "txtDataScadenzaIscrizione"
                                  << "DataScadenzaIscrizione"
                                  << "2030-08-31 00:00:00"
                                  << "31/08/2030";
        QTest::newRow("type") << 1 << "txtTipologia"
                              << "Tipologia"
                              << "txtTipologia"
                              << "Tipologia"
                              << "Socio ordinario"
                              << "Socio ordinario";
        QTest::newRow("payment") << 2 << "txtNote"
                                 << "NotePagamento"
                                 << "txtCausale"
                                 << "Causale"
                                 << "Rinnovo anticipato"
                                 << "Rinnovo anticipato";
        QTest::newRow("cheque") << 3 << "txtLuogoEmissione"
                                << "LuogoEmissione"
                                << "txtCausale"
                                << "Causale"
                                << "Saldo"
                                << "Saldo";
        QTest::newRow("account") << 4 << "txtIntestatari"
                                 << "Intestatari"
                                 << "txtBanca"
                                 << "Banca"
                                 << "Banca Due"
                                 << "Banca Due";
    }
    void recordChangedMeanwhile()
    {
        QFETCH(int, kind);
        QFETCH(QString, typedBox);
        QFETCH(QString, typedColumn);
        QFETCH(QString, theirBox);
        QFETCH(QString, theirColumn);
        QFETCH(QString, theirValue);
        QFETCH(QString, theirShown);
        const Kind &k = kinds().at(kind);
        TestProgram prog;
        seedShop(prog);
        const QString id = firstKey(openOnFirstRow(k));
        const QString stamp = "DateTimeLastUpdated = '2024-05-06 10:00:00'";
        prog.exec("update " + k.table + " set " + stamp + " where rowid = " + id);
        gIsNewRecord = false;
        EditDialog *d = k.openDialog();
        auto *typed = dynamic_cast<QLineEdit *>(d->control(typedBox));
        auto *theirs = dynamic_cast<QLineEdit *>(d->control(theirBox));
        typeInto(typed, "nuovo");
        prog.exec("update " + k.table + " set " + theirColumn + " = " + sqlText(theirValue) + ", " + stamp
                  + " where rowid = " + id);
        const QString row = "select " + theirColumn + " || '|' || coalesce(" + typedColumn + ", '') from " + k.table
                            + " where rowid = " + id;
        const QString stored = prog.scalar(row);
        clickOk(d);
        QCOMPARE(boxLog(), QStringList{msg("Il record è stato modificato da un altro utente dopo l'apertura di questa "
                                           "finestra: le modifiche non sono state salvate. I campi cambiati "
                                           "dall'altro utente mostrano ora i suoi dati, gli altri quanto inserito "
                                           "qui: controllare e premere di nuovo Ok.")});
        QVERIFY(d->isLoaded());
        QCOMPARE(prog.scalar(row), stored);
        QCOMPARE(theirs->text(), theirShown);
        if (typed != theirs)
            QCOMPARE(typed->text(), QStringLiteral("nuovo"));
        clickOk(d);
        NO_BOXES();
        QVERIFY(!d->isLoaded());
        QCOMPARE(prog.scalar(row), theirValue + '|' + (typed != theirs ? "nuovo" : theirValue));
    }

    // The other program links a row to the record while the delete's question is open: the
    // delete is refused with the guard's message and the record stays.
    void linkedWhileDeleteAsked_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("record");
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("message");
        QTest::newRow("customer")
            << "Anagrafica"
            << "insert into Anagrafica (ANAGRAFICAID, TIPOLOGIAID, Cognome) values (9, 1, 'Gialli')"
            << "insert into Pagamenti (ANAGRAFICAID, DataPagamento, Importo) values (9, "
               "'2024-01-02 00:00:00', 10)"
            << "Impossibile eliminare il record. Esistono pagamenti collegati.";
        QTest::newRow("type") << "TipologiaPersone"
                              << "insert into TipologiaPersone (TIPOLOGIAID, Tipologia) values (9, 'Ospite')"
                              << "insert into Anagrafica (TIPOLOGIAID, Cognome) values (9, 'Gialli')"
                              << "Impossibile eliminare il record: ci sono record collegati nell'anagrafica";
        QTest::newRow("account") << "MieiContiCorrenti"
                                 << "insert into MieiContiCorrenti (CONTOCORRENTEID, Descrizione) values (9, 'Vuoto')"
                                 << "insert into Versamenti (PagamentiID, CONTOCORRENTEID) values (1, 9)"
                                 << "Impossibile eliminare il record. Esistono assegni collegati.";
    }
    void linkedWhileDeleteAsked()
    {
        QFETCH(QString, table);
        QFETCH(QString, record);
        QFETCH(QString, link);
        QFETCH(QString, message);
        TestProgram prog;
        seedShop(prog);
        prog.exec(record);
        ListWindow *w = nullptr;
        if (table == "Anagrafica")
            w = openForm<frmAnagrafica>();
        else if (table == "TipologiaPersone")
            w = openForm<frmTipologiaPersone>();
        else
            w = openForm<frmMieiContiCorrenti>();
        const int row = int(column(w->MSFlexGrid1, 0).indexOf("9")) + 1;
        QVERIFY(row > 0);
        clickRow(w->MSFlexGrid1, row);
        BeforeWrite other{prog.dbPath(), link};
        sqlite3_trace_v2(gSqliteDb->handle(), SQLITE_TRACE_STMT, onBegin, &other);
        DialogScript::boxes().clear();
        DialogScript::answerMessage(MsgCode::AnsYes);
        QTest::mouseClick(w->cmdDelete, Qt::LeftButton);
        sqlite3_trace_v2(gSqliteDb->handle(), 0, nullptr, nullptr);
        QVERIFY(other.sql.isEmpty());
        QCOMPARE(boxLog(), (QStringList{msg("Sei sicuro di voler eliminare il record?", 4), msg(message)}));
        QCOMPARE(column(w->MSFlexGrid1, 0).count("9"), 1);
        QCOMPARE(prog.scalar("select count(*) from " + table + " where rowid = 9"), QStringLiteral("1"));
    }
};

QTEST_MAIN(TestRefusedWrites)
#include "tst_refused_writes.moc"
