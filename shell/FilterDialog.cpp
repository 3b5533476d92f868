#include "shell/FilterDialog.h"
#include "platform/SqliteDb.h"
#include "platform/VbRuntime.h"
#include "platform/WebBrowser.h"
#include "platform/XPControls.h"
#include "shell/EditDialog.h"
#include "shell/ErrorExit.h"
#include "shell/basGeneral.h"
#include "shell/basPrintPreview.h"
#include "shell/basRegistering.h"

QStringList gFilterStateAnagrafica, gFilterStateTipologiaPersone, gFilterStatePagamenti, gFilterStateAssegniEmessi,
    gFilterStateMieiContiCorrenti;
bool gFilterStateSavedAnagrafica = false, gFilterStateSavedTipologiaPersone = false, gFilterStateSavedPagamenti = false,
     gFilterStateSavedAssegniEmessi = false, gFilterStateSavedMieiContiCorrenti = false;
bool gFilterOrAnagrafica = false, gFilterOrPagamenti = false, gFilterOrAssegniEmessi = false,
     gFilterOrMieiContiCorrenti = false;

void resetFilterStatesForTests()
{
    for (QStringList *s : {&gFilterStateAnagrafica, &gFilterStateTipologiaPersone, &gFilterStatePagamenti,
                           &gFilterStateAssegniEmessi, &gFilterStateMieiContiCorrenti})
        s->clear();
    for (bool *b : {&gFilterStateSavedAnagrafica, &gFilterStateSavedTipologiaPersone, &gFilterStateSavedPagamenti,
                    &gFilterStateSavedAssegniEmessi, &gFilterStateSavedMieiContiCorrenti, &gFilterOrAnagrafica,
                    &gFilterOrPagamenti, &gFilterOrAssegniEmessi, &gFilterOrMieiContiCorrenti})
        *b = false;
}

// ---- terms ----

QString comboTerm(const QString &keyColumn, qint64 key)
{
    return keyColumn + QStringLiteral(" = ") + QString::number(key);
}

QString textTerm(const QString &column, const QString &text)
{
    if (text.contains(QLatin1Char(',')))
        return column + QStringLiteral(" IN (") + PutTicksIn(Pad(text)) + QStringLiteral(")");
    return column + QStringLiteral(" Like '%") + Pad(text) + QStringLiteral("%'");
}

QString dateBoundTerm(const QString &column, bool from, const QString &text)
{
    return column + (from ? QStringLiteral(" >= ('") : QStringLiteral(" <= ('")) + FormattaData(Pad(text))
           + QStringLiteral("')");
}

QString filterText(const XPTextBox *box) { return box->Text().trimmed(); }

void FilterWhere::add(const QString &term)
{
    if (!m_text.isEmpty())
        m_text += m_op;
    m_text += term;
}

void FilterWhere::addCombo(const QString &keyColumn, const XPComboBox *combo)
{
    if (combo->ListIndex() >= 0)
        add(comboTerm(keyColumn, combo->ItemData(combo->ListIndex())));
}

void FilterWhere::addText(const QString &column, const XPTextBox *box)
{
    const QString t = filterText(box);
    if (!t.isEmpty())
        add(textTerm(column, t));
}

void FilterWhere::addDateFrom(const QString &column, const XPTextBox *box)
{
    const QString t = filterText(box);
    if (!t.isEmpty())
        add(dateBoundTerm(column, true, t));
}

void FilterWhere::addDateTo(const QString &column, const XPTextBox *box)
{
    const QString t = filterText(box);
    if (!t.isEmpty())
        add(dateBoundTerm(column, false, t));
}

// ---- the dialog ----

namespace {
// The leading whole number of a text, 0 when there is none.
int leadingNumber(const QString &text)
{
    const QString t = text.trimmed();
    int i = 0;
    if (i < t.size() && (t.at(i) == QLatin1Char('-') || t.at(i) == QLatin1Char('+')))
        ++i;
    while (i < t.size() && t.at(i).isDigit())
        ++i;
    bool ok = false;
    const int n = t.left(i).toInt(&ok);
    return ok ? n : 0;
}
}

FilterDialog::FilterDialog(const QString &name, QString &whereSlot, QStringList &state, bool &stateSaved, bool *orFlag,
                           int checkBoxReset)
    : Form(name), m_where(whereSlot), m_state(state), m_stateSaved(stateSaved), m_or(orFlag),
      m_checkReset(checkBoxReset)
{
}

void FilterDialog::wireButtons()
{
    if (cmdOK)
        connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    if (cmdCancel)
        connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
    if (cmdClear)
        connect(cmdClear, &QPushButton::clicked, this, [this] { cmdClear_Click(); });
    if (cmdPrint)
        connect(cmdPrint, &QPushButton::clicked, this, [this] { cmdPrint_Click(); });
}

void FilterDialog::fillCombo(XPComboBox *combo, const QString &sql, const QString &keyField,
                             const QStringList &textFields)
{
    // A freshly filled list shows no choice until one is restored or made.
    EditDialog::fillCombo(combo, sql, keyField, [&textFields](const Recordset &rs) {
        QStringList parts;
        for (const QString &f : textFields)
            parts << vb::Str(rs.Fields()(f).Value());
        return parts.join(QLatin1Char(' '));
    });
}

bool FilterDialog::checkDateBox(XPTextBox *box, const QString &message)
{
    const QString t = filterText(box);
    if (t.isEmpty() || vb::IsDate(t))
        return true;
    EditDialog::refuse(message);
    box->setFocus(Qt::OtherFocusReason);
    box->selectAll();
    return false;
}

void FilterDialog::Form_Load()
{
    Procedure p(Name(), QStringLiteral("Form_Load"));
    p.run([this] {
        DisattivaTabstop(this);
        CenterForm(this);
        OpenDb();
        fillCombos();
        if (!m_stateSaved) {
            for (Control *c : Controls())
                if (c->Kind() == ControlKind::ComboBox)
                    static_cast<XPComboBox *>(c)->setListIndex(-1);
            m_state.resize(Controls().size() + 1);
            m_stateSaved = true;
        }
        restoreState();
        if (m_or && *m_or && optOR && optAND) {
            optOR->setValue(true);
            optAND->setValue(false);
        }
    });
}

void FilterDialog::restoreState()
{
    const QList<Control *> controls = Controls();
    for (int i = 0; i < controls.size(); ++i) {
        const int pos = i + 1;
        if (pos >= m_state.size())
            break;
        const QString &saved = m_state.at(pos);
        if (saved.isEmpty())
            continue;
        Control *c = controls.at(i);
        switch (c->Kind()) {
        case ControlKind::TextBox:
            static_cast<XPTextBox *>(c)->setTextValue(saved);
            break;
        case ControlKind::DTPicker: {
            auto *picker = static_cast<XPDTPicker *>(c);
            const QDateTime d = vb::ParseDate(saved);
            if (d.isValid())
                picker->setValue(d.date());
            else
                picker->Clear();
            break;
        }
        case ControlKind::CheckBox:
            static_cast<XPCheckBox *>(c)->setValue(leadingNumber(saved));
            break;
        case ControlKind::ComboBox: {
            // The choice is remembered by position: when the list has shrunk since, it no
            // longer exists and nothing is chosen.
            auto *combo = static_cast<XPComboBox *>(c);
            const int index = leadingNumber(saved);
            combo->setListIndex(index >= -1 && index < combo->ListCount() ? index : -1);
            break;
        }
        default:
            break;
        }
    }
}

void FilterDialog::saveState()
{
    const QList<Control *> controls = Controls();
    if (m_state.size() < controls.size() + 1)
        m_state.resize(controls.size() + 1);
    for (int i = 0; i < controls.size(); ++i) {
        Control *c = controls.at(i);
        QString &slot = m_state[i + 1];
        switch (c->Kind()) {
        case ControlKind::TextBox:
            slot = static_cast<XPTextBox *>(c)->Text();
            break;
        case ControlKind::DTPicker: {
            const auto *picker = static_cast<XPDTPicker *>(c);
            slot = picker->IsEmpty() ? QString() : picker->ValueText();
            break;
        }
        case ControlKind::CheckBox:
            slot = QString::number(static_cast<XPCheckBox *>(c)->Value());
            break;
        case ControlKind::ComboBox:
            slot = QString::number(static_cast<XPComboBox *>(c)->ListIndex());
            break;
        default:
            break;
        }
    }
}

void FilterDialog::cmdOK_Click()
{
    Procedure p(Name(), QStringLiteral("cmdOK_Click"));
    p.run([this] {
        OpenDb();
        if (!checkFields())
            return;
        const bool useAnd = !optAND || optAND->Value();
        FilterWhere where(useAnd ? QStringLiteral(" AND ") : QStringLiteral(" OR "));
        buildWhere(where);
        m_where = where.text();
        refillList();
        if (m_or)
            *m_or = optOR && optOR->Value();
        saveState();
        Unload();
    });
}

void FilterDialog::cmdCancel_Click()
{
    Procedure p(Name(), QStringLiteral("cmdCancel_Click"));
    p.run([this] { Unload(); });
}

void FilterDialog::cmdClear_Click()
{
    Procedure p(Name(), QStringLiteral("cmdClear_Click"));
    p.run([this] {
        // Every field empty, and the empty values saved at once.
        for (Control *c : Controls()) {
            switch (c->Kind()) {
            case ControlKind::TextBox:
                static_cast<XPTextBox *>(c)->setTextValue(QString());
                break;
            case ControlKind::DTPicker:
                static_cast<XPDTPicker *>(c)->Clear();
                break;
            case ControlKind::CheckBox:
                static_cast<XPCheckBox *>(c)->setValue(m_checkReset);
                break;
            case ControlKind::ComboBox:
                static_cast<XPComboBox *>(c)->setListIndex(-1);
                break;
            default:
                break;
            }
        }
        saveState();
    });
}

void FilterDialog::cmdPrint_Click()
{
    Procedure p(Name(), QStringLiteral("cmdPrint_Click"));
    p.run([this] { printThisForm(this, web); });
}
