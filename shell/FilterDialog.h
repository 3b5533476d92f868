#pragma once
// The filter dialogs of the lists: a WHERE fragment built from the filled-in fields, and the
// fields' values remembered for the whole run by their position in the dialog.
#include "platform/Form.h"
#include "shell/PatternHelpers.h"
#include <QDateTime>
#include <QString>
#include <QStringList>

class XPButton;
class XPComboBox;
class XPForm;
class XPOptionButton;
class XPTextBox;
class WebBrowser;

// What one register's filter dialog remembers for the whole run. The register owns one; only
// its filter dialog writes it, and the main window's clearing of the filter slots leaves it as
// it is.
struct FilterState {
    FilterState();
    ~FilterState();
    FilterState(const FilterState &) = delete;
    FilterState &operator=(const FilterState &) = delete;

    // By control position from 1 (entry 0 unused): a box's text, a check box's value, the key
    // of a combo's chosen item ("" for none); other controls keep "".
    QStringList values;
    // values has been sized: the dialog has been loaded once in this run.
    bool saved = false;
    // OR was chosen at the last OK.
    bool orChosen = false;
};

// ---- refusals of the bound terms ----
inline const QString kBadDateFrom = QStringLiteral("Formato della data di partenza non valido");
inline const QString kBadDateTo = QStringLiteral("Formato della data di arrivo non valido");
inline const QString kBadAmountFrom = QStringLiteral("Formato dell'importo minimo non valido");
inline const QString kBadAmountTo = QStringLiteral("Formato dell'importo massimo non valido");

// ---- term builders ----
// "a.TIPOLOGIAID = 3"
QString comboTerm(const QString &keyColumn, qint64 key);
// A comma makes a list of exact values: "a.Comune IN ('Roma', 'Milano')"; otherwise a
// containment search: "a.Nome Like '%ros%'". The text is the field's trimmed text.
QString textTerm(const QString &column, const QString &text);
// "a.datanascita >= ('1980-01-01 00:00:00')" (from) or "... <= (...)" (to), the date in the
// stored form; both inclusive.
QString dateBoundTerm(const QString &column, bool from, const QDateTime &date);
// "a.Importo >= 1250.5 " (from) or "a.Importo <= 1250.5 " (to), given the number as SQL writes
// it; both inclusive.
QString amountBoundTerm(const QString &column, bool from, const QString &sqlNumber);

// A WHERE fragment: the terms of the filled fields, joined by one operator. A bound whose box
// holds something else than a date or an amount refuses the whole fragment: the first refusal
// is kept and every later term is ignored.
class FilterWhere {
public:
    explicit FilterWhere(QString op = QStringLiteral(" AND ")) : m_op(std::move(op)) {}
    // Appends a term, preceded by the operator when the fragment is not empty.
    void add(const QString &term);
    // The standard terms; each adds nothing when its field is empty.
    void addCombo(const QString &keyColumn, const XPComboBox *combo);
    void addText(const QString &column, const XPTextBox *box);
    // Date bounds: a date in any form TypedDate reads, written in the stored form. A "%1" in the
    // message stands for the text typed.
    void addDateFrom(const QString &column, XPTextBox *box, const QString &badMessage = kBadDateFrom);
    void addDateTo(const QString &column, XPTextBox *box, const QString &badMessage = kBadDateTo);
    // Amount bounds: read by the number rule ("1.250,50" or "1250.50") and written as the
    // database's number, never as typed.
    void addAmountFrom(const QString &column, XPTextBox *box, const QString &badMessage = kBadAmountFrom);
    void addAmountTo(const QString &column, XPTextBox *box, const QString &badMessage = kBadAmountTo);

    const QString &text() const { return m_text; }
    bool refused() const { return !m_refusal.isEmpty(); }
    // The message of the first refusal and the box it concerns.
    const QString &refusal() const { return m_refusal; }
    XPTextBox *refusedBox() const { return m_refusedBox; }

private:
    void addDate(const QString &column, bool from, XPTextBox *box, const QString &badMessage);
    void addAmount(const QString &column, bool from, XPTextBox *box, const QString &badMessage);
    void refuse(XPTextBox *box, const QString &message);

    QString m_op;
    QString m_text;
    QString m_refusal;
    XPTextBox *m_refusedBox = nullptr;
};

// The trimmed text of a box: what the terms and the checks look at.
QString filterText(const XPTextBox *box);

// How a filter dialog differs from the plain pattern.
struct FilterDialogOptions {
    // AND/OR options joining the terms ("AND" chosen at design time).
    bool andOr = true;
    // What Reimposta puts in the check boxes (2: grey, no term).
    int checkBoxReset = 0;
    // The print button "Stampa" shown (hidden otherwise, as most registers have it).
    bool printButton = false;
};

// A filter dialog. A concrete dialog creates its fields in its constructor (the order of
// creation is the order of the saved values), then calls addButtonRow; it lists its terms in
// buildWhere, in their fixed order, and refills its list in refillList; a dialog with combos
// fills them in fillCombos (with the pattern helpers' fillCombo, which selects nothing).
class FilterDialog : public Form {
    Q_OBJECT
public:
    void Form_Load() override;
    void Form_Activate() override;
    void cmdOK_Click();
    void cmdCancel_Click();
    void cmdClear_Click();
    void cmdPrint_Click();

    XPForm *OsenXPForm1 = nullptr;
    XPOptionButton *optAND = nullptr; // both null: the dialog joins its terms with AND
    XPOptionButton *optOR = nullptr;
    XPButton *cmdOK = nullptr;
    XPButton *cmdCancel = nullptr;
    XPButton *cmdPrint = nullptr;
    XPButton *cmdClear = nullptr;
    WebBrowser *web = nullptr;

    // The bottom row's measures, in pixels, for the concrete dialogs' layouts.
    static constexpr int ButtonWidth = 100;
    static constexpr int ButtonHeight = 30;
    static constexpr int Margin = 16;
    // Height of the frame band at the top; fields start below it.
    static constexpr int BandHeight = 30;

protected:
    // whereSlot: the list's filter slot; state: the register's saved state. Creates the frame
    // band with the caption.
    FilterDialog(const QString &name, const QString &caption, QString &whereSlot, FilterState &state,
                 const FilterDialogOptions &options);

    // The bottom row at `top`: the AND/OR options at the left, then "Stampa", "Ok", "Annulla" and
    // "Reimposta" at the right, wired to their handlers; the dialog becomes `width` wide and just
    // tall enough for the row.
    void addButtonRow(int width, int top);

    virtual void fillCombos() {}
    virtual void buildWhere(FilterWhere &where) = 0;
    virtual void refillList() = 0;

    // Takes the focus, caret after its text, when the dialog is activated.
    XPTextBox *focusOnActivate = nullptr;

private:
    void restoreState();
    void saveState();

    QString &m_where;
    FilterState &m_state;
    FilterDialogOptions m_options;
};

// ---- for tests only ----
// Every register's filter state back to the start of a run (the program never forgets).
void resetFilterStatesForTests();
