// The controls as the user meets them: one reading of a typed date wherever one is typed, the
// date picker's keys and calendar, the buttons' one font on every window, and Qt's own dialogs in
// Italian.
#include "customers/frmAnagrafica.h"
#include "customers/frmEditAnagrafica.h"
#include "customers/frmEditTipologiaPersone.h"
#include "customers/frmSelectAnagrafica.h"
#include "customers/frmSelectTipologiaPersone.h"
#include "customers/frmTipologiaPersone.h"
#include "payments/frmPagamenti.h"
#include "payments/frmSelectPagamenti.h"
#include "platform/Application.h"
#include "reports/basReportistica.h"
#include "reports/frmSelectReportVelmosta.h"
#include "shell/frmAbout.h"
#include "shell/frmMain.h"
#include "testsupport.h"
#include <QCalendarWidget>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QPushButton>
#include <QToolButton>

namespace {
// A shown window holding one picker with the keyboard focus.
struct PickerWindow {
    PickerWindow()
    {
        form.resize(300, 100);
        picker.setGeometry(10, 10, 130, 24);
        form.show();
        if (QTest::qWaitForWindowActive(&form))
            picker.setFocus();
    }
    Form form{QStringLiteral("frmProva")};
    XPDTPicker picker{&form, QStringLiteral("dtpData")};
};

// The widget of the open calendar that takes the keys.
QWidget *calendarKeys(XPDTPicker &picker)
{
    QWidget *w = QApplication::focusWidget();
    return w && picker.calendarWidget()->isAncestorOf(w) ? w : picker.calendarWidget();
}
} // namespace

class TestControls : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY2(setUpApplication(), "Qt's Italian translations are not installed"); }
    void init() { resetShellState(); }
    void cleanup() { closeAllForms(); }

    // One reading of a typed date: a picker, a filter's date bound, a report's date answer and
    // the customer-and-period dialog take and refuse the same texts, and mean the same day.
    void oneReadingOfATypedDate()
    {
        TestProgram prog;
        openForm<frmPagamenti>();
        PickerWindow w;
        const QList<QPair<QString, QString>> dates = {
            {"1/2/11", "2011-02-01 00:00:00"},
            {"01/01/26", "2026-01-01 00:00:00"},
            {"31-12-29", "2029-12-31 00:00:00"},
            {"1.3.30", "1930-03-01 00:00:00"},
            {" 29.02.2024 ", "2024-02-29 00:00:00"},
            {"29022024", "2024-02-29 00:00:00"},
            {"010399", "1999-03-01 00:00:00"},
            {"2026-03-01", "2026-03-01 00:00:00"},
            {"2026-03-01 17:05:09", "2026-03-01 17:05:09"},
            // No date: a day the month lacks, mixed or doubled separators, a year of three digits
            // or before 1601, an hour that does not exist, a day and month alone.
            {"31/02/2024", ""},
            {"1/13/2024", ""},
            {"1/2-2024", ""},
            {"10//2024", ""},
            {"1/2/024", ""},
            {"0101202", ""},
            {"010120245", ""},
            {"01/01/1600", ""},
            {"2026-3-1", ""},
            {"2026-03-01 24:00:00", ""},
            {"1/2", ""},
        };
        for (const auto &[typed, stored] : dates) {
            const QByteArray what = typed.toUtf8();
            w.picker.clear();
            QTest::keyClicks(&w.picker, typed);
            QCOMPARE(w.picker.Value(), QDate::fromString(stored.left(10), "yyyy-MM-dd"));

            DialogScript::reset();
            frmSelectPagamenti *filter = openForm<frmSelectPagamenti>();
            typeInto(filter->txtDataDa, typed);
            QTest::mouseClick(filter->cmdOK, Qt::LeftButton);
            QVERIFY2(filter->isLoaded() == stored.isEmpty(), what.constData());
            if (stored.isEmpty()) {
                QCOMPARE(prompts(), QStringList{"Formato della data di partenza non valido"});
                filter->Unload();
            } else {
                QCOMPARE(gWherePagamenti, "a.Datapagamento >= ('" + stored + "')");
            }

            DialogScript::reset();
            DialogScript::answerInput(typed);
            const ParameterAnswer answer = askParameter(1, "DATAPRECISA", "la data");
            QVERIFY2(answer.outcome == (stored.isEmpty() ? ParameterAnswer::Refused : ParameterAnswer::Accepted),
                     what.constData());
            QCOMPARE(answer.values.value(0).second, stored);

            frmSelectReportVelmosta *period = openForm<frmSelectReportVelmosta>();
            QTest::keyClicks(period->txtDataA, typed);
            QTest::mouseClick(period->cmdOK, Qt::LeftButton);
            QVERIFY2(period->isLoaded() == stored.isEmpty(), what.constData());
            if (stored.isEmpty())
                period->Unload();
            else
                QCOMPARE(riepilogoValues(gReportDataDa, gReportDataA, -1).value(1).second, stored);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
        // A month: m/yyyy or m/yy, its first day.
        const QList<QPair<QString, QString>> months = {{"8/2011", "2011-08-01 00:00:00"},
                                                       {" 08/11 ", "2011-08-01 00:00:00"},
                                                       {"12-29", "2029-12-01 00:00:00"},
                                                       {"13/2011", ""},
                                                       {"0/2011", ""},
                                                       {"8/011", ""},
                                                       {"01/08/2011", ""}};
        for (const auto &[typed, firstDay] : months) {
            DialogScript::answerInput(typed);
            QCOMPARE(askParameter(2, "DATAMESE", "il mese").values.value(0).second, firstDay);
        }
    }

    void pickerKeys()
    {
        PickerWindow w;
        XPDTPicker &p = w.picker;
        QVERIFY(p.hasFocus());
        // Up and Down on an empty picker start from today.
        QTest::keyClick(&p, Qt::Key_Up);
        QCOMPARE(p.Value(), QDate::currentDate());
        p.Clear();
        QTest::keyClick(&p, Qt::Key_Down);
        QCOMPARE(p.Value(), QDate::currentDate());
        // On a date they step the part the cursor stands in.
        p.setValue(QDate(2024, 1, 31));
        p.setCursorPosition(1);
        QTest::keyClick(&p, Qt::Key_Up);
        QCOMPARE(p.Value(), QDate(2024, 2, 1));
        QCOMPARE(p.cursorPosition(), 1);
        p.setCursorPosition(4);
        QTest::keyClick(&p, Qt::Key_Down);
        QCOMPARE(p.Value(), QDate(2024, 1, 1));
        p.setCursorPosition(9);
        QTest::keyClick(&p, Qt::Key_Up);
        QCOMPARE(p.text(), QStringLiteral("01/01/2025"));
        // Text that is no date yet is left alone.
        p.setText(QStringLiteral("10/01/2"));
        QTest::keyClick(&p, Qt::Key_Up);
        QCOMPARE(p.text(), QStringLiteral("10/01/2"));
        QCOMPARE(p.ValueText(), QStringLiteral("10/01/2"));
        QVERIFY(!p.Value().isValid() && !p.IsEmpty());
        // Only the characters of a date and of a time are taken, nineteen at most.
        p.clear();
        QTest::keyClicks(&p, "1a2.b/3-4 :x");
        QCOMPARE(p.text(), QStringLiteral("12./3-4 :"));
        p.clear();
        QTest::keyClicks(&p, "12345678901234567890123");
        QCOMPARE(p.text(), QStringLiteral("1234567890123456789"));
        // A date without its slashes is a date at once, shown with them after Enter.
        p.clear();
        QTest::keyClicks(&p, "29022024");
        QCOMPARE(p.Value(), QDate(2024, 2, 29));
        QCOMPARE(p.ValueText(), QStringLiteral("29/02/2024"));
        QTest::keyClick(&p, Qt::Key_Return);
        QCOMPARE(p.text(), QStringLiteral("29/02/2024"));
        // Over a whole date typing replaces character by character and steps over the slashes,
        // typed or not.
        p.setCursorPosition(0);
        QTest::keyClicks(&p, "01/0");
        QCOMPARE(p.text(), QStringLiteral("01/02/2024"));
        p.setCursorPosition(0);
        QTest::keyClicks(&p, "3104");
        QCOMPARE(p.text(), QStringLiteral("31/04/2024"));
        QVERIFY(!p.Value().isValid()); // on the way to another date
        p.setCursorPosition(3);
        QTest::keyClicks(&p, "05");
        QCOMPARE(p.Value(), QDate(2024, 5, 31));
        // At its end a new date begins.
        p.end(false);
        QTest::keyClicks(&p, "7/");
        QCOMPARE(p.text(), QStringLiteral("7/"));
    }

    void pickerCalendar()
    {
        PickerWindow w;
        XPDTPicker &p = w.picker;
        QCalendarWidget *calendar = p.calendarWidget();
        // It opens on the date held; a day chosen with the keys is the picker's date.
        p.setValue(QDate(2026, 12, 15));
        QTest::keyClick(&p, Qt::Key_F4);
        QVERIFY(calendar->isVisible());
        QCOMPARE(calendar->selectedDate(), QDate(2026, 12, 15));
        QCOMPARE(calendar->monthShown() * 10000 + calendar->yearShown(), 122026);
        QTest::keyClick(calendarKeys(p), Qt::Key_Right);
        QTest::keyClick(calendarKeys(p), Qt::Key_Return);
        QVERIFY(!calendar->isVisible());
        QCOMPARE(p.text(), QStringLiteral("16/12/2026"));
        // Empty, or holding no date, it opens on today; Esc leaves the picker as it was.
        p.setText(QStringLiteral("31/02"));
        QTest::mouseClick(p.dropButton(), Qt::LeftButton);
        QVERIFY(calendar->isVisible());
        QCOMPARE(calendar->selectedDate(), QDate::currentDate());
        QTest::keyClick(calendarKeys(p), Qt::Key_Escape);
        QVERIFY(!calendar->isVisible());
        QCOMPARE(p.text(), QStringLiteral("31/02"));
        p.Clear();
        QTest::keyClick(&p, Qt::Key_Down, Qt::AltModifier);
        QVERIFY(calendar->isVisible());
        QCOMPARE(calendar->selectedDate(), QDate::currentDate());
        // The today button.
        p.setValue(QDate(2000, 1, 1));
        p.showCalendar();
        auto *today = calendar->parentWidget()->findChild<QPushButton *>(QStringLiteral("today"));
        QVERIFY(today);
        QCOMPARE(today->text(), QStringLiteral("Oggi"));
        QTest::mouseClick(today, Qt::LeftButton);
        QVERIFY(!calendar->isVisible());
        QCOMPARE(p.Value(), QDate::currentDate());
    }

    void everyButtonInOneFontItsCaptionWhole()
    {
        TestProgram prog;
        prog.addType(1, QStringLiteral("Socio"));
        prog.addCustomer(1, QStringLiteral("Rossi"));
        openForm<frmMain>();
        const QList<Form *> windows{openForm<frmMain>(),
                                    openForm<frmAbout>(),
                                    openForm<frmAnagrafica>(),
                                    openForm<frmEditAnagrafica>(),
                                    openForm<frmSelectAnagrafica>(),
                                    openForm<frmTipologiaPersone>(),
                                    openForm<frmEditTipologiaPersone>(),
                                    openForm<frmSelectTipologiaPersone>(),
                                    openForm<frmPagamenti>()};
        const QFont font = QApplication::font();
        for (Form *window : windows) {
            const QList<XPButton *> buttons = window->findChildren<XPButton *>();
            for (XPButton *b : buttons) {
                const int margin = b->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, b);
                const QString where = window->Name() + QLatin1Char('.') + b->Name();
                QVERIFY2(b->font() == font, qPrintable(where + " " + b->font().toString()));
                QVERIFY2(b->fontMetrics().size(Qt::TextShowMnemonic, b->text()).width() + 2 * margin <= b->width(),
                         qPrintable(where));
                QVERIFY2(b->geometry().right() < b->parentWidget()->width(), qPrintable(where));
                for (XPButton *other : buttons)
                    QVERIFY2(other == b || !other->geometry().intersects(b->geometry()),
                             qPrintable(where + " covers " + other->Name()));
            }
        }
        // The customer list's long caption has widened its button; the buttons after it moved
        // along and keep their order and gaps.
        frmAnagrafica *list = FormInstance<frmAnagrafica>::get();
        QVERIFY(list->cmdApriPagamenti->width() > toPixels(1815));
        QCOMPARE(list->cmdEsportaDati->x() - list->cmdApriPagamenti->geometry().right(),
                 toPixels(7200) - toPixels(5280 + 1815) + 1);
        QVERIFY(list->cmdClose->x() > list->cmdEsportaDati->geometry().right());
        QCOMPARE(list->cmdAdd->x(), toPixels(480));
    }

    // Enter presses the button that has the focus, as Space does; once, however long it is held.
    void enterPressesTheFocusedButton()
    {
        TestProgram prog;
        frmMain *m = openForm<frmMain>();
        int shown = 0;
        for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
            drive<frmAbout>([&](frmAbout *) { ++shown; });
            QTest::keyClick(m->cmdInfo, key, key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
        }
        QCOMPARE(shown, 2);
        // A held key's repeats and Ctrl+Enter press nothing.
        drive<frmAbout>([&](frmAbout *) { ++shown; });
        QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QString(), true);
        QApplication::sendEvent(m->cmdInfo, &repeat);
        QTest::keyClick(m->cmdInfo, Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(shown, 2);
        QCOMPARE(DialogScript::pendingDrivers(), 1);
        DialogScript::reset();
        NO_BOXES();
    }

    void standardDialogsSpeakItalian()
    {
        // The save dialog of the CSV export, as Qt draws it where the desktop offers none.
        QFileDialog save(nullptr, QStringLiteral("Salva con nome"));
        save.setOption(QFileDialog::DontUseNativeDialog);
        save.setAcceptMode(QFileDialog::AcceptSave);
        QCOMPARE(save.findChild<QLabel *>(QStringLiteral("lookInLabel"))->text(), QStringLiteral("Cerca in:"));
        QCOMPARE(save.findChild<QLabel *>(QStringLiteral("fileNameLabel"))->text(), QStringLiteral("&Nome del file:"));
        auto *buttons = save.findChild<QDialogButtonBox *>();
        QVERIFY(buttons);
        QStringList texts;
        for (QAbstractButton *b : buttons->buttons())
            texts << b->text();
        texts.sort();
        QCOMPARE(texts, QStringList({"&Salva", "Annulla"}));
        // The standard buttons every Qt dialog builds.
        QDialogButtonBox box(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Close
                             | QDialogButtonBox::Yes | QDialogButtonBox::No);
        QCOMPARE(box.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Annulla"));
        QCOMPARE(box.button(QDialogButtonBox::Close)->text(), QStringLiteral("Chiudi"));
        QCOMPARE(box.button(QDialogButtonBox::Yes)->text(), QStringLiteral("&Sì"));
    }
};

QTEST_MAIN(TestControls)
#include "tst_controls.moc"
