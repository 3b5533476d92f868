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
    std::function<EditDialog *(bool isNew)> openDialog; // to add a record, or to edit the list's
    std::function<void(EditDialog *)> fill;
    int rows(const TestProgram &prog) const { return prog.scalar("select count(*) from " + table).toInt(); }
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
std::function<EditDialog *(bool)> dialog()
{
    return [](bool isNew) {
        gIsNewRecord = isNew;
        return static_cast<EditDialog *>(openForm<Dialog>());
    };
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

// One row per kind, or per kind whose records are edited too.
void kindRows(bool edited = false)
{
    QTest::addColumn<int>("kind");
    for (int i = 0; i < kinds().size(); ++i)
        if (!edited || !kinds().at(i).insertOnly)
            QTest::newRow(kinds().at(i).name) << i;
}

// The table and column an authorizer keeps SQLite from reading.
const char *gDeniedTable = "";
const char *gDeniedColumn = "";

// The list opened on its first row, and that row's key.
QString openOnFirstRow(const Kind &k, ListWindow **list = nullptr)
{
    auto *w = static_cast<ListWindow *>(k.openList());
    if (list)
        *list = w;
    return w->MSFlexGrid1->TextMatrix(1, 0);
}

// A row a new record refers to, deleted by the other program: the key chosen in the combo, or
// without one the payment the list has selected; and the refusal that names it.
const struct {
    int kind;
    const char *combo, *table, *message;
} kReferences[] = {
    {0, "cboTipologia", "TipologiaPersone", "La tipologia scelta non esiste più: è stata eliminata"},
    {2, "cboSocio", "Anagrafica", "Il cliente scelto non esiste più: è stato eliminato"},
    {3, "cboNome", "Anagrafica", "Il beneficiario scelto non esiste più: è stato eliminato"},
    {5, "", "Pagamenti", "Il pagamento non esiste più: è stato eliminato"},
    {6, "cboDescrizione", "MieiContiCorrenti", "Il conto corrente scelto non esiste più: è stato eliminato"},
};

// A column the user types into and one the other program changes meanwhile, with how its field
// shows the other's value.
const struct {
    int kind;
    const char *typedBox, *typedColumn, *theirBox, *theirColumn, *theirValue, *theirShown;
} kChanges[] = {
    // The customer's membership renewed by a payment meanwhile.
    {0, "txtTelefonoCasa", "TelefonoCasa", "txtDataScadenzaIscrizione", "DataScadenzaIscrizione", "2030-08-31 00:00:00",
     "31/08/2030"},
    {1, "txtTipologia", "Tipologia", "txtTipologia", "Tipologia", "Socio ordinario", "Socio ordinario"},
    {2, "txtNote", "NotePagamento", "txtCausale", "Causale", "Rinnovo", "Rinnovo"},
    {3, "txtLuogoEmissione", "LuogoEmissione", "txtCausale", "Causale", "Saldo", "Saldo"},
    {4, "txtIntestatari", "Intestatari", "txtBanca", "Banca", "Banca Due", "Banca Due"},
};

// One row per entry of a table below, named after its kind.
template <class Entry, size_t N>
void entryRows(const Entry (&entries)[N])
{
    QTest::addColumn<int>("entry");
    for (size_t i = 0; i < N; ++i)
        QTest::newRow(kinds().at(entries[i].kind).name) << int(i);
}

// OK clicked again writes without a word: the dialog closes, its table has one row more.
void writtenOnNextOk(EditDialog *d, const TestProgram &prog, const Kind &k, int before)
{
    clickOk(d);
    NO_BOXES();
    QVERIFY(!d->isLoaded());
    QCOMPARE(k.rows(prog), before + 1);
}

// Answers the next box after the other program, on its own connection, has tried to write
// while the box is up; whether it could is kept in `wrote`.
void answerAfterOtherWrite(const TestProgram &prog, const QString &sql, bool &wrote, int answer = MsgCode::AnsOk)
{
    wrote = false;
    DialogScript::answerMessage([&prog, sql, &wrote, answer] {
        try {
            prog.exec(sql);
            wrote = true;
        } catch (const std::exception &) {
        }
        return answer;
    });
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
        const int rows = k.rows(prog);
        Form *w = k.openList();
        const QStringList listBefore = shown(w);
        for (const bool isNew : {false, true}) {
            if (!isNew && k.insertOnly)
                continue;
            EditDialog *d = k.openDialog(isNew);
            k.fill(d);
            const QStringList typed = shown(d);
            // Told once the write lock is given back: the other program writes meanwhile.
            bool otherWrote = false;
            answerAfterOtherWrite(prog, "update settings set value = value", otherWrote);
            clickOk(d);
            QVERIFY(otherWrote);
            QCOMPARE(DialogScript::boxes().size(), 1);
            QVERIFY2(prompts().first().contains("disco pieno"), qPrintable(prompts().first()));
            QVERIFY(d->isLoaded());
            // Given back by the box, the dialog shows what was typed: no date put back.
            QEvent activate(QEvent::WindowActivate);
            QCoreApplication::sendEvent(d, &activate);
            d->Form_Activate();
            QCOMPARE(shown(d), typed);
            QCOMPARE(shown(w), listBefore);
            QCOMPARE(k.rows(prog), rows);
            if (!isNew) {
                d->cmdCancel_Click();
                QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
                continue;
            }
            // Once the database takes it, the same OK writes what was kept.
            prog.exec("drop trigger noinsert");
            writtenOnNextOk(d, prog, k, rows);
            QVERIFY(k.insertOnly || shown(w) != listBefore); // those two are told by the button that opens them
        }
    }

    // A uniqueness check that cannot look (the database refuses to read the column) stops the
    // write with the reading's own message alone, not followed by one about the result it could
    // not read; with the database readable again the same OK writes.
    void uniquenessThatCannotLookWritesNothing_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("column");
        QTest::newRow("customer card") << 0 << "NumeroTessera";
        QTest::newRow("type name") << 1 << "Tipologia";
        QTest::newRow("account description") << 4 << "Descrizione";
    }
    void uniquenessThatCannotLookWritesNothing()
    {
        QFETCH(int, kind);
        QFETCH(QString, column);
        const Kind &k = kinds().at(kind);
        TestProgram prog;
        seedShop(prog);
        const int rows = k.rows(prog);
        k.openList();
        EditDialog *d = k.openDialog(true);
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
        QCOMPARE(prompts().size(), 1);
        QVERIFY2(prompts().first().contains("is prohibited) in procedure gRsOpen"), qPrintable(prompts().first()));
        QVERIFY(d->isLoaded());
        QCOMPARE(k.rows(prog), rows);
        writtenOnNextOk(d, prog, k, rows);
    }

    // The other program deleted the record: nothing of the OK is written (a payment's renewal
    // neither), the list drops the row and the dialog closes.
    void recordDeletedMeanwhile_data() { kindRows(true); }
    void recordDeletedMeanwhile()
    {
        QFETCH(int, kind);
        const Kind &k = kinds().at(kind);
        TestProgram prog;
        seedShop(prog);
        ListWindow *w = nullptr;
        const QString id = openOnFirstRow(k, &w);
        EditDialog *d = k.openDialog(false);
        k.fill(d);
        if (auto *payment = qobject_cast<frmEditPagamenti *>(d)) {
            QTest::mouseClick(payment->chkModificaDataScadenzaIscrizione, Qt::LeftButton, {}, QPoint(6, 12));
            typeInto(payment->txtNuovaDataScadenza, "31122030");
        }
        prog.exec("delete from " + k.table + " where rowid = " + id);
        const QString stored = "select group_concat(coalesce(DataScadenzaIscrizione, '')) || "
                               "(select count(DateTimeLastUpdated) from "
                               + k.table + ") from Anagrafica";
        const QString before = prog.scalar(stored);
        clickOk(d);
        QCOMPARE(prompts().join('|'), QStringLiteral("Il record non esiste più: è stato eliminato da un altro utente. "
                                                     "Le modifiche non sono state salvate."));
        QVERIFY(!d->isLoaded());
        QCOMPARE(prog.scalar(stored), before);
        QVERIFY(!column(w->MSFlexGrid1, 0).contains(id));
    }

    // The other program deleted a row a new record refers to: refused with that row named,
    // nothing written, the dialog open without the row to choose; another choice is written.
    void referenceDeletedMeanwhile_data() { entryRows(kReferences); }
    void referenceDeletedMeanwhile()
    {
        QFETCH(int, entry);
        const auto &r = kReferences[entry];
        const Kind &k = kinds().at(r.kind);
        TestProgram prog;
        seedShop(prog);
        // A second account: one is left to choose when the other is gone.
        prog.exec("insert into MieiContiCorrenti (CONTOCORRENTEID, Descrizione) values (2, 'Conto cassa')");
        const QString listKey = openOnFirstRow(k);
        EditDialog *d = k.openDialog(true);
        k.fill(d);
        auto *combo = dynamic_cast<XPComboBox *>(d->control(r.combo));
        const QString gone = combo ? QString::number(combo->ItemData(combo->ListIndex())) : listKey;
        const int before = k.rows(prog);
        prog.exec(QStringLiteral("delete from %1 where rowid = %2").arg(r.table, gone));
        clickOk(d);
        QCOMPARE(prompts(), QStringList{r.message + QStringLiteral(" da un altro utente.")});
        QVERIFY(d->isLoaded());
        QCOMPARE(k.rows(prog), before);
        if (!combo)
            return;
        QCOMPARE(combo->ListIndex(), -1);
        QTest::keyClick(combo, Qt::Key_Home);
        writtenOnNextOk(d, prog, k, before);
    }

    // The other program changed the record in the same second as the write the dialog loaded:
    // nothing is written over. The fields it changed show its values, the others what was typed,
    // and the next OK writes both.
    void recordChangedMeanwhile_data() { entryRows(kChanges); }
    void recordChangedMeanwhile()
    {
        QFETCH(int, entry);
        const auto &c = kChanges[entry];
        const Kind &k = kinds().at(c.kind);
        TestProgram prog;
        seedShop(prog);
        const QString id = openOnFirstRow(k);
        const QString stamp = "DateTimeLastUpdated = '2024-05-06 10:00:00'";
        prog.exec("update " + k.table + " set " + stamp + " where rowid = " + id);
        EditDialog *d = k.openDialog(false);
        auto *typed = dynamic_cast<QLineEdit *>(d->control(c.typedBox));
        auto *theirs = dynamic_cast<QLineEdit *>(d->control(c.theirBox));
        typeInto(typed, "nuovo");
        prog.exec(QStringLiteral("update %1 set %2 = '%3', %4 where rowid = %5")
                      .arg(k.table, c.theirColumn, c.theirValue, stamp, id));
        const QString row = QStringLiteral("select %1 || '|' || coalesce(%2, '') from %3 where rowid = %4")
                                .arg(c.theirColumn, c.typedColumn, k.table, id);
        const QString stored = prog.scalar(row);
        clickOk(d);
        QCOMPARE(prompts().size(), 1);
        QVERIFY(prompts().first().startsWith("Il record è stato modificato da un altro utente"));
        QCOMPARE(prog.scalar(row), stored);
        QCOMPARE(theirs->text(), QString(c.theirShown));
        if (typed != theirs)
            QCOMPARE(typed->text(), QStringLiteral("nuovo"));
        clickOk(d);
        NO_BOXES();
        QVERIFY(!d->isLoaded());
        QCOMPARE(prog.scalar(row), QString(c.theirValue) + '|' + (typed == theirs ? c.theirValue : "nuovo"));
    }

    // The other program pays for a customer while the question whether to delete that customer
    // is open: the delete is refused with the guard's message and the customer stays. A delete
    // the database refuses is told once the write lock is given back.
    void linkedWhileDeleteAsked()
    {
        TestProgram prog;
        seedShop(prog);
        prog.addCustomer(9, "Gialli");
        auto *w = openForm<frmAnagrafica>();
        clickRow(w->MSFlexGrid1, int(column(w->MSFlexGrid1, 0).indexOf("9")) + 1);
        bool otherWrote = false;
        answerAfterOtherWrite(
            prog,
            "insert into Pagamenti (PagamentiID, ANAGRAFICAID, DataPagamento, Importo) values (99, 9, "
            "'2024-01-02 00:00:00', 10)",
            otherWrote, MsgCode::AnsYes);
        DialogScript::boxes().clear();
        QTest::keyClick(w->MSFlexGrid1, Qt::Key_Delete);
        QVERIFY(otherWrote);
        QCOMPARE(prompts(), (QStringList{"Sei sicuro di voler eliminare il record?",
                                         "Impossibile eliminare il record. Esistono pagamenti collegati."}));
        QCOMPARE(prog.scalar("select count(*) from Anagrafica where ANAGRAFICAID = 9"), QStringLiteral("1"));
        QVERIFY(column(w->MSFlexGrid1, 0).contains("9"));

        prog.exec("delete from Pagamenti where PagamentiID = 99; create trigger nodelete before delete on "
                  "Anagrafica begin select raise(abort, 'bloccato'); end");
        DialogScript::answerMessage(MsgCode::AnsYes);
        answerAfterOtherWrite(prog, "update settings set value = value", otherWrote);
        DialogScript::boxes().clear();
        QTest::keyClick(w->MSFlexGrid1, Qt::Key_Delete);
        QVERIFY(otherWrote);
        QCOMPARE(prompts().size(), 2);
        QVERIFY(prompts().last().startsWith("Error 19 (bloccato) in procedure gDbExecute"));
    }
};

QTEST_MAIN(TestRefusedWrites)
#include "tst_refused_writes.moc"
