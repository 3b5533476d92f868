#include "shell/EditDialog.h"
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
#include <QApplication>
#include <QDateTime>
#include <QFocusEvent>
#include <QTimer>
#include <QWidget>

namespace {
constexpr int kButtonHeight = 32;
constexpr int kButtonGap = 10;

// A stored amount as the user would type it: its digits with a decimal comma and no thousands
// points ("1250,5", "0,125"), which the typed reading gives back as the same number, so that
// saving unchanged writes what was stored. A text that is no number is shown as it is.
QString storedAmountText(const QVariant &stored)
{
    if (stored.typeId() == QMetaType::Double)
        return NumberRule::toTyped(stored.toDouble());
    const QString text = vb::Str(stored);
    if (stored.typeId() == QMetaType::LongLong)
        return text;
    const std::optional<double> number = NumberRule::read(text);
    return number ? NumberRule::toTyped(*number) : text;
}
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
        return t.isEmpty() || NumberRule::isTypedNumber(t) ? Verdict::pass() : Verdict::refuse(message);
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
            // Before the fields: a change made in between then shows as one at OK.
            m_loadedRow = storedRow();
            loadRecord(comboKeys);
        }
        for (int i = 0; i < m_desc.combos.size(); ++i) {
            const KeyCombo &kc = m_desc.combos.at(i);
            *kc.chosen = fillCombo(kc.combo, kc.query, kc.keyField, kc.textFields, comboKeys.at(i));
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
                static_cast<XPTextBox *>(f.control)->setTextValue(vb::Str(value(f.column)));
                break;
            case BoundField::Amount:
                static_cast<XPTextBox *>(f.control)->setTextValue(storedAmountText(value(f.column)));
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
        writeChecked(statements);
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

// ---- another program on the same database ----

namespace {
const QString kRecordGone = QStringLiteral(
    "Il record non esiste più: è stato eliminato da un altro utente. Le modifiche non sono state salvate.");
const QString kRecordChanged =
    QStringLiteral("Il record è stato modificato da un altro utente dopo l'apertura di questa finestra: le modifiche "
                   "non sono state salvate. I campi cambiati dall'altro utente mostrano ora i suoi dati, gli altri "
                   "quanto inserito qui: controllare e premere di nuovo Ok.");
const QString kChoiceGone = QStringLiteral("L'elemento scelto non esiste più: è stato eliminato da un altro utente.");

bool findsRow(const QString &sql) { return !gDb().query(sql)->EOF_(); }
}

void EditDialog::writeChecked(const QStringList &statements)
{
    QVariantHash stored;
    QString missing;
    // The boxes come once the write lock is given back.
    switch (writeUnlessStale(statements, stored, missing)) {
    case WriteOutcome::Written:
        callBackThenUnload(this, [this] { callListBack(); });
        break;
    case WriteOutcome::Refused: // told already
        break;
    case WriteOutcome::Changed:
        takeOthersChanges(stored);
        refuse(kRecordChanged);
        break;
    case WriteOutcome::Gone:
        closeOnGoneRecord();
        break;
    case WriteOutcome::Missing: {
        refuse(missing);
        QVector<qint64> keys;
        for (const KeyCombo &kc : std::as_const(m_desc.combos))
            keys << *kc.chosen;
        refillCombos(keys);
        break;
    }
    }
}

EditDialog::WriteOutcome EditDialog::writeUnlessStale(const QStringList &statements, QVariantHash &stored,
                                                      QString &missing)
{
    // Refused unless the write says why not: a raised error gDbWrite has told.
    WriteOutcome outcome = WriteOutcome::Refused;
    const auto notWritten = [&outcome](WriteOutcome why) {
        outcome = why;
        return false;
    };
    const bool written = gDbWrite([&](SqliteDbComponent &db) {
        // The stamps tell changes apart by the second only; the whole row tells every change.
        if (!m_isNew) {
            stored = storedRow();
            if (!stored.isEmpty() && stored != m_loadedRow)
                return notWritten(WriteOutcome::Changed);
        }
        db.execute(statements.value(0));
        if (!m_isNew && db.changes() == 0)
            return notWritten(WriteOutcome::Gone);
        missing = missingReference();
        if (!missing.isEmpty())
            return notWritten(WriteOutcome::Missing);
        for (const QString &sql : statements.mid(1))
            db.execute(sql);
        return true;
    });
    return written ? WriteOutcome::Written : outcome;
}

QVariantHash EditDialog::storedRow() const
{
    QVariantHash row;
    if (m_desc.updateHead.isEmpty())
        return row;
    // The row the UPDATE writes: its table from "UPDATE T SET ", its key by the UPDATE's WHERE.
    const QString table = m_desc.updateHead.section(QLatin1Char(' '), 1, 1, QString::SectionSkipEmpty);
    const std::unique_ptr<Recordset> rs =
        gDb().query(QStringLiteral("SELECT * FROM ") + table + QLatin1Char(' ') + m_desc.updateWhere + recordKeyText());
    if (!rs->EOF_())
        for (int i = 0; i < rs->Fields().Count(); ++i)
            row.insert(rs->Fields()(i).Name().toLower(), rs->Fields()(i).Value());
    return row;
}

QString EditDialog::missingReference() const
{
    // A key is still there when the combo would still offer it.
    for (const KeyCombo &kc : m_desc.combos)
        if (*kc.chosen != -1
            && !findsRow(QStringLiteral("SELECT 1 FROM (") + kc.query + QStringLiteral(") WHERE ") + kc.keyField
                         + QStringLiteral(" = ") + QString::number(*kc.chosen)))
            return kc.missing.isEmpty() ? kChoiceGone : kc.missing;
    for (const EditDialogDesc::Reference &ref : m_desc.references)
        if (!findsRow(ref.query()))
            return ref.missing;
    return QString();
}

void EditDialog::takeOthersChanges(const QVariantHash &stored)
{
    const auto theirs = [&](const QString &column) {
        return stored.value(column.toLower()) != m_loadedRow.value(column.toLower());
    };
    // The fields read again as loading reads them, and then what was typed put back where the
    // other program left the column as it was.
    QVector<std::function<void()>> typed;
    for (const BoundField &f : std::as_const(m_desc.fields)) {
        if (f.column.isEmpty())
            continue;
        const bool keep = !theirs(f.column);
        switch (f.rule) {
        case BoundField::Text:
        case BoundField::Amount:
        case BoundField::Date: {
            QLineEdit *box = f.rule == BoundField::Date ? static_cast<QLineEdit *>(static_cast<XPDTPicker *>(f.control))
                                                        : static_cast<XPTextBox *>(f.control);
            if (keep)
                typed << [box, text = box->text()] { box->setText(text); };
            else
                box->clear(); // loading leaves a picker as it is for a Null date
            break;
        }
        case BoundField::Flag:
            if (keep) {
                auto *flag = static_cast<XPCheckBox *>(f.control);
                typed << [flag, value = flag->Value()] { flag->setValue(value); };
            }
            break;
        default:
            break;
        }
    }
    QVector<qint64> keys(m_desc.combos.size(), -1);
    loadRecord(keys);
    for (const auto &putBack : std::as_const(typed))
        putBack();
    for (int i = 0; i < m_desc.combos.size(); ++i)
        if (!theirs(m_desc.combos.at(i).column))
            keys[i] = *m_desc.combos.at(i).chosen;
    refillCombos(keys);
    m_loadedRow = stored;
}

void EditDialog::refillCombos(const QVector<qint64> &keys)
{
    for (int i = 0; i < m_desc.combos.size(); ++i) {
        const KeyCombo &kc = m_desc.combos.at(i);
        const qint64 before = *kc.chosen;
        *kc.chosen = fillCombo(kc.combo, kc.query, kc.keyField, kc.textFields, keys.at(i));
        if (*kc.chosen != before && kc.onChange)
            kc.onChange();
    }
}

void EditDialog::closeOnGoneRecord()
{
    // Nothing is left to save into: the list no longer shows the record, and the dialog closes.
    refuse(kRecordGone);
    if (m_desc.list) {
        ListWindowInterface *list = m_desc.list();
        list->ClearGrid();
        list->FillGrid();
    }
    Unload();
}

// ---- the date checked on leaving its picker ----

namespace {
// Sees every event of the program while its dialog lives: a click or an access key that moves
// the focus out of the picker is seen before the control it reaches acts on it, so that the
// control's own action (Ok, Stampa) can be held back while the date is told about.
class LeavingCheck : public QObject {
public:
    LeavingCheck(EditDialog *dialog, XPDTPicker *picker, std::function<bool()> validate)
        : QObject(picker), m_dialog(dialog), m_picker(picker), m_validate(std::move(validate))
    {
        qApp->installEventFilter(this);
    }
    ~LeavingCheck() override { qApp->removeEventFilter(this); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool unfinished() const { return m_dialog->isLoaded() && !pickerHoldsDate(m_picker); }
    // Annulla closes without checking anything.
    bool checkedOnReaching(const QWidget *w) const
    {
        return w && w->window() == m_dialog && w != m_dialog->cmdCancel && w != m_picker;
    }
    void leaving(Qt::FocusReason reason);
    // A click into the dialog while another window is in front moves the dialog's focus away
    // from the date without a word to it: the dialog learns that it is active only afterwards.
    bool clickedBehind(const QWidget *w) const
    {
        return !m_pending && m_pickerHeld && w && w->window() == m_dialog && !m_dialog->isActiveWindow()
               && checkedOnReaching(m_dialog->focusWidget()) && unfinished();
    }
    // A focus change is no moment for a message box: the check follows once it is done.
    void schedule()
    {
        QTimer::singleShot(0, this, [this] { run(); });
    }
    void run();

    EditDialog *m_dialog;
    XPDTPicker *m_picker;
    std::function<bool()> m_validate;
    // The picker holds the dialog's focus, also while another window is in front.
    bool m_pickerHeld = false;
    // The date is to be told about; until then no access key of the dialog acts.
    bool m_pending = false;
    // The focus moved on a mouse press that is still to reach its control: it is held back.
    bool m_holdPress = false;
    // The press was held back: the check comes once the button is released.
    bool m_awaitRelease = false;
};

void LeavingCheck::leaving(Qt::FocusReason reason)
{
    // The calendar, a message box, the preview and another window are windows of their own:
    // the focus going there is no leaving.
    if (m_pending || !unfinished() || !checkedOnReaching(QApplication::focusWidget()))
        return;
    m_pending = true;
    m_holdPress = reason == Qt::MouseFocusReason;
    schedule();
}

bool LeavingCheck::eventFilter(QObject *watched, QEvent *event)
{
    const auto *w = qobject_cast<const QWidget *>(watched);
    switch (event->type()) {
    case QEvent::FocusIn:
        if (w && w->window() == m_dialog)
            m_pickerHeld = watched == m_picker;
        break;
    case QEvent::FocusOut:
        if (watched == m_picker)
            leaving(static_cast<QFocusEvent *>(event)->reason());
        break;
    case QEvent::Shortcut:
        // An access key of the dialog (Alt+O, Alt+T) with the date unfinished: the check instead.
        if (checkedOnReaching(w) && (m_pending || (m_picker->hasFocus() && unfinished()))) {
            if (!m_pending) {
                m_pending = true;
                run();
            }
            return true;
        }
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
        if (clickedBehind(w)) {
            m_pending = true;
            m_holdPress = true;
            m_picker->setFocus(Qt::OtherFocusReason);
            schedule();
        }
        if (m_holdPress && w && w->window() == m_dialog) {
            m_holdPress = false;
            m_awaitRelease = event->type() != QEvent::Wheel;
            return true;
        }
        break;
    case QEvent::MouseButtonRelease:
        if (m_awaitRelease) {
            m_awaitRelease = false;
            run();
        }
        break;
    default:
        break;
    }
    return false;
}

void LeavingCheck::run()
{
    if (!m_pending || m_awaitRelease)
        return;
    m_pending = false;
    m_holdPress = false;
    if (unfinished() && m_validate())
        m_picker->setFocus(Qt::OtherFocusReason);
}
}

void EditDialog::validateOnLeaving(XPDTPicker *picker, std::function<bool()> validate)
{
    new LeavingCheck(this, picker, std::move(validate));
}
