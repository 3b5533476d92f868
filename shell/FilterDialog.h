#pragma once
// The filter dialogs of the lists: a WHERE fragment built from the filled-in fields, and the
// fields' values remembered for the whole run by their position in the dialog.
#include "platform/Form.h"
#include <QString>
#include <QStringList>

class XPButton;
class XPComboBox;
class XPOptionButton;
class XPTextBox;
class WebBrowser;

// ---- saved state of each filter dialog, kept for the whole run ----
// Values by control position (entry 0 unused), sized at the dialog's first load; the flag that
// they have been sized; OR chosen at the last OK (only the dialogs with AND/OR options).
extern QStringList gFilterStateAnagrafica, gFilterStateTipologiaPersone, gFilterStatePagamenti,
    gFilterStateAssegniEmessi, gFilterStateMieiContiCorrenti;
extern bool gFilterStateSavedAnagrafica, gFilterStateSavedTipologiaPersone, gFilterStateSavedPagamenti,
    gFilterStateSavedAssegniEmessi, gFilterStateSavedMieiContiCorrenti;
extern bool gFilterOrAnagrafica, gFilterOrPagamenti, gFilterOrAssegniEmessi, gFilterOrMieiContiCorrenti;

// Back to the start-of-run state (tests; the program never forgets them).
void resetFilterStatesForTests();

// ---- term builders ----
// "a.TIPOLOGIAID = 3"
QString comboTerm(const QString &keyColumn, qint64 key);
// A comma makes a list of exact values: "a.Comune IN ('Roma', 'Milano')"; otherwise a
// containment search: "a.Nome Like '%ros%'". The text is the field's trimmed text.
QString textTerm(const QString &column, const QString &text);
// "a.datanascita >= ('1980-01-01 00:00:00')" (from) or "... <= (...)" (to); both inclusive.
QString dateBoundTerm(const QString &column, bool from, const QString &text);

// A WHERE fragment: the terms of the filled fields, joined by one operator.
class FilterWhere {
public:
    explicit FilterWhere(QString op = QStringLiteral(" AND ")) : m_op(std::move(op)) {}
    // Appends a term, preceded by the operator when the fragment is not empty.
    void add(const QString &term);
    // The standard terms; each adds nothing when its field is empty.
    void addCombo(const QString &keyColumn, const XPComboBox *combo);
    void addText(const QString &column, const XPTextBox *box);
    void addDateFrom(const QString &column, const XPTextBox *box);
    void addDateTo(const QString &column, const XPTextBox *box);
    const QString &text() const { return m_text; }
    const QString &op() const { return m_op; }

private:
    QString m_op;
    QString m_text;
};

// The trimmed text of a box: what the terms and the checks look at.
QString filterText(const XPTextBox *box);

// A filter dialog. A concrete dialog creates its controls in its constructor (the order of
// creation is the order of the saved values), sets the pointers below, calls wireButtons(),
// and supplies its terms (buildWhere) and its list's refill (refillList); a dialog with
// combos fills them in fillCombos, one with checks refuses in checkFields.
class FilterDialog : public Form {
    Q_OBJECT
public:
    void Form_Load() override;
    void cmdOK_Click();
    void cmdCancel_Click();
    void cmdClear_Click();
    void cmdPrint_Click();

    XPOptionButton *optAND = nullptr; // both null: the dialog joins no terms
    XPOptionButton *optOR = nullptr;
    XPButton *cmdOK = nullptr;
    XPButton *cmdCancel = nullptr;
    XPButton *cmdPrint = nullptr;
    XPButton *cmdClear = nullptr;
    WebBrowser *web = nullptr;

protected:
    // whereSlot: the list's filter slot; state, stateSaved, orFlag (nullptr when the dialog has
    // no AND/OR options): the dialog's saved state; checkBoxReset: what Clear puts in check boxes.
    FilterDialog(const QString &name, QString &whereSlot, QStringList &state, bool &stateSaved, bool *orFlag,
                 int checkBoxReset = 0);

    virtual void fillCombos() {}
    // Refusals before anything is built; false leaves the dialog open with nothing stored.
    virtual bool checkFields() { return true; }
    virtual void buildWhere(FilterWhere &where) = 0;
    virtual void refillList() = 0;

    void wireButtons();
    // Items from a query: text = the text fields joined by a blank, item data = the key.
    void fillCombo(XPComboBox *combo, const QString &sql, const QString &keyField, const QStringList &textFields);
    // An empty box or a date passes; otherwise the message (warning, "Norvik") and the focus
    // on the box, and false.
    bool checkDateBox(XPTextBox *box, const QString &message);

    void restoreState();
    void saveState();

private:
    QString &m_where;
    QStringList &m_state;
    bool &m_stateSaved;
    bool *m_or;
    int m_checkReset;
};
