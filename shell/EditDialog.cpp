#include "shell/EditDialog.h"
#include "platform/Form.h"
#include "platform/MSFlexGrid.h"
#include "platform/SqliteDb.h"
#include "platform/VbRuntime.h"
#include "platform/XPControls.h"
#include "shell/ListWindow.h"
#include "shell/basGeneral.h"
#include "shell/basRegistering.h"
#include <QDateTime>
#include <QSignalBlocker>
#include <QWidget>

namespace EditDialog {

void refuse(const QString &message) { MyMsgBox(message, 48, QStringLiteral("Norvik")); }

QString textLiteral(const QString &text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return QStringLiteral("Null");
    return QLatin1Char('\'') + Pad(t) + QLatin1Char('\'');
}

QString dateLiteral(const XPDTPicker *picker)
{
    const QString shown = picker->ValueText().trimmed();
    if (shown.isEmpty() || shown == QLatin1String("0.00.00"))
        return QStringLiteral("Null");
    return QLatin1Char('\'') + Pad(FormattaData(picker->Value()).trimmed()) + QLatin1Char('\'');
}

QString timeStamp() { return QLatin1Char('\'') + FormattaData(QDateTime::currentDateTime()) + QLatin1Char('\''); }

QString keyText(double key) { return vb::Str(QVariant(key)); }

bool pickerHoldsDate(const XPDTPicker *picker) { return picker->IsEmpty() || picker->Value().isValid(); }

qint64 fillCombo(XPComboBox *combo, const QString &sql, const QString &keyField,
                 const std::function<QString(const Recordset &)> &itemText, qint64 selectKey)
{
    // A combo selects its first item by itself when it gets one; that item would then show as
    // chosen while the dialog holds no key for it.
    const QSignalBlocker quiet(combo);
    combo->Clear();
    int selected = -1;
    qint64 selectedKeyValue = -1;
    releaseRs();
    gRsOpen(sql);
    Recordset &rs = gRs();
    while (!rs.EOF_()) {
        const QVariant key = rs.Fields()(keyField).Value();
        combo->AddItem(itemText(rs));
        const int index = combo->ListCount() - 1;
        combo->setItemData(index, key.toLongLong());
        if (selectKey != -1 && key.isValid() && key.toLongLong() == selectKey) {
            selected = index;
            selectedKeyValue = key.toLongLong();
        }
        rs.MoveNext();
    }
    rs.Close();
    releaseRs();
    combo->setListIndex(selected);
    return selectedKeyValue;
}

qint64 fillCombo(XPComboBox *combo, const QString &sql, const QString &keyField, const QString &textField,
                 qint64 selectKey)
{
    return fillCombo(
        combo, sql, keyField, [&textField](const Recordset &rs) { return vb::Str(rs.Fields()(textField).Value()); },
        selectKey);
}

qint64 selectedKey(const XPComboBox *combo)
{
    const int i = combo->ListIndex();
    return i < 0 ? -1 : combo->ItemData(i);
}

void comboEndHome(XPComboBox *combo, int keyCode)
{
    if (combo->ListCount() == 0)
        return;
    if (keyCode == 35)
        combo->setListIndex(combo->ListCount() - 1);
    else if (keyCode == 36)
        combo->setListIndex(0);
}

void afterInsert(const MSFlexGrid *grid, const std::function<void()> &fillGrid, const std::function<void()> &addGridRow)
{
    if (!grid || grid->Rows() == 1)
        fillGrid();
    else
        addGridRow();
}

bool writeThenCallBack(Form *dialog, const QString &sql, const std::function<void()> &callBack)
{
    if (!gDbExecute(sql))
        return false;
    struct Closer {
        Form *dialog;
        ~Closer()
        {
            try {
                dialog->Unload();
            } catch (...) {
            }
        }
    } closer{dialog};
    callBack();
    return true;
}

bool insertThenCallBack(Form *dialog, const QString &sql, ListWindow *list)
{
    return writeThenCallBack(dialog, sql, [list] {
        afterInsert(
            list->MSFlexGrid1, [list] { list->FillGrid(); }, [list] { list->AddGridRow(); });
    });
}

bool updateThenCallBack(Form *dialog, const QString &sql, ListWindow *list)
{
    return writeThenCallBack(dialog, sql, [list] { list->UpdateGridRow(); });
}

FieldColumn::FieldColumn(int left, int top, int labelWidth, int fieldWidth)
    : m_left(left), m_top(top), m_labelWidth(labelWidth), m_fieldWidth(fieldWidth)
{
}

void FieldColumn::add(QWidget *label, QWidget *field, int fieldWidth)
{
    constexpr int gap = 8;
    label->setGeometry(m_left, m_top, m_labelWidth, FieldHeight);
    field->setGeometry(m_left + m_labelWidth + gap, m_top, fieldWidth > 0 ? fieldWidth : m_fieldWidth, FieldHeight);
    m_top += RowHeight;
}

}
