#pragma once
// What the edit dialogs of every register share: the SQL literals made from their fields, the
// combo boxes of keys, and the write that closes the dialog only once the database took the row.
#include <QString>
#include <QtGlobal>
#include <functional>

class Form;
class ListWindow;
class MSFlexGrid;
class QWidget;
class Recordset;
class XPComboBox;
class XPDTPicker;

namespace EditDialog {

// A check that failed: its message with the warning icon; the dialog stays as it is.
void refuse(const QString &message);

// ---- SQL literals ----

// Text column: blanks around the text removed; Null when nothing is left, else the text quoted
// with its single quotes doubled.
QString textLiteral(const QString &text);
// Date column from a picker: Null when it holds no date, else the stored form
// 'YYYY-MM-DD HH:MM:SS'.
QString dateLiteral(const XPDTPicker *picker);
// The current date and time, quoted, for DateTimeCreated and DateTimeLastUpdated.
QString timeStamp();
// A record key as decimal digits; list windows hold their keys in a Double.
QString keyText(double key);

// The date check of a picker: an empty picker passes (its column is written as Null), a set one
// passes when it holds a real date.
bool pickerHoldsDate(const XPDTPicker *picker);

// ---- combo boxes of keys ----

// Fills the combo from the query, one item per row in the query's order: the item's text from
// itemText, its item data the row's keyField. Only the item whose key equals selectKey ends up
// selected (-1 selects nothing), and the combo raises no Change while it is filled, so the
// combo shows exactly the key returned: the selected item's key, or -1 when none matched.
qint64 fillCombo(XPComboBox *combo, const QString &sql, const QString &keyField,
                 const std::function<QString(const Recordset &)> &itemText, qint64 selectKey = -1);
// The same with the item's text read from one column ("" for Null).
qint64 fillCombo(XPComboBox *combo, const QString &sql, const QString &keyField, const QString &textField,
                 qint64 selectKey = -1);

// The item data of the selected item, -1 when nothing is selected.
qint64 selectedKey(const XPComboBox *combo);

// A combo's KeyUp: End (35) selects the last item, Home (36) the first; an empty combo and any
// other key leave it as it is.
void comboEndHome(XPComboBox *combo, int keyCode);

// ---- writing ----

// The list call-back after an INSERT: a grid holding only its header row (an empty list, or no
// grid at all) is refilled, otherwise the new row is appended.
void afterInsert(const MSFlexGrid *grid, const std::function<void()> &fillGrid,
                 const std::function<void()> &addGridRow);

// Runs the INSERT or UPDATE; once the database took it, calls the list back and unloads the
// dialog (also when the call-back fails, so the row is never written twice). When the database
// refused it, gDbExecute has said why: the dialog stays open with everything typed, the list is
// not touched, and the result is false.
bool writeThenCallBack(Form *dialog, const QString &sql, const std::function<void()> &callBack);

// The register dialogs' two writes with their list call-backs: an INSERT refills an empty list
// or appends the new row (afterInsert), an UPDATE rewrites the list's current row.
bool insertThenCallBack(Form *dialog, const QString &sql, ListWindow *list);
bool updateThenCallBack(Form *dialog, const QString &sql, ListWindow *list);

// ---- layout ----

// Lays label and field pairs down a column: each label left of its field, one row per pair.
class FieldColumn {
public:
    static constexpr int RowHeight = 32;
    static constexpr int FieldHeight = 24;
    FieldColumn(int left, int top, int labelWidth, int fieldWidth);
    // Places the pair on the next row; fieldWidth 0 takes the column's width.
    void add(QWidget *label, QWidget *field, int fieldWidth = 0);
    int top() const { return m_top; }

private:
    int m_left;
    int m_top;
    int m_labelWidth;
    int m_fieldWidth;
};

}
