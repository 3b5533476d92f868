#pragma once
// The register edit dialog. A concrete dialog creates its controls, binds each field control to
// its column with the column's literal rule, and states in desc() the fixed texts of its
// statements, its checks and its differences; from that the base loads the record in edit mode,
// builds the INSERT and the UPDATE, runs the checks in order, writes, and calls the list back.
#include "platform/Form.h"
#include "shell/ListWindowInterface.h"
#include "shell/PatternHelpers.h"
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <QtGlobal>
#include <functional>

class Control;
class QWidget;
class WebBrowser;
class XPButton;
class XPCheckBox;
class XPComboBox;
class XPDTPicker;
class XPForm;
class XPTextBox;

// What one check of OK found.
struct Verdict {
    enum Kind { Pass, Refuse, Stop };
    Kind kind = Pass;
    QString message;
    static Verdict pass() { return {}; }
    // The message is shown with the warning icon; the dialog stays as it is.
    static Verdict refuse(QString message) { return {Refuse, std::move(message)}; }
    // The check could not look and has said why: nothing is written, and no further message.
    static Verdict stop() { return {Stop, QString()}; }
};
using Check = std::function<Verdict()>;

// A control bound to a column: how its value is written into SQL and read back at load.
struct BoundField {
    enum Rule {
        Text,    // text box: trimmed; Null when empty, else quoted with its quotes doubled
        Date,    // picker: Null when empty, else 'YYYY-MM-DD HH:MM:SS'
        Key,     // the key chosen in a combo box, in decimal
        Flag,    // check box: 0, 1 or 2, unquoted
        Amount,  // text box read by the number rule, written as an SQL number; Null when empty
        Stamp,   // the write's time stamp (the creation stamp's place among the INSERT's values)
        Literal, // a literal the dialog computes itself
    };
    Rule rule;
    // The column as the UPDATE spells it ("notepagamento = "), and its name in the record read
    // at load (names are matched in any case). Empty: only inserted, never read or updated.
    QString column;
    Control *control = nullptr;
    const qint64 *key = nullptr;      // Key
    std::function<QString()> literal; // Literal
};

// A combo box of keys, filled from its query at load. The key chosen is kept in the dialog's own
// member (idDelTipoAnag ...): -1 while nothing is chosen.
struct KeyCombo {
    XPComboBox *combo = nullptr;
    qint64 *chosen = nullptr;
    QString column; // read at load: the record's key, selected in the combo
    QString query;
    QString keyField;
    QStringList textFields; // the item's text: these fields joined by a blank
    // Add mode: the key to select at load (-1 none).
    std::function<qint64()> whenAdding;
    // After each change that leaves an item chosen (not while the combo is filled).
    std::function<void()> onChange;
    // The refusal when, as the record is written, the key chosen is no longer among the combo's
    // rows: another program has deleted that row meanwhile.
    QString missing;
};

struct EditDialogDesc {
    // The list window called back after a write, and its key member: the record edited.
    std::function<ListWindowInterface *()> list;
    std::function<double()> listKey;
    template <class L>
    void listWindow(double L::*key)
    {
        list = []() -> ListWindowInterface * { return FormInstance<L>::get(); };
        listKey = [key] { return FormInstance<L>::get()->*key; };
    }

    // Edit mode: the SELECT of the record, given its key as text.
    std::function<QString(const QString &key)> loadQuery;
    // The INSERT up to its values, verbatim ("INSERT INTO T (A, B,C) VALUES ("); each value then
    // follows with ", " and " ", the last with ")" and " ".
    QString insertHead;
    // "UPDATE T SET " and "WHERE TID = ": the columns come between them, each as "Col = " with
    // its value, ", " and " ", then "DateTimeLastUpdated = " with the time stamp and " ".
    QString updateHead;
    QString updateWhere;
    // In the order of the INSERT's values and of the UPDATE's columns (bind... fills them).
    QVector<BoundField> fields;
    QVector<KeyCombo> combos;
    // Run in this order at OK; the first that does not pass ends it.
    QVector<Check> checks;
    // Statements written with the INSERT or UPDATE in the same write, given its time stamp.
    std::function<QStringList(const QString &stamp)> moreStatements;
    // Rows the record refers to besides its combos' keys: a query that finds the row, and the
    // refusal when, as the record is written, it is no longer there.
    struct Reference {
        std::function<QString()> query;
        QString missing;
    };
    QVector<Reference> references;

    enum class AfterWrite {
        CallBack,          // the list's AddGridRow (FillGrid when it was empty) or UpdateGridRow
        CallBackAndRefill, // the same, then ClearGrid and FillGrid
        Nothing,
    };
    AfterWrite afterWrite = AfterWrite::CallBack;
    // Pickers that start on today's date when the dialog opens in add mode.
    QVector<XPDTPicker *> todayWhenAdding;
    // Takes the focus, caret after its text, when the dialog is activated.
    XPTextBox *focusOnActivate = nullptr;
    // The dialog only adds, whatever gIsNewRecord says.
    bool insertOnly = false;
};

class EditDialog : public Form {
    Q_OBJECT
public:
    // ---- the dialog's handlers ----
    void Form_Load() override;
    void Form_Activate() override;
    void cmdOK_Click();
    void cmdCancel_Click();
    void cmdPrint_Click();
    // A combo's Change and KeyUp (End selects the last item, Home the first).
    void comboChange(XPComboBox *combo);
    void comboKeyUp(XPComboBox *combo, int KeyCode, int Shift);

    XPForm *OsenXPForm1 = nullptr;
    XPButton *cmdOK = nullptr;
    XPButton *cmdCancel = nullptr;
    XPButton *cmdPrint = nullptr;
    WebBrowser *web = nullptr;

    // The dialog's margin, left, right and below the buttons, in pixels; the first row of fields
    // stands at FieldsTop, under the frame band.
    static constexpr int Margin = 16;
    static constexpr int FieldsTop = 46;

    // Lays label and field pairs down a column: each label left of its field, one row per pair.
    class FieldColumn {
    public:
        static constexpr int RowHeight = 32;
        static constexpr int FieldHeight = 24;
        // Between a label and its field.
        static constexpr int Gap = 8;
        FieldColumn(int left, int top, int labelWidth, int fieldWidth);
        // The column at the dialog's left margin whose fields reach its right margin.
        static constexpr int widthAcross(int dialogWidth, int labelWidth)
        {
            return dialogWidth - 2 * Margin - labelWidth - Gap;
        }
        static FieldColumn across(int dialogWidth, int labelWidth, int top = FieldsTop)
        {
            return FieldColumn(Margin, top, labelWidth, widthAcross(dialogWidth, labelWidth));
        }
        // Places the pair on the next row; fieldWidth 0 takes the column's width.
        void add(QWidget *label, QWidget *field, int fieldWidth = 0);
        int top() const { return m_top; }
        int fieldLeft() const { return m_left + m_labelWidth + Gap; }
        int fieldWidth() const { return m_fieldWidth; }

    private:
        int m_left;
        int m_top;
        int m_labelWidth;
        int m_fieldWidth;
    };

protected:
    EditDialog(const QString &name, const QString &caption);

    EditDialogDesc &desc() { return m_desc; }
    // Fixed at load by gIsNewRecord: add mode, and in edit mode the key of the record shown,
    // which is the one written.
    bool isNew() const { return m_isNew; }
    QString recordKeyText() const { return QString::number(m_recordKey); }
    // After the record, the combos and today's dates are in place.
    virtual void afterLoad() {}

    // ---- controls, in the order they are created (the order a printout lists them) ----
    // The frame band across the top, with the dialog's caption.
    void addFrame(int width);
    // A label "lbl" + suffix with the caption, then its field named with the field's prefix and
    // the same suffix, placed on the column's next row.
    XPTextBox *addTextBox(FieldColumn &column, const QString &suffix, const QString &caption, int width = 0);
    XPDTPicker *addPicker(FieldColumn &column, const QString &suffix, const QString &caption, int width = 0);
    XPComboBox *addCombo(FieldColumn &column, const QString &suffix, const QString &caption, int width = 0);
    // "Ok" and "Annulla" on the right, the print button on the left, the browser control, all
    // wired; the dialog's size follows.
    void addButtons(int width, int top, const QString &printCaption, int printWidth = 110);

    // ---- fields, in the order of the INSERT's values ----
    void bindText(XPTextBox *box, const QString &column);
    void bindAmount(XPTextBox *box, const QString &column);
    void bindDate(XPDTPicker *picker, const QString &column);
    void bindFlag(XPCheckBox *box, const QString &column);
    // The combo's query, key field and item text; the binding returned (valid until the next
    // bind) takes the add-mode preselection and the change hook.
    KeyCombo &bindKey(XPComboBox *combo, qint64 &chosen, const QString &column, const QString &query,
                      const QString &keyField, const QStringList &textFields);
    void bindStamp();
    void bindLiteral(std::function<QString()> literal, const QString &column = QString());

    // ---- checks ----
    static Check required(const XPTextBox *box, const QString &message);
    static Check chosen(const XPComboBox *combo, const qint64 &key, const QString &message);
    // An empty picker passes; a set one must hold a date.
    static Check validDate(const XPDTPicker *picker, const QString &message);
    // Refuses a blank picker (IsEmpty); a text that is no date passes on to validDate.
    static Check requiredDate(const XPDTPicker *picker, const QString &message);
    // An empty box passes; a filled one must hold a number by the number rule.
    static Check number(const XPTextBox *box, const QString &message);
    // checkABICAB on a filled box, with the code's name for its messages.
    static Check code(const XPTextBox *box, const QString &name);
    // Whether the count query ("... as conteggio ...") finds a row.
    static Verdict unique(const QString &countSql, const QString &message);
    // The trimmed text must be new in table.field; in edit mode the record's own row, by
    // keyField, does not count.
    Check uniqueText(const QString &table, const QString &field, const XPTextBox *box, const QString &keyField,
                     const QString &message) const;
    static Check when(std::function<bool()> condition, Check check);

    // The picker's date checked on leaving it: when the focus moves from the picker to another
    // control of this dialog while the picker holds a text that is no date, `validate` says why
    // and returns true to keep the focus in the picker. The click or access key that moved the
    // focus does nothing else, so one fault shows one message. Leaving for Annulla, the calendar,
    // a message box, the print preview or another window checks nothing.
    void validateOnLeaving(XPDTPicker *picker, std::function<bool()> validate);

private:
    void loadRecord(QVector<qint64> &comboKeys);
    QString literalOf(const BoundField &field, const QString &stamp) const;
    // The statements OK writes, with the given time stamp.
    QString insertText(const QString &stamp) const;
    QString updateText(const QString &stamp) const;
    void callListBack();
    const KeyCombo *comboOf(const XPComboBox *combo) const;

    // Another program on the same database. The write takes the write lock first; holding it,
    // it writes only a record still as the dialog loaded it and still there, and only while
    // every row it refers to still exists. Otherwise nothing of it is written and the user is
    // told.
    enum class WriteOutcome { Written, Refused, Changed, Gone, Missing };
    void writeChecked(const QStringList &statements);
    WriteOutcome writeUnlessStale(const QStringList &statements, QVariantHash &stored, QString &missing);
    // The record's row as stored, every column by its name in lower case; empty when gone.
    QVariantHash storedRow() const;
    // The refusal of the first reference whose row is gone; empty when all are there.
    QString missingReference() const;
    // The fields another program changed show what it stored; the others keep what was typed.
    void takeOthersChanges(const QVariantHash &stored);
    // The combos read again, each selecting its key of `keys` when that row is still there; a
    // combo whose choice has changed (to none as well) has its onChange called.
    void refillCombos(const QVector<qint64> &keys);
    void closeOnGoneRecord();

    EditDialogDesc m_desc;
    bool m_isNew = true;
    qint64 m_recordKey = 0;
    // The record as it was when the dialog loaded it (edit mode).
    QVariantHash m_loadedRow;
};
