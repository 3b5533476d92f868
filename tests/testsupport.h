#pragma once
// What every headless test shares: a fresh program folder, the windows' default instances, the
// grid, the scripted boxes and the statements sent to SQLite.
#include "platform/Dialogs.h"
#include "platform/Form.h"
#include "platform/MSFlexGrid.h"
#include "platform/PlatformError.h"
#include "platform/WebBrowser.h"
#include "platform/XPControls.h"
#include "shell/ErrorExit.h"
#include "shell/ProgramFolder.h"
#include "shell/basGeneral.h"
#include "shell/basGeneralCustom.h"
#include "shell/basPrintPreview.h"
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QVariantMap>
#include <QtTest>

class EditDialog;
class QLineEdit;

// A fresh program folder holding a database made from data/schema.sql, with the shell's state
// reset and the dialogs scripted. Destroying it closes every window and the database, and fails
// the test if a modal driver met another window than its own.
class TestProgram {
public:
    // withSchema false leaves the folder without a database file.
    explicit TestProgram(bool withSchema = true, bool runStartup = true);
    ~TestProgram();
    QString folder() const { return m_dir.path(); }
    QString dbPath() const { return m_dir.path() + QStringLiteral("/norvik.db3"); }
    // Runs SQL straight on the file, outside the program (set-up and checks).
    static void exec(const QString &dbPath, const QString &sql);
    void exec(const QString &sql) const { exec(dbPath(), sql); }
    // First column of the first row, as text ("" for none or Null).
    QString scalar(const QString &sql) const;
    QString setting(const QString &code) const;
    void addType(qint64 id, const QString &name) const;
    // A customer of type 1 unless `more` names another TIPOLOGIAID; `more` holds further columns
    // (a null or invalid value is written as NULL).
    void addCustomer(qint64 id, const QString &cognome, const QVariantMap &more = {}) const;

private:
    QTemporaryDir m_dir;
};

// An SQL literal: quotes doubled, NULL for a null string.
QString sqlText(const QString &s);

// A printout's page head at 7 points, written out in full: it must match to the last blank.
extern const QString kPageHead7;
// The 22-point heading tag and the grid table tag of a printout.
extern const QString kHeadingFont;
extern const QString kGridTable;

// The prompts of every box shown since the last reset, in order.
QStringList prompts();
// Every box shown since the last reset: "msg:prompt|buttons|title", "plain:prompt",
// "input:prompt|default" or "save:filter".
QStringList boxLog();
// A message box as boxLog writes it.
QString msg(const QString &prompt, int buttons = 48, const QString &title = QStringLiteral("Norvik"));
#define NO_BOXES() QVERIFY2(DialogScript::boxes().isEmpty(), qPrintable(prompts().join('|')))

// The default instance of a window, loaded.
template <class T>
T *openForm()
{
    T *w = FormInstance<T>::get();
    w->Load();
    return w;
}
// An edit dialog as its list opens it, loaded but not shown: to add a record, or to edit the
// one whose key the list holds.
template <class Dialog, class List>
Dialog *openEditDialog(double List::*listKey, bool isNew, double key)
{
    FormInstance<List>::get()->*listKey = key;
    gIsNewRecord = isNew;
    return openForm<Dialog>();
}
// The window shown and active, so that keys and clicks reach it.
template <class T>
T *onScreen(T *w)
{
    w->show();
    if (!QTest::qWaitForWindowActive(w))
        qWarning("%s not active", T::staticMetaObject.className());
    return w;
}
template <class T>
bool isOpen()
{
    return FormInstance<T>::exists() && FormInstance<T>::peek()->isLoaded();
}
// Unloads every window the program has open and lets Qt delete them.
void closeAllForms();
// Queues a driver for the next modal showing of window class T (named as its class).
template <class T>
void drive(std::function<void(T *)> driver)
{
    DialogScript::driveModal(QString::fromLatin1(T::staticMetaObject.className()),
                             [driver](Form *f) { driver(static_cast<T *>(f)); });
}

// Typed key by key; a character beyond ASCII (the euro sign) as the keyboard sends it.
void typeKeys(QWidget *w, const QString &text);
// What was in the box replaced by the text typed.
void typeInto(QLineEdit *box, const QString &text);
// The combo's item with this text selected (the test fails when there is none).
void choose(XPComboBox *combo, const QString &text);
// OK of an edit dialog clicked; the boxes shown before it are forgotten (the answers and
// drivers queued stay), so what follows reads OK's own.
void clickOk(EditDialog *d);
// OK clicked on a dialog that must refuse with this message alone and stay open.
void refusedWith(EditDialog *d, const QString &message);
// A shown edit dialog whose picker holds a text that is no date: leaving the picker for another
// control (Tab, a click on Ok, Alt+O, Alt+T) tells `message` once, does nothing else, and keeps
// the focus and the text in the picker; the calendar and another window check nothing. The
// dialog stays open.
void dateToldOnLeavingOnly(EditDialog *d, XPDTPicker *picker, const QString &message);
// Annulla by click, by Alt+N and by Esc closes without a word the dialog that `open` shows with
// a text that is no date typed into its picker.
void annullaChecksNothing(const std::function<QPair<EditDialog *, XPDTPicker *>()> &open);

// The data cells of one grid column, row 1 down; the cells of one row.
QStringList column(const MSFlexGrid *g, int col);
QStringList gridRow(const MSFlexGrid *g, int row);
// A click on a data row: the grid makes it current, the list selects the whole row.
void clickRow(MSFlexGrid *g, int row, int col = 1);
// A double click on a cell as the mouse gives it: the press, then the double click.
void doubleClickCell(MSFlexGrid *g, int row, int col);

// A bare window holding a grid filled from `rows` (row 0 the header) and a browser control.
struct GridForm {
    explicit GridForm(const QList<QStringList> &rows);
    Form form{QStringLiteral("frmTest")};
    MSFlexGrid grid{&form, QStringLiteral("MSFlexGrid1")};
    WebBrowser web{&form, QStringLiteral("web")};
};

// Every INSERT, UPDATE and DELETE the program hands to SQLite from now on, as written.
void recordWrites();
QStringList &writes();

QByteArray readFile(const QString &path);
bool writeFile(const QString &path, const QByteArray &bytes);

// A small shop: customer types, customers, payments, an account, deposits, an endorsement and
// issued cheques, dated as the program stores dates.
void seedShop(const TestProgram &prog);

// Resets every shared value of the shell, and the file copy's hooks, to its start-of-run state.
void resetShellState();
