#include "shell/EditDialog.h"
#include "platform/MSFlexGrid.h"
#include "platform/NumberRule.h"
#include "platform/SqliteDb.h"
#include "platform/VbRuntime.h"
#include "platform/WebBrowser.h"
#include "platform/XPControls.h"
#include "shell/ErrorExit.h"
#include "shell/PatternHelpers.h"
#include "shell/basGeneral.h"
#include "shell/basGeneralCustom.h"
#include "shell/basPrintPreview.h"
#include "shell/basRegistering.h"
#include <QDateTime>
#include <QWidget>

namespace {
constexpr int kButtonHeight = 32;
constexpr int kButtonGap = 10;
}

EditDialog::FieldColumn::FieldColumn(int left, int top, int labelWidth, int fieldWidth)
    : m_left(left), m_top(top), m_labelWidth(labelWidth), m_fieldWidth(fieldWidth)
{
}

void EditDialog::FieldColumn::add(QWidget *label, QWidget *field, int fieldWidth)
{
    label->setGeometry(m_left, m_top, m_labelWidth, FieldHeight);
    field->setGeometry(fieldLeft(), m_top, fieldWidth > 0 ? fieldWidth : m_fieldWidth, FieldHeight);
    m_top += RowHeight;
}

// ---- building the dialog ----

EditDialog::EditDialog(const QString &name, const QString &caption) : Form(name) { setCaption(caption); }

void EditDialog::addFrame(int width)
{
    OsenXPForm1 = new XPForm(this, QStringLiteral("OsenXPForm1"), Caption());
    OsenXPForm1->setGeometry(0, 0, width, 30);
}

namespace {
template <class Field>
Field *labelled(Form *form, EditDialog::FieldColumn &column, const QString &prefix, const QString &suffix,
                const QString &caption, int width)
{
    auto *label = new XPLabel(form, QStringLiteral("lbl") + suffix, caption);
    auto *field = new Field(form, prefix + suffix);
    column.add(label, field, width);
    return field;
}
}

XPTextBox *EditDialog::addTextBox(FieldColumn &column, const QString &suffix, const QString &caption, int width)
{
    return labelled<XPTextBox>(this, column, QStringLiteral("txt"), suffix, caption, width);
}

XPDTPicker *EditDialog::addPicker(FieldColumn &column, const QString &suffix, const QString &caption, int width)
{
    return labelled<XPDTPicker>(this, column, QStringLiteral("txt"), suffix, caption, width);
}

XPComboBox *EditDialog::addCombo(FieldColumn &column, const QString &suffix, const QString &caption, int width)
{
    return labelled<XPComboBox>(this, column, QStringLiteral("cbo"), suffix, caption, width);
}

void EditDialog::addButtons(int width, int top, const QString &printCaption, int printWidth)
{
    constexpr int buttonWidth = 110;
    cmdOK = new XPButton(this, QStringLiteral("cmdOK"), QStringLiteral("Ok"));
    cmdCancel = new XPButton(this, QStringLiteral("cmdCancel"), QStringLiteral("Annulla"));
    cmdPrint = new XPButton(this, QStringLiteral("cmdPrint"), printCaption);
    cmdOK->setGeometry(width - Margin - 2 * buttonWidth - kButtonGap, top, buttonWidth, kButtonHeight);
    cmdCancel->setGeometry(width - Margin - buttonWidth, top, buttonWidth, kButtonHeight);
    cmdPrint->setGeometry(Margin, top, printWidth, kButtonHeight);
    const int height = top + kButtonHeight + Margin;
    // The browser control only holds the printout: a dot in the corner.
    web = new WebBrowser(this, QStringLiteral("web"));
    web->setGeometry(width - 6, height - 6, 4, 4);
    setFixedSize(width, height);
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
    connect(cmdPrint, &QPushButton::clicked, this, [this] { cmdPrint_Click(); });
}

void EditDialog::bindText(XPTextBox *box, const QString &column)
{
    m_desc.fields.append({BoundField::Text, column, box, nullptr, {}});
}

void EditDialog::bindAmount(XPTextBox *box, const QString &column)
{
    m_desc.fields.append({BoundField::Amount, column, box, nullptr, {}});
}

void EditDialog::bindDate(XPDTPicker *picker, const QString &column)
{
    m_desc.fields.append({BoundField::Date, column, picker, nullptr, {}});
}

void EditDialog::bindFlag(XPCheckBox *box, const QString &column)
{
    m_desc.fields.append({BoundField::Flag, column, box, nullptr, {}});
}

KeyCombo &EditDialog::bindKey(XPComboBox *combo, qint64 &chosen, const QString &column, const QString &query,
                              const QString &keyField, const QStringList &textFields)
{
    m_desc.fields.append({BoundField::Key, column, combo, &chosen, {}});
    connect(combo, &XPComboBox::Change, this, [this, combo] { comboChange(combo); });
    connect(combo, &XPComboBox::KeyUp, this, [this, combo](int key, int shift) { comboKeyUp(combo, key, shift); });
    KeyCombo kc;
    kc.combo = combo;
    kc.chosen = &chosen;
    kc.column = column;
    kc.query = query;
    kc.keyField = keyField;
    kc.textFields = textFields;
    m_desc.combos.append(kc);
    return m_desc.combos.last();
}

void EditDialog::bindStamp() { m_desc.fields.append({BoundField::Stamp, QString(), nullptr, nullptr, {}}); }

void EditDialog::bindLiteral(std::function<QString()> literal, const QString &column)
{
    m_desc.fields.append({BoundField::Literal, column, nullptr, nullptr, std::move(literal)});
}

// ---- checks ----

Check EditDialog::required(const XPTextBox *box, const QString &message)
{
    return [box, message] { return box->Text().trimmed().isEmpty() ? Verdict::refuse(message) : Verdict::pass(); };
}

Check EditDialog::chosen(const XPComboBox *combo, const qint64 &key, const QString &message)
{
    return [combo, &key, message] {
        return combo->ListIndex() == -1 || key == -1 ? Verdict::refuse(message) : Verdict::pass();
    };
}

Check EditDialog::validDate(const XPDTPicker *picker, const QString &message)
{
    return [picker, message] { return pickerHoldsDate(picker) ? Verdict::pass() : Verdict::refuse(message); };
}

Check EditDialog::requiredDate(const XPDTPicker *picker, const QString &message)
{
    return [picker, message] { return picker->IsEmpty() ? Verdict::refuse(message) : Verdict::pass(); };
}

Check EditDialog::number(const XPTextBox *box, const QString &message)
{
    return [box, message] {
        const QString t = box->Text().trimmed();
        return t.isEmpty() || NumberRule::isNumber(t) ? Verdict::pass() : Verdict::refuse(message);
    };
}

Check EditDialog::code(const XPTextBox *box, const QString &name)
{
    return [box, name] {
        const QString t = box->Text().trimmed();
        const QString wrong = t.isEmpty() ? QString() : checkABICAB(t, name);
        return wrong.isEmpty() ? Verdict::pass() : Verdict::refuse(wrong);
    };
}

Verdict EditDialog::unique(const QString &countSql, const QString &message)
{
    bool failed = false;
    const bool exists = esisteRecordSQL(countSql, &failed);
    if (failed)
        return Verdict::stop();
    return exists ? Verdict::refuse(message) : Verdict::pass();
}

Check EditDialog::uniqueText(const QString &table, const QString &field, const XPTextBox *box, const QString &keyField,
                             const QString &message) const
{
    return [this, table, field, box, keyField, message] {
        bool failed = false;
        const QVariant value(box->Text().trimmed());
        const bool exists =
            m_isNew ? esisteRecord(table, field, value, QStringLiteral("S"), QString(), QVariant(), &failed)
                    : esisteRecord(table, field, value, QStringLiteral("S"), keyField, QVariant(m_recordKey), &failed);
        if (failed)
            return Verdict::stop();
        return exists ? Verdict::refuse(message) : Verdict::pass();
    };
}

Check EditDialog::when(std::function<bool()> condition, Check check)
{
    return [condition = std::move(condition), check = std::move(check)] {
        return condition() ? check() : Verdict::pass();
    };
}

// ---- the dialog at work ----

const KeyCombo *EditDialog::comboOf(const XPComboBox *combo) const
{
    for (const KeyCombo &kc : m_desc.combos)
        if (kc.combo == combo)
            return &kc;
    return nullptr;
}

void EditDialog::Form_Load()
{
    Procedure p(Name(), QStringLiteral("Form_Load"));
    p.run([this] {
        m_isNew = m_desc.insertOnly || gIsNewRecord;
        for (const KeyCombo &kc : std::as_const(m_desc.combos))
            *kc.chosen = -1;
        DisattivaTabstop(this);
        CenterForm(this);
        OpenDb();

        QVector<qint64> comboKeys(m_desc.combos.size(), -1);
        if (m_isNew) {
            for (int i = 0; i < m_desc.combos.size(); ++i)
                if (m_desc.combos.at(i).whenAdding)
                    comboKeys[i] = m_desc.combos.at(i).whenAdding();
        } else {
            m_recordKey = qint64(m_desc.listKey ? m_desc.listKey() : 0);
            loadRecord(comboKeys);
        }
        for (int i = 0; i < m_desc.combos.size(); ++i) {
            const KeyCombo &kc = m_desc.combos.at(i);
            const QStringList fields = kc.textFields;
            *kc.chosen = fillCombo(
                kc.combo, kc.query, kc.keyField,
                [&fields](const Recordset &rs) {
                    QStringList parts;
                    for (const QString &f : fields)
                        parts << vb::Str(rs.Fields()(f).Value());
                    return parts.join(QLatin1Char(' '));
                },
                comboKeys.at(i));
        }
        // Once, here: an activation later must not put back a date the user has changed.
        if (m_isNew)
            for (XPDTPicker *picker : std::as_const(m_desc.todayWhenAdding))
                picker->setValue(QDate::currentDate());
        afterLoad();
    });
}

void EditDialog::loadRecord(QVector<qint64> &comboKeys)
{
    if (!m_desc.loadQuery)
        return;
    releaseRs();
    gRsOpen(m_desc.loadQuery(recordKeyText()));
    Recordset &rs = gRs();
    // A record that is gone leaves the fields empty.
    if (!rs.EOF_()) {
        auto value = [&rs](const QString &column) { return rs.Fields()(column).Value(); };
        for (const BoundField &f : std::as_const(m_desc.fields)) {
            if (f.column.isEmpty())
                continue;
            switch (f.rule) {
            case BoundField::Text:
            case BoundField::Amount:
                static_cast<XPTextBox *>(f.control)->setTextValue(vb::Str(value(f.column)));
                break;
            case BoundField::Date:
                if (const QVariant v = value(f.column); v.isValid())
                    static_cast<XPDTPicker *>(f.control)->setValue(vb::CDate(v).date());
                break;
            case BoundField::Flag: {
                const QVariant v = value(f.column);
                static_cast<XPCheckBox *>(f.control)->setValue(v.isValid() && vb::CDbl(v) != 0 ? 1 : 0);
                break;
            }
            default:
                break;
            }
        }
        for (int i = 0; i < m_desc.combos.size(); ++i) {
            const KeyCombo &kc = m_desc.combos.at(i);
            if (kc.column.isEmpty())
                continue;
            if (const QVariant v = value(kc.column); v.isValid())
                comboKeys[i] = v.toLongLong();
        }
    }
    rs.Close();
    releaseRs();
}

void EditDialog::Form_Activate() { activateWithFocus(this, m_desc.focusOnActivate); }

void EditDialog::comboChange(XPComboBox *combo)
{
    Procedure p(Name(), combo->Name() + QStringLiteral("_Change"), OwnerKind::Form, ErrorForm::Plain);
    p.run([&] {
        const KeyCombo *kc = comboOf(combo);
        if (!kc || combo->ListIndex() == -1)
            return;
        *kc->chosen = selectedKey(combo);
        if (kc->onChange)
            kc->onChange();
    });
}

void EditDialog::comboKeyUp(XPComboBox *combo, int KeyCode, int)
{
    Procedure p(Name(), combo->Name() + QStringLiteral("_KeyUp"), OwnerKind::Form, ErrorForm::Plain, false);
    p.run([&] { comboEndHome(combo, KeyCode); });
}

QString EditDialog::literalOf(const BoundField &f, const QString &stamp) const
{
    switch (f.rule) {
    case BoundField::Text:
        return textLiteral(static_cast<const XPTextBox *>(f.control)->Text());
    case BoundField::Amount:
        return amountLiteral(static_cast<const XPTextBox *>(f.control)->Text());
    case BoundField::Date:
        return dateLiteral(static_cast<const XPDTPicker *>(f.control));
    case BoundField::Key:
        return QString::number(*f.key);
    case BoundField::Flag:
        return QString::number(static_cast<const XPCheckBox *>(f.control)->Value());
    case BoundField::Stamp:
        return stamp;
    case BoundField::Literal:
        return f.literal();
    }
    return QString();
}

QString EditDialog::insertText(const QString &stamp) const
{
    QString sql = m_desc.insertHead;
    const int count = m_desc.fields.size();
    for (int i = 0; i < count; ++i)
        sql += literalOf(m_desc.fields.at(i), stamp) + (i + 1 < count ? QStringLiteral(",  ") : QStringLiteral(") "));
    return sql;
}

QString EditDialog::updateText(const QString &stamp) const
{
    QString sql = m_desc.updateHead;
    for (const BoundField &f : m_desc.fields)
        if (!f.column.isEmpty())
            sql += f.column + QStringLiteral(" = ") + literalOf(f, stamp) + QStringLiteral(",  ");
    return sql + QStringLiteral("DateTimeLastUpdated = ") + stamp + QStringLiteral(" ") + m_desc.updateWhere
           + recordKeyText() + QStringLiteral(" ");
}

void EditDialog::callListBack()
{
    if (m_desc.afterWrite == EditDialogDesc::AfterWrite::Nothing || !m_desc.list)
        return;
    ListWindowInterface *list = m_desc.list();
    if (m_isNew)
        afterInsert(
            list->listGrid(), [list] { list->FillGrid(); }, [list] { list->AddGridRow(); });
    else
        list->UpdateGridRow();
    if (m_desc.afterWrite == EditDialogDesc::AfterWrite::CallBackAndRefill) {
        list->ClearGrid();
        list->FillGrid();
    }
}

void EditDialog::cmdOK_Click()
{
    Procedure p(Name(), QStringLiteral("cmdOK_Click"));
    p.run([this] {
        for (const Check &check : std::as_const(m_desc.checks)) {
            const Verdict verdict = check();
            if (verdict.kind == Verdict::Refuse)
                refuse(verdict.message);
            if (verdict.kind != Verdict::Pass)
                return;
        }
        OpenDb();
        // One stamp for every statement of this write.
        const QString stamp = timeStamp();
        QStringList statements{m_isNew ? insertText(stamp) : updateText(stamp)};
        if (m_desc.moreStatements)
            statements += m_desc.moreStatements(stamp);
        writeThenCallBack(this, statements, [this] { callListBack(); });
    });
}

void EditDialog::cmdCancel_Click()
{
    Procedure p(Name(), QStringLiteral("cmdCancel_Click"));
    p.run([this] { Unload(); });
}

void EditDialog::cmdPrint_Click()
{
    Procedure p(Name(), QStringLiteral("cmdPrint_Click"));
    p.run([this] { printThisForm(this, web); });
}
