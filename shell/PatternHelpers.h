#pragma once
// What the list windows, the edit dialogs and the filter dialogs share: the refusal box, the
// literals a field is written as, keys as text, combo boxes of keys, and a dialog's closing
// after its list's call-back.
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <functional>

class Form;
class MSFlexGrid;
class Recordset;
class XPComboBox;
class XPDTPicker;
class XPTextBox;

// A check that failed: its message with the warning icon; the dialog stays as it is.
void refuse(const QString &message);
// A dialog's activation that gives the box the focus, caret after its text (no box: nothing).
void activateWithFocus(Form *dialog, XPTextBox *box);
// Text column: blanks around the text removed; Null when nothing is left, else the text
// quoted with its single quotes doubled.
QString textLiteral(const QString &text);
// Date column from a picker: Null when it holds no date, else 'YYYY-MM-DD HH:MM:SS'.
QString dateLiteral(const XPDTPicker *picker);
// Amount column: Null when empty, else the number it reads as, in the database's notation;
// a text that is no number raises (the checks refuse it first).
QString amountLiteral(const QString &typed);
// The current date and time, quoted, for DateTimeCreated and DateTimeLastUpdated.
QString timeStamp();
// A record key as decimal digits; list windows hold their keys in a Double.
QString keyText(double key);
// The date check of a picker: an empty picker passes (its column is written as Null), a
// set one passes when it holds a real date; a text typed but not yet a date does not pass.
bool pickerHoldsDate(const XPDTPicker *picker);

// Fills the combo from the query, one item per row in the query's order: the item's text
// from itemText, its item data the row's keyField. Only the item whose key equals selectKey
// ends up selected (-1 selects nothing), and the combo raises no Change while it is filled,
// so the combo shows exactly the key returned: the selected item's key, or -1. A query the
// database refuses has told its own message and leaves the combo empty.
qint64 fillCombo(XPComboBox *combo, const QString &sql, const QString &keyField,
                 const std::function<QString(const Recordset &)> &itemText, qint64 selectKey = -1);
// The same with the item's text read from these columns, joined by a blank ("" for Null).
qint64 fillCombo(XPComboBox *combo, const QString &sql, const QString &keyField, const QStringList &textFields,
                 qint64 selectKey = -1);
qint64 fillCombo(XPComboBox *combo, const QString &sql, const QString &keyField, const QString &textField,
                 qint64 selectKey = -1);
// The item data of the selected item, -1 when nothing is selected.
qint64 selectedKey(const XPComboBox *combo);
// End (35) selects the last item, Home (36) the first; an empty combo and any other key
// leave it as it is.
void comboEndHome(XPComboBox *combo, int keyCode);

// The list call-back after an INSERT: a grid holding only its header row (an empty list, or
// no grid at all) is refilled, otherwise the new row is appended.
void afterInsert(const MSFlexGrid *grid, const std::function<void()> &fillGrid,
                 const std::function<void()> &addGridRow);
// Once the database took a dialog's write: calls the list back and unloads the dialog, also
// when the call-back fails (its error then goes on up), so that nothing is written twice.
void callBackThenUnload(Form *dialog, const std::function<void()> &callBack);
