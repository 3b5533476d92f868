#include "shell/FilterDialog.h"
#include "platform/NumberRule.h"
#include "platform/SqliteDb.h"
#include "platform/TypedDate.h"
#include "platform/VbRuntime.h"
#include "platform/WebBrowser.h"
#include "platform/XPControls.h"
#include "shell/ErrorExit.h"
#include "shell/PatternHelpers.h"
#include "shell/basGeneral.h"
#include "shell/basPrintPreview.h"
#include "shell/basRegistering.h"
#include <algorithm>
#include <vector>

namespace {
// Every register's state, so that a test can start a run afresh.
std::vector<FilterState *> &allStates()
{
    static std::vector<FilterState *> states;
    return states;
}
}

FilterState::FilterState() { allStates().push_back(this); }

FilterState::~FilterState()
{
    auto &states = allStates();
    states.erase(std::remove(states.begin(), states.end(), this), states.end());
}

void resetFilterStatesForTests()
{
    for (FilterState *s : allStates()) {
        s->values.clear();
        s->saved = false;
        s->orChosen = false;
    }
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

QString dateBoundTerm(const QString &column, bool from, const QDateTime &date)
{
    return column + (from ? QStringLiteral(" >= ('") : QStringLiteral(" <= ('")) + FormattaData(date)
           + QStringLiteral("')");
}

QString amountBoundTerm(const QString &column, bool from, const QString &sqlNumber)
{
    return column + (from ? QStringLiteral(" >= ") : QStringLiteral(" <= ")) + sqlNumber + QLatin1Char(' ');
}

QString filterText(const XPTextBox *box) { return box->Text().trimmed(); }

void FilterWhere::add(const QString &term)
{
    if (refused())
        return;
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

void FilterWhere::refuse(XPTextBox *box, const QString &message)
{
    if (refused())
        return;
    m_refusal = message.contains(QLatin1String("%1")) ? message.arg(filterText(box)) : message;
    m_refusedBox = box;
}

// A text that is no date would reach the database as an empty bound and silently select the
// wrong rows.
void FilterWhere::addDate(const QString &column, bool from, XPTextBox *box, const QString &badMessage)
{
    const QString t = filterText(box);
    if (t.isEmpty())
        return;
    const QDateTime date = TypedDate::read(t);
    if (!date.isValid())
        return refuse(box, badMessage);
    // In the stored form, whichever form it was typed in.
    add(dateBoundTerm(column, from, date));
}

void FilterWhere::addDateFrom(const QString &column, XPTextBox *box, const QString &badMessage)
{
    addDate(column, true, box, badMessage);
}

void FilterWhere::addDateTo(const QString &column, XPTextBox *box, const QString &badMessage)
{
    addDate(column, false, box, badMessage);
}

void FilterWhere::addAmount(const QString &column, bool from, XPTextBox *box, const QString &badMessage)
{
    const QString t = filterText(box);
    if (t.isEmpty())
        return;
    const std::optional<QString> number = NumberRule::amountSql(t);
    if (!number)
        return refuse(box, badMessage);
    add(amountBoundTerm(column, from, *number));
}

void FilterWhere::addAmountFrom(const QString &column, XPTextBox *box, const QString &badMessage)
{
    addAmount(column, true, box, badMessage);
}

void FilterWhere::addAmountTo(const QString &column, XPTextBox *box, const QString &badMessage)
{
    addAmount(column, false, box, badMessage);
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

// The item of a combo that carries the key, -1 when none does (or the text is no key).
int itemOfKey(const XPComboBox *combo, const QString &key)
{
    bool ok = false;
    const qint64 k = key.toLongLong(&ok);
    if (!ok)
        return -1;
    for (int i = 0; i < combo->ListCount(); ++i)
        if (combo->ItemData(i) == k)
            return i;
    return -1;
}
}

FilterDialog::FilterDialog(const QString &name, const QString &caption, QString &whereSlot, FilterState &state,
                           const FilterDialogOptions &options)
    : Form(name), m_where(whereSlot), m_state(state), m_options(options)
{
    setCaption(caption);
    OsenXPForm1 = new XPForm(this, QStringLiteral("OsenXPForm1"), caption);
}

void FilterDialog::addButtonRow(int width, int top)
{
    if (m_options.andOr) {
        optAND = new XPOptionButton(this, QStringLiteral("optAND"), QStringLiteral("AND"));
        optAND->setGeometry(Margin, top, 70, ButtonHeight);
        optAND->setValue(true);
        optOR = new XPOptionButton(this, QStringLiteral("optOR"), QStringLiteral("OR"));
        optOR->setGeometry(Margin + 76, top, 70, ButtonHeight);
    }
    // Right-aligned, so that the hidden print button leaves no gap.
    int x = width - Margin - 4 * ButtonWidth - 3 * 8;
    auto button = [this, top, &x](const char *name, const QString &text, void (FilterDialog::*handler)()) {
        auto *b = new XPButton(this, QString::fromLatin1(name), text);
        b->setGeometry(x, top, ButtonWidth, ButtonHeight);
        x += ButtonWidth + 8;
        connect(b, &QPushButton::clicked, this, [this, handler] { (this->*handler)(); });
        return b;
    };
    cmdPrint = button("cmdPrint", QStringLiteral("Stampa"), &FilterDialog::cmdPrint_Click);
    cmdPrint->setVisible(m_options.printButton);
    cmdOK = button("cmdOK", QStringLiteral("Ok"), &FilterDialog::cmdOK_Click);
    cmdCancel = button("cmdCancel", QStringLiteral("Annulla"), &FilterDialog::cmdCancel_Click);
    cmdClear = button("cmdClear", QStringLiteral("Reimposta"), &FilterDialog::cmdClear_Click);
    // Tab reaches the buttons after the fields, Ok first.
    QWidget::setTabOrder(cmdOK, cmdCancel);
    QWidget::setTabOrder(cmdCancel, cmdClear);
    QWidget::setTabOrder(cmdClear, cmdPrint);

    const int height = top + ButtonHeight + Margin;
    setFixedSize(width, height);
    OsenXPForm1->setGeometry(0, 0, width, BandHeight);
    // The browser control only holds the printout: a dot in the corner.
    web = new WebBrowser(this, QStringLiteral("web"));
    web->setGeometry(width - 5, height - 5, 4, 4);
}

void FilterDialog::Form_Activate() { activateWithFocus(this, focusOnActivate); }

void FilterDialog::Form_Load()
{
    Procedure p(Name(), QStringLiteral("Form_Load"));
    p.run([this] {
        DisattivaTabstop(this);
        CenterForm(this);
        OpenDb();
        fillCombos();
        if (!m_state.saved) {
            for (Control *c : Controls())
                if (c->Kind() == ControlKind::ComboBox)
                    static_cast<XPComboBox *>(c)->setListIndex(-1);
            m_state.values.resize(Controls().size() + 1);
            m_state.saved = true;
        }
        restoreState();
        if (m_state.orChosen && optOR && optAND) {
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
        if (pos >= m_state.values.size())
            break;
        const QString &saved = m_state.values.at(pos);
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
            // By key: items added or removed since do not shift the choice to another row, and
            // a choice that no longer exists leaves nothing chosen.
            auto *combo = static_cast<XPComboBox *>(c);
            combo->setListIndex(itemOfKey(combo, saved));
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
    QStringList &values = m_state.values;
    if (values.size() < controls.size() + 1)
        values.resize(controls.size() + 1);
    for (int i = 0; i < controls.size(); ++i) {
        Control *c = controls.at(i);
        QString &slot = values[i + 1];
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
        case ControlKind::ComboBox: {
            const auto *combo = static_cast<XPComboBox *>(c);
            slot = combo->ListIndex() < 0 ? QString() : QString::number(combo->ItemData(combo->ListIndex()));
            break;
        }
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
        const bool useAnd = !optAND || optAND->Value();
        FilterWhere where(useAnd ? QStringLiteral(" AND ") : QStringLiteral(" OR "));
        buildWhere(where);
        if (where.refused()) {
            // Nothing is stored; the dialog stays with what was typed, on the box to mend.
            refuse(where.refusal());
            if (XPTextBox *box = where.refusedBox()) {
                box->setFocus(Qt::OtherFocusReason);
                box->selectAll();
            }
            return;
        }
        m_where = where.text();
        refillList();
        m_state.orChosen = optOR && optOR->Value();
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
                static_cast<XPCheckBox *>(c)->setValue(m_options.checkBoxReset);
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
