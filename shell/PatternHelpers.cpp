#include "shell/PatternHelpers.h"
#include "platform/Form.h"
#include "platform/MSFlexGrid.h"
#include "platform/NumberRule.h"
#include "platform/SqliteDb.h"
#include "platform/VbRuntime.h"
#include "platform/XPControls.h"
#include "shell/ErrorExit.h"
#include "shell/basGeneral.h"
#include "shell/basRegistering.h"
#include <QDateTime>
#include <QSignalBlocker>

void refuse(const QString &message) { MyMsgBox(message, 48, QStringLiteral("Norvik")); }

void activateWithFocus(Form *dialog, XPTextBox *box)
{
    if (!box)
        return;
    Procedure p(dialog->Name(), QStringLiteral("Form_Activate"));
    p.run([box] {
        box->setFocus(Qt::OtherFocusReason);
        box->end(false);
    });
}

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

QString amountLiteral(const QString &typed)
{
    const QString t = typed.trimmed();
    if (t.isEmpty())
        return QStringLiteral("Null");
    // Only the number the text reads as reaches the statement, never the text itself.
    if (const std::optional<QString> sql = NumberRule::amountSql(t))
        return *sql;
    throw PlatformError(ErrNo::TypeMismatch, QStringLiteral("Type mismatch"));
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
    // A refused query has told why; the combo stays empty without a second box.
    if (!rs.isOpen())
        return -1;
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

qint64 fillCombo(XPComboBox *combo, const QString &sql, const QString &keyField, const QStringList &textFields,
                 qint64 selectKey)
{
    const auto joined = [&textFields](const Recordset &rs) {
        QStringList parts;
        for (const QString &f : textFields)
            parts << vb::Str(rs.Fields()(f).Value());
        return parts.join(QLatin1Char(' '));
    };
    return fillCombo(combo, sql, keyField, joined, selectKey);
}

qint64 fillCombo(XPComboBox *combo, const QString &sql, const QString &keyField, const QString &textField,
                 qint64 selectKey)
{
    return fillCombo(combo, sql, keyField, QStringList{textField}, selectKey);
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

void callBackThenUnload(Form *dialog, const std::function<void()> &callBack)
{
    try {
        callBack();
    } catch (...) {
        ignoreErrors([dialog] { dialog->Unload(); });
        throw;
    }
    ignoreErrors([dialog] { dialog->Unload(); });
}
