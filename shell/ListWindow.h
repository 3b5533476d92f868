#pragma once
// The register list window: a grid of the register's rows with add, delete, filter, print and
// close buttons. Everything every list does lives here once; a concrete list states its data in
// a ListWindowDesc and overrides a hook only where it really behaves differently.
#include "platform/Form.h"
#include "platform/PlatformError.h"
#include "shell/ListWindowInterface.h"
#include "shell/PatternHelpers.h"
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>
#include <optional>
#include <vector>

class Field;
class Recordset;
class MSFlexGrid;
class WebBrowser;
class XPButton;
class XPForm;
class XPLabel;

struct ListWindowDesc {
    // Window and frame caption.
    QString caption;
    // The list's public key member (mANAGRAFICAID ...): the row to edit or delete, the row added.
    double *key = nullptr;

    // The list query; the filter slot's fragment is appended as " AND (...)" when the query
    // already has a WHERE, else as " WHERE ..."; then listQueryTail (an ORDER BY, if any).
    QString listQuery;
    QString listQueryTail;
    QString *filterSlot = nullptr;
    // The list's own headers: (Like pattern on the field name, caption), tested in order before
    // the key rule.
    QVector<QPair<QString, QString>> headerCaptions;
    // Columns hidden after the widths are set, besides the "IDFIELD" ones.
    QVector<int> zeroWidthColumns;
    // Fields named like "*ID" are keys: headed "IDFIELD" and hidden. false: such a field keeps its
    // spaced name as header and is only hidden (width 0), so the CSV export still carries it.
    bool keyHeaders = true;

    // The query of one record for UpdateGridRow and AddGridRow, given the key as text.
    std::function<QString(const QString &key)> oneRowQuery;
    // One row whose first field is the newest key.
    QString newestKeyQuery;

    // Delete: every (table, field) guard is checked; any linked row refuses with the message,
    // or with deleteGuardMessages' entry of the first guard that found one, where it has one.
    QVector<QPair<QString, QString>> deleteGuards;
    QString deleteGuardMessage;
    QStringList deleteGuardMessages;
    // The statements of a delete, run in order as one write: the first one refused takes back
    // those before it.
    std::function<QStringList(const QString &key)> deleteStatements;

    // The edit and filter dialogs: the default instance to show modally.
    std::function<Form *()> editDialog;
    std::function<Form *()> filterDialog;

    // Printout: the columns left out (zero-width columns are always left out) and the subtitle.
    QVector<int> printExcludedColumns;
    std::function<QString()> printSubtitle;

    // A total line: the fields whose name is Like totalFields ("Importo*") are shown as amounts,
    // "#,##0.00 €", and summed at every fill; the bold label lblTotaleImporti under the grid then
    // reads totalCaption followed by the sum in the same form, and is printed after the table.
    // A fill with rows but no such field hides the label; an empty fill leaves it shown or
    // hidden as it was. A delete refills the list so that the total follows. Empty: no total.
    QString totalFields;
    QString totalCaption;

    // The hourglass while the grid is filled.
    bool fillHourglass = true;
    // An "Esporta CSV" button.
    bool exportButton = false;
    // Registers add, delete, filter and edit; a read-only list (the report grid) has none of
    // those buttons and opens nothing when it is empty.
    bool editing = true;
};

class ListWindow : public Form, public ListWindowInterface {
    Q_OBJECT
public:
    // The list-window interface every list offers through its default instance.
    void ClearGrid() override;
    void FillGrid() override;
    void UpdateGridRow() override;
    void AddGridRow() override;
    void MouseWheel(int MouseKeys, int Rotation, int Xpos, int Ypos) override;
    const MSFlexGrid *listGrid() const override { return MSFlexGrid1; }

    // Event handlers, named as the window's designer names them.
    void Form_Load() override;
    void Form_Resize() override;
    void Form_Unload() override;
    virtual void cmdAdd_Click();
    virtual void cmdDelete_Click();
    virtual void cmdSelect_Click();
    virtual void cmdPrintGrid_Click();
    virtual void cmdEsportaDati_Click();
    virtual void cmdClose_Click();
    virtual void MSFlexGrid1_DblClick();
    virtual void MSFlexGrid1_KeyDown(int KeyCode, int Shift);
    virtual void MSFlexGrid1_MouseDown(int Button, int Shift, double X, double Y);
    virtual void MSFlexGrid1_MouseUp(int Button, int Shift, double X, double Y);
    virtual void MSFlexGrid1_SelChange();

    XPForm *OsenXPForm1 = nullptr;
    XPButton *cmdAdd = nullptr;    // null on a read-only list
    XPButton *cmdDelete = nullptr; // null on a read-only list
    XPButton *cmdSelect = nullptr; // null on a read-only list
    XPButton *cmdPrintGrid = nullptr;
    XPButton *cmdEsportaDati = nullptr; // null unless the list exports
    XPButton *cmdClose = nullptr;
    MSFlexGrid *MSFlexGrid1 = nullptr;
    WebBrowser *web = nullptr;
    XPLabel *lblTotaleImporti = nullptr; // null unless the list has a total line

protected:
    // Creates the frame, the buttons, the grid and the browser control; the concrete window
    // places them (designer layout) and adds its own controls.
    ListWindow(const QString &name, ListWindowDesc desc);

    const ListWindowDesc &desc() const { return m_desc; }
    double &key() { return *m_desc.key; }

    // Fills the grid from the statement: headers, rows, widths, then the closing steps.
    void fillGridFrom(const QString &sql);
    // AddGridRow's work without its error exit, for a list that reports its errors otherwise:
    // reads the newest key, appends that record and scrolls it into view; raises on failure.
    void appendNewestRow();

    // ---- hooks for what some lists do differently ----
    // First step of Form_Load (a title that depends on how the list was opened, ...).
    virtual void beforeLoad() {}
    // Whether FillGrid reports its own errors (then goes on with its closing steps); a list
    // that does not leaves them to its caller's error exit.
    virtual bool trapFillErrors() const { return true; }
    // After the grid row of a deleted record has been removed.
    virtual void afterDelete() {}

public:
    // What tests and benchmarks reach besides the interface (at the end of this header).
    struct TestSeam;

private:
    void wireControls();
    void orderTabsByPosition();
    void removeSelectedRow();
    // The delete as one write, unless a guard now finds a linked row; false when nothing was
    // deleted (the user has been told why).
    bool deleteUnlessLinked(const QStringList &statements);
    // The refusal of a delete the guard at that index found a linked row for.
    void refuseLinked(int guard);
    void selectWholeRow();
    void showDialog(const std::function<Form *()> &dialog);
    // The list query as FillGrid runs it, filter included.
    QString listQueryText() const;

    // ---- the fill, step by step ----
    // How the cells of a column are written into the grid: each value as it is ("" & value),
    // read straight from the row into the grid, or as an amount or a flag word; ByTest: by
    // the cell writer a test has set.
    enum class CellRule : char { Plain, Amount, Flag, ByTest };
    struct FillColumn {
        CellRule rule = CellRule::Plain;
        // A key column hidden while keeping its name as header.
        bool hiddenKey = false;
    };
    // Runs the query and fills the grid from its result; raises what FillGrid's error exit reports.
    void fillFromQuery(const QString &sql);
    // Sets the headers and decides once per fill, not once per cell, how each column is written.
    std::vector<FillColumn> planColumns(const Recordset &rs, const QString &sql);
    // Copies every row of the result into the grid; a failing cell is left empty. A result that
    // could not be read to its end (a damaged page, a read error) is kept in m_rowsCutShort.
    void fillRows(Recordset &rs, const std::vector<FillColumn> &columns);
    // Each column as wide as its widest text among the header and the first data rows.
    void sizeColumns(const std::vector<FillColumn> &columns);
    // What every fill ends with, also after a reported error.
    void closeFill(bool repaint);
    std::optional<PlatformError> m_rowsCutShort;
    // The last fill did not read the whole result: refused, failed on the way, or cut short.
    bool m_fillFailed = false;
    // Header of a field by the list rules.
    QString headerText(const QString &fieldName, const QString &sql) const;
    // Column width in twips from the widest text measured in it: at most 8000, texts under
    // 6000 get a margin that shrinks as they widen, never under 600.
    static int ColumnWidth(int widest);
    // Sets a computed width (IDFIELD columns end up hidden).
    void applyColumnWidth(int col, int width);
    // An amount of the total line: summed when it is a number, shown as "1.234,50 €".
    QString amountCell(const Field &field);
    void appendAmount(const Recordset &rs, int col);
    // A flag column (SuPiazza, Trasferibile, ...): "Vero" or "Falso".
    static QString flagCell(const Field &field);
    static bool flagWordsWithoutTrace();
    void appendFlag(const Recordset &rs, int col, bool quick);
    void showTotal();
    static void markWhenDrawn(MSFlexGrid *grid);
    void placeTotal();

    ListWindowDesc m_desc;
    // The sum of the last fill's amounts.
    double m_total = 0;
    // Header clicks alternate ascending and descending, one direction for every column.
    bool m_sortDescending = false;
    // Set by tests only: the columns whose cells a test writes itself, and how.
    std::function<bool(int col, const QString &fieldName)> m_testColumns;
    std::function<QString(const Field &field, int col)> m_testCellText;
};

// ---- for tests and benchmarks only ----
struct ListWindow::TestSeam {
    // The width rule alone.
    static int columnWidth(int widest) { return ListWindow::ColumnWidth(widest); }
    // The list query as FillGrid runs it, filter included.
    static QString listQueryText(const ListWindow &list) { return list.listQueryText(); }
    // The cells of the columns `which` picks are written by `text` (asked once per column at
    // every fill), so that a test can watch the row loop or make a cell fail.
    static void writeCells(ListWindow &list, std::function<bool(int col, const QString &fieldName)> which,
                           std::function<QString(const Field &field, int col)> text)
    {
        list.m_testColumns = std::move(which);
        list.m_testCellText = std::move(text);
    }
};
