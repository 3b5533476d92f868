#include "shell/ListWindow.h"
#include "platform/Dialogs.h"
#include "platform/DrawnMark.h"
#include "platform/MSFlexGrid.h"
#include "platform/MouseWheel.h"
#include "platform/NumberRule.h"
#include "platform/SqliteDb.h"
#include "platform/TextMeasure.h"
#include "platform/VbRuntime.h"
#include "platform/WebBrowser.h"
#include "platform/XPControls.h"
#include "shell/CsvExport.h"
#include "shell/ErrorExit.h"
#include "shell/PatternHelpers.h"
#include "shell/basGeneral.h"
#include "shell/basGeneralCustom.h"
#include "shell/basPrintPreview.h"
#include "shell/basRegistering.h"
#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

namespace {
const QString kTitle = QStringLiteral("Norvik");
const QString kKeyHeader = QStringLiteral("IDFIELD");
// Widths are measured on the header and this many data rows, whatever the size of the list.
constexpr int MeasuredDataRows = 60;
}

ListWindow::ListWindow(const QString &name, ListWindowDesc desc) : Form(name), m_desc(std::move(desc))
{
    setCaption(m_desc.caption);
    OsenXPForm1 = new XPForm(this, QStringLiteral("OsenXPForm1"), m_desc.caption);
    if (m_desc.editing) {
        cmdAdd = new XPButton(this, QStringLiteral("cmdAdd"), QStringLiteral("Aggiungi"));
        cmdDelete = new XPButton(this, QStringLiteral("cmdDelete"), QStringLiteral("Elimina"));
        cmdSelect = new XPButton(this, QStringLiteral("cmdSelect"), QStringLiteral("Cerca"));
    }
    cmdPrintGrid = new XPButton(this, QStringLiteral("cmdPrintGrid"), QStringLiteral("Stampa"));
    if (m_desc.exportButton)
        cmdEsportaDati = new XPButton(this, QStringLiteral("cmdEsportaDati"), QStringLiteral("Esporta CSV"));
    cmdClose = new XPButton(this, QStringLiteral("cmdClose"), QStringLiteral("Esci"));
    MSFlexGrid1 = new MSFlexGrid(this, QStringLiteral("MSFlexGrid1"));
    MSFlexGrid1->setFontSize(8.25);
    // The browser control only holds the printout: a dot behind the grid.
    web = new WebBrowser(this, QStringLiteral("web"));
    web->setGeometry(0, 0, 1, 1);
    web->lower();
    if (!m_desc.totalFields.isEmpty()) {
        lblTotaleImporti = new XPLabel(this, QStringLiteral("lblTotaleImporti"), QStringLiteral("Importo Totale"));
        lblTotaleImporti->setBold(true);
        lblTotaleImporti->adjustSize();
    }
    wireControls();
}

void ListWindow::wireControls()
{
    auto onClick = [this](XPButton *b, void (ListWindow::*handler)()) {
        if (b)
            connect(b, &QPushButton::clicked, this, [this, handler] { (this->*handler)(); });
    };
    onClick(cmdAdd, &ListWindow::cmdAdd_Click);
    onClick(cmdDelete, &ListWindow::cmdDelete_Click);
    onClick(cmdSelect, &ListWindow::cmdSelect_Click);
    onClick(cmdPrintGrid, &ListWindow::cmdPrintGrid_Click);
    onClick(cmdEsportaDati, &ListWindow::cmdEsportaDati_Click);
    onClick(cmdClose, &ListWindow::cmdClose_Click);
    MSFlexGrid *g = MSFlexGrid1;
    connect(g, &MSFlexGrid::DblClick, this, [this] { MSFlexGrid1_DblClick(); });
    connect(g, &MSFlexGrid::KeyDown, this, [this](int k, int s) { MSFlexGrid1_KeyDown(k, s); });
    connect(g, &MSFlexGrid::MouseDown, this,
            [this](int b, int s, double x, double y) { MSFlexGrid1_MouseDown(b, s, x, y); });
    connect(g, &MSFlexGrid::MouseUp, this,
            [this](int b, int s, double x, double y) { MSFlexGrid1_MouseUp(b, s, x, y); });
    connect(g, &MSFlexGrid::SelChange, this, [this] { MSFlexGrid1_SelChange(); });
}

// The buttons stand in one row above the grid: Tab walks them left to right, then the grid.
void ListWindow::orderTabsByPosition()
{
    QList<QWidget *> order;
    for (Control *c : Controls())
        if (c->Kind() == ControlKind::Button)
            order << c->widget();
    std::stable_sort(order.begin(), order.end(), [](QWidget *a, QWidget *b) { return a->x() < b->x(); });
    order << MSFlexGrid1;
    for (int i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order.at(i - 1), order.at(i));
}

int ListWindow::ColumnWidth(int widest)
{
    double w = widest;
    if (w > 8000)
        w = 8000;
    if (w < 6000)
        w = vb::RoundHalfEven(w + (1 - w / 6000) * 500);
    if (w < 600)
        w = 600;
    return int(w);
}

QString ListWindow::listQueryText() const
{
    QString sql = m_desc.listQuery;
    const QString filter = m_desc.filterSlot ? *m_desc.filterSlot : QString();
    if (!filter.isEmpty()) {
        if (sql.contains(QLatin1String(" WHERE "), Qt::CaseInsensitive))
            sql += QStringLiteral(" AND (") + filter + QStringLiteral(")");
        else
            sql += QStringLiteral(" WHERE ") + filter;
    }
    return sql + m_desc.listQueryTail;
}

// ---- the list-window interface ----

void ListWindow::ClearGrid()
{
    Procedure p(Name(), QStringLiteral("ClearGrid"));
    p.run([&] {
        MSFlexGrid *g = MSFlexGrid1;
        const int rows = g->Rows(), cols = g->Cols();
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < cols; ++c)
                g->setTextMatrix(r, c, QString());
        // The walk over the cells leaves the last one current.
        g->setRow(rows - 1);
        g->setCol(cols - 1);
    });
}

void ListWindow::FillGrid() { fillGridFrom(listQueryText()); }

QString ListWindow::headerText(const QString &name, const QString &sql) const
{
    if (name.isEmpty()) {
        // A nameless count column is headed by its COUNT(...) expression; a null text leaves
        // the header as it was.
        const int p = int(sql.toUpper().indexOf(QLatin1String("COUNT("))) + 1;
        if (p == 0)
            return QString();
        QString header;
        for (int j = p; j <= int(sql.size()) - p; ++j)
            if (sql.at(j - 1) == QLatin1Char(')'))
                header = sql.mid(p - 1, j + 1 - p);
        return header.isEmpty() ? QString() : header;
    }
    if (vb::Like(name, QStringLiteral("Expr100*")))
        return QStringLiteral("Count");
    for (const auto &caption : m_desc.headerCaptions)
        if (vb::Like(name, caption.first))
            return caption.second;
    if (m_desc.keyHeaders && vb::Like(name, QStringLiteral("*ID")))
        return kKeyHeader;
    return PutSpacesInLabels(name);
}

void ListWindow::applyColumnWidth(int col, int width)
{
    MSFlexGrid1->setColWidth(col, width);
    if (MSFlexGrid1->TextMatrix(0, col) == kKeyHeader)
        MSFlexGrid1->setColWidth(col, 0);
}

void ListWindow::fillGridFrom(const QString &sql)
{
    Procedure p(Name(), QStringLiteral("FillGrid"));
    MSFlexGrid *g = MSFlexGrid1;
    // The grid is painted once, when it is full, not once per row.
    const bool repaint = g->updatesEnabled();
    g->setUpdatesEnabled(false);
    m_rowsCutShort.reset();
    m_fillFailed = true;
    if (trapFillErrors()) {
        p.run([&] { fillFromQuery(sql); });
    } else {
        try {
            fillFromQuery(sql);
        } catch (...) {
            g->setUpdatesEnabled(repaint);
            throw;
        }
    }
    closeFill(repaint);
    // Cells that fail are passed over, but a list that stops short must not pass for the whole
    // register: the read error is told once, over the rows that could be read.
    if (m_rowsCutShort)
        p.report(*m_rowsCutShort);
}

void ListWindow::fillFromQuery(const QString &sql)
{
    MSFlexGrid *g = MSFlexGrid1;
    if (m_desc.fillHourglass)
        Screen::setMousePointer(11);
    g->setRows(1);
    OpenDb();
    m_total = 0;
    // A refused query must find nothing left of an earlier one to show as this list.
    releaseRs();
    gRsOpen(sql);
    Recordset &rs = gRs();
    // A refused query has told its own message; reading the closed result would only add a
    // second, meaningless box.
    if (!rs.isOpen())
        return;
    if (rs.EOF_()) {
        g->setColWidth(0, 1000);
        g->setTextMatrix(0, 0, QStringLiteral("0 Records"));
    } else {
        const std::vector<FillColumn> columns = planColumns(rs, sql);
        fillRows(rs, columns);
        ignoreErrors([&] { sizeColumns(columns); });
        for (int c : m_desc.zeroWidthColumns)
            ignoreErrors([&] { g->setColWidth(c, 0); });
    }
    ignoreErrors([&] {
        g->setDisplayOption(1);
        doEnglishGrid(g);
    });
    m_fillFailed = m_rowsCutShort.has_value();
}

std::vector<ListWindow::FillColumn> ListWindow::planColumns(const Recordset &rs, const QString &sql)
{
    MSFlexGrid *g = MSFlexGrid1;
    const int count = rs.Fields().Count();
    g->setCols(count);
    std::vector<FillColumn> columns(static_cast<size_t>(count));
    bool amounts = false;
    for (int i = 0; i < count; ++i) {
        const Field field = rs.Fields()(i);
        const QString name = field.Name();
        const QString header = headerText(name, sql);
        if (!header.isNull())
            g->setTextMatrix(0, i, header);
        FillColumn &column = columns[size_t(i)];
        column.hiddenKey = !m_desc.keyHeaders && vb::Like(name, QStringLiteral("*ID"));
        if (lblTotaleImporti && vb::Like(name, m_desc.totalFields))
            column.rule = CellRule::Amount;
        else if (isBooleanField(field))
            column.rule = CellRule::Flag;
        else if (m_testColumns && m_testColumns(i, name))
            column.rule = CellRule::ByTest;
        amounts = amounts || column.rule == CellRule::Amount;
    }
    if (lblTotaleImporti)
        lblTotaleImporti->setVisible(amounts);
    return columns;
}

void ListWindow::fillRows(Recordset &rs, const std::vector<FillColumn> &columns)
{
    MSFlexGrid *g = MSFlexGrid1;
    // Spacing a header restores the pointer; the rows are the long part of a fill.
    if (m_desc.fillHourglass)
        Screen::setMousePointer(11);
    // Each value goes from the row SQLite holds straight into the grid's storage. From the first
    // cell on a failing cell is left empty and the fill goes on.
    const int count = int(columns.size());
    const bool quickFlags = flagWordsWithoutTrace();
    Recordset::TextBuffer buffer;
    while (!rs.EOF_()) {
        bool began = false;
        ignoreErrors([&] {
            g->beginRow();
            began = true;
        });
        for (int j = 0; began && j < count; ++j) {
            try {
                switch (columns[size_t(j)].rule) {
                case CellRule::Plain:
                    g->appendCell(rs.textUtf8(j, buffer));
                    break;
                case CellRule::Amount:
                    appendAmount(rs, j);
                    break;
                case CellRule::Flag:
                    appendFlag(rs, j, quickFlags);
                    break;
                case CellRule::ByTest:
                    g->appendCellText(m_testCellText(Field(&rs, j), j));
                    break;
                }
            } catch (...) {
                ignoreErrors([&] { g->appendCell(std::string_view()); });
            }
        }
        if (began)
            ignoreErrors([&] { g->endRow(); });
        try {
            rs.MoveNext();
        } catch (const PlatformError &e) {
            // A failed move ends the result; the rows after it are not there to show.
            m_rowsCutShort = e;
        } catch (...) {
        }
    }
}

void ListWindow::sizeColumns(const std::vector<FillColumn> &columns)
{
    MSFlexGrid *g = MSFlexGrid1;
    const TextMeasure surface(g->FontName(), g->FontSize(), g->FontBold());
    const int lastRow = std::min(g->Rows() - 1, MeasuredDataRows);
    for (int i = 0; i < int(columns.size()); ++i) {
        if (columns[size_t(i)].hiddenKey) {
            ignoreErrors([&] { g->setColWidth(i, 0); });
            continue;
        }
        short w = 0;
        ignoreErrors([&] { g->setCol(i); });
        for (int r = 0; r <= lastRow; ++r) {
            ignoreErrors([&] {
                g->setRow(r);
                // A text wider than the 16-bit width counts as the widest there is (and so gets
                // the maximum), not as no text at all.
                const double measured = std::min(surface.width(g->Text()), 32767.0);
                if (measured > w)
                    w = short(vb::RoundHalfEven(measured));
            });
        }
        ignoreErrors([&] { applyColumnWidth(i, ColumnWidth(w)); });
    }
}

void ListWindow::closeFill(bool repaint)
{
    MSFlexGrid *g = MSFlexGrid1;
    ignoreErrors([] { gRs().Close(); });
    releaseRs();
    ignoreErrors([] { CloseDb(); });
    ignoreErrors([&] { showTotal(); });
    Screen::setMousePointer(0);
    ignoreErrors([&] { g->setRow(0); });
    g->setUpdatesEnabled(repaint);
    markWhenDrawn(g);
}

// For the benchmarks only: with NORVIK_DRAWN_MARK naming a file, the moment a filled grid is
// first drawn is appended to it. Without the variable nothing is watched.
void ListWindow::markWhenDrawn(MSFlexGrid *grid)
{
    static const QString file = qEnvironmentVariable("NORVIK_DRAWN_MARK");
    DrawnMark::watch(grid->viewport(), file);
}

QString ListWindow::amountCell(const Field &field)
{
    const QVariant v = field.Value();
    std::optional<double> amount;
    if (v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::Double)
        amount = v.toDouble();
    else if (v.isValid())
        amount = NumberRule::read(v.toString());
    // Null stays an empty cell and a text that is no number is shown as it is; neither counts.
    if (!amount)
        return field.Text();
    m_total += *amount;
    return vb::FormatAmount(*amount) + QStringLiteral(" €");
}

// amountCell's text, read and written without a QString for the values a register holds.
void ListWindow::appendAmount(const Recordset &rs, int col)
{
    MSFlexGrid *g = MSFlexGrid1;
    const Recordset::RawValue v = rs.rawValue(col);
    double amount = 0;
    switch (v.type) {
    case Recordset::RawValue::Integer:
        amount = double(v.integer);
        break;
    case Recordset::RawValue::Real:
        amount = v.real;
        break;
    case Recordset::RawValue::Text:
        if (const std::optional<double> read = NumberRule::read(v.text)) {
            amount = *read;
            break;
        }
        g->appendCell(v.text);
        return;
    case Recordset::RawValue::Null:
        g->appendCell(std::string_view());
        return;
    default:
        g->appendCellText(amountCell(Field(&rs, col)));
        return;
    }
    m_total += amount;
    char text[48];
    const size_t n = vb::FormatAmountUtf8(amount, text);
    if (n == 0) {
        g->appendCellText(vb::FormatAmount(amount) + QStringLiteral(" €"));
        return;
    }
    std::memcpy(text + n, " \xE2\x82\xAC", 4); // a blank and the euro sign
    g->appendCell(std::string_view(text, n + 4));
}

QString ListWindow::flagCell(const Field &field)
{
    // A flag the dialogs never wrote (Null) is shown empty, without a message for every row.
    const QVariant v = field.Value();
    return v.isValid() ? BooleanToString(v) : QString();
}

bool ListWindow::flagWordsWithoutTrace()
{
    // BooleanToString writes the words on these databases, and leaves a trace only in the log.
    return (isSqlLite() || isMySql()) && gLogStatus != QLatin1String("ON");
}

// flagCell's text; a number is read here when that gives the same words, anything else
// (a text, a value out of the flag's range, a log that traces every call) goes through flagCell.
void ListWindow::appendFlag(const Recordset &rs, int col, bool quick)
{
    MSFlexGrid *g = MSFlexGrid1;
    if (quick) {
        const Recordset::RawValue v = rs.rawValue(col);
        double rounded = 0;
        bool number = true;
        if (v.type == Recordset::RawValue::Integer)
            rounded = double(v.integer);
        else if (v.type == Recordset::RawValue::Real)
            rounded = vb::RoundHalfEven(v.real);
        else
            number = false;
        if (v.type == Recordset::RawValue::Null) {
            g->appendCell(std::string_view());
            return;
        }
        // CInt's range: a value beyond it is an overflow, reported by the slow way.
        if (number && rounded >= -32768 && rounded <= 32767) {
            g->appendCell(rounded != 0 ? std::string_view("Vero") : std::string_view("Falso"));
            return;
        }
    }
    g->appendCellText(flagCell(Field(&rs, col)));
}

void ListWindow::showTotal()
{
    if (!lblTotaleImporti)
        return;
    lblTotaleImporti->setCaption(m_desc.totalCaption + vb::FormatAmount(m_total) + QStringLiteral(" €"));
    lblTotaleImporti->adjustSize();
}

// Under the grid, at the window's height less 500 twips; kept inside the window where a frame
// of the window system makes the outer height larger than the inner one.
void ListWindow::placeTotal()
{
    if (!lblTotaleImporti)
        return;
    const double top = std::min(Height() - 500, ScaleHeight() - lblTotaleImporti->Height());
    lblTotaleImporti->Move(MSFlexGrid1->Left(), top);
}

void ListWindow::UpdateGridRow()
{
    Procedure p(Name(), QStringLiteral("UpdateGridRow"));
    p.run([&] {
        MSFlexGrid *g = MSFlexGrid1;
        releaseRs();
        gRsOpen(m_desc.oneRowQuery(keyText(key())));
        Recordset &rs = gRs();
        // The header row is never overwritten with a record.
        if (!rs.EOF_() && g->Row() >= 1) {
            const int count = std::min(rs.Fields().Count(), g->Cols());
            Recordset::TextBuffer buffer;
            for (int j = 1; j < count; ++j)
                g->setTextMatrixUtf8(g->Row(), j, rs.textUtf8(j, buffer));
        }
        rs.Close();
        releaseRs();
    });
}

void ListWindow::AddGridRow()
{
    Procedure p(Name(), QStringLiteral("AddGridRow"));
    p.run([&] { appendNewestRow(); });
}

void ListWindow::appendNewestRow()
{
    MSFlexGrid *g = MSFlexGrid1;
    releaseRs();
    gRsOpen(m_desc.newestKeyQuery);
    if (!gRs().EOF_())
        key() = vb::CDbl(gRs().Fields()(0).Value());
    gRs().Close();
    releaseRs();

    gRsOpen(m_desc.oneRowQuery(keyText(key())));
    Recordset &rs = gRs();
    if (!rs.EOF_()) {
        const int count = rs.Fields().Count();
        g->setCols(count);
        Recordset::TextBuffer buffer;
        g->beginRow();
        for (int j = 0; j < count; ++j)
            g->appendCell(rs.textUtf8(j, buffer));
        g->endRow();
    }
    rs.Close();
    releaseRs();

    // Past the last scroll position the grid shows its last rows, the new one included.
    const double t = g->Rows() - (g->Height() / g->RowHeight(0)) + 3;
    if (t > 0)
        g->setTopRow(int(vb::RoundHalfEven(t)));
    else if (g->Rows() > 1)
        g->setTopRow(1);
}

void ListWindow::MouseWheel(int MouseKeys, int Rotation, int Xpos, int Ypos)
{
    for (Control *c : Controls()) {
        if (c->Kind() != ControlKind::Grid)
            continue;
        auto *grid = dynamic_cast<MSFlexGrid *>(c);
        if (grid && IsOver(grid, Xpos, Ypos))
            MSFlexGridScroll(grid, MouseKeys, Rotation, Xpos, Ypos);
    }
}

// ---- window events ----

void ListWindow::Form_Load()
{
    Procedure p(Name(), QStringLiteral("Form_Load"));
    p.run([&] {
        beforeLoad();
        orderTabsByPosition();
        DisattivaTabstop(this);
        WheelHook(this, [this](int keys, int rotation, int x, int y) { MouseWheel(keys, rotation, x, y); });
        CenterForm(this);
        FillGrid();
        // An empty register opens on a new record; a list that could not be read is not empty.
        if (m_desc.editing && MSFlexGrid1->Rows() == 1 && !m_fillFailed)
            cmdAdd_Click();
    });
}

void ListWindow::Form_Resize()
{
    Procedure p(Name(), QStringLiteral("Form_Resize"));
    p.run([&] {
        if (isMinimizedState())
            return;
        if (Width() < 6500)
            setWidth(6500);
        if (Height() < 4000)
            setHeight(4000);
        MSFlexGrid *g = MSFlexGrid1;
        g->Move(g->Left(), g->Top(), ScaleWidth() - 2 * g->Left(), ScaleHeight() - 1.5 * g->Top());
        // The frame band spans the window like a title bar.
        OsenXPForm1->Move(0, 0, ScaleWidth(), OsenXPForm1->Height());
        placeTotal();
    });
}

void ListWindow::Form_Unload() { WheelUnhook(this); }

void ListWindow::showDialog(const std::function<Form *()> &dialog)
{
    if (!dialog)
        return;
    if (Form *f = dialog())
        f->Show(true);
}

void ListWindow::cmdAdd_Click()
{
    Procedure p(Name(), QStringLiteral("cmdAdd_Click"));
    p.run([&] {
        gIsNewRecord = true;
        showDialog(m_desc.editDialog);
    });
}

void ListWindow::cmdSelect_Click()
{
    Procedure p(Name(), QStringLiteral("cmdSelect_Click"));
    p.run([&] {
        gIsNewRecord = true;
        showDialog(m_desc.filterDialog);
    });
}

void ListWindow::cmdDelete_Click()
{
    Procedure p(Name(), QStringLiteral("cmdDelete_Click"));
    p.run([&] {
        MSFlexGrid *g = MSFlexGrid1;
        if (!m_desc.editing || g->Row() == 0 || g->Rows() == 1)
            return;
        key() = vb::CDbl(g->TextMatrix(g->Row(), 0));
        OpenDb();
        int linked = -1;
        for (int i = 0; i < m_desc.deleteGuards.size(); ++i) {
            const auto &guard = m_desc.deleteGuards.at(i);
            bool failed = false;
            if (esisteRecord(guard.first, guard.second, QVariant(key()), QStringLiteral("N"), QString(), QVariant(),
                             &failed)
                && linked < 0)
                linked = i;
            // A guard that could not look is no permission to delete.
            if (failed)
                return;
        }
        if (linked >= 0) {
            refuseLinked(linked);
            return;
        }
        if (MyMsgBox(QStringLiteral("Sei sicuro di voler eliminare il record?"), 4, kTitle) != 6)
            return;
        const QStringList statements =
            m_desc.deleteStatements ? m_desc.deleteStatements(keyText(key())) : QStringList();
        // One write: a record is never left half deleted. When the database refuses, gDbExecute
        // has told the user why, and the row stays listed as it stays in the database.
        if (!deleteUnlessLinked(statements))
            return;
        removeSelectedRow();
        // The total must follow the deletion: the list is read again.
        if (lblTotaleImporti) {
            ClearGrid();
            FillGrid();
        }
        afterDelete();
    });
}

bool ListWindow::deleteUnlessLinked(const QStringList &statements)
{
    // Another program may have linked a row to the record while the question was open: the
    // guards look again, holding the write lock with the delete. The box comes only once the
    // lock is given back: another program must not wait on it.
    int linked = -1;
    const bool deleted = gDbWrite([&](SqliteDbComponent &db) {
        for (int i = 0; i < m_desc.deleteGuards.size() && linked < 0; ++i) {
            const auto &guard = m_desc.deleteGuards.at(i);
            if (!db.query(QStringLiteral("SELECT 1 FROM ") + guard.first + QStringLiteral(" WHERE ") + guard.second
                          + QStringLiteral(" = ") + keyText(key()))
                     ->EOF_())
                linked = i;
        }
        if (linked >= 0)
            return false;
        for (const QString &sql : statements)
            db.execute(sql);
        return true;
    });
    if (linked >= 0)
        refuseLinked(linked);
    return deleted;
}

void ListWindow::refuseLinked(int guard)
{
    const QString own = m_desc.deleteGuardMessages.value(guard);
    MyMsgBox(own.isEmpty() ? m_desc.deleteGuardMessage : own, 48, kTitle);
}

void ListWindow::removeSelectedRow()
{
    MSFlexGrid *g = MSFlexGrid1;
    if (g->Rows() == 2) {
        g->setRows(1);
        return;
    }
    g->RemoveItem(g->Row());
    g->SetFocus();
    if (g->Row() <= g->Rows() - 1) {
        g->setRowSel(g->Row());
        selectWholeRow();
    }
}

void ListWindow::selectWholeRow()
{
    MSFlexGrid *g = MSFlexGrid1;
    g->setCol(0);
    g->setColSel(g->Cols() - 1);
}

void ListWindow::cmdPrintGrid_Click()
{
    Procedure p(Name(), QStringLiteral("cmdPrintGrid_Click"));
    p.run([&] {
        int i = 1;
        for (int c : m_desc.printExcludedColumns)
            if (i < 100)
                gColonneEscluse[i++] = short(c);
        gColonneEscluse[i] = -1;
        const QString subtitle = m_desc.printSubtitle ? m_desc.printSubtitle() : QString();
        initPrintPreview(web);
        printWebSubtitle(web, subtitle);
        printWebGrid(MSFlexGrid1, web);
        // The total line follows the table as it reads on screen.
        if (lblTotaleImporti && lblTotaleImporti->Visible())
            printString(lblTotaleImporti->Caption(), web);
        endPrintPreview(web);
        goPrintPreview(web);
    });
}

void ListWindow::cmdEsportaDati_Click() { esportaCSV(MSFlexGrid1); }

void ListWindow::cmdClose_Click()
{
    Procedure p(Name(), QStringLiteral("cmdClose_Click"));
    p.run([&] { Unload(); });
}

// ---- grid events ----

void ListWindow::MSFlexGrid1_DblClick()
{
    Procedure p(Name(), QStringLiteral("MSFlexGrid1_DblClick"));
    p.run([&] {
        MSFlexGrid *g = MSFlexGrid1;
        if (!m_desc.editing || g->Rows() < 2)
            return;
        // A double click in the header band is no choice of a row.
        if (g->Row() <= 1 && gGridMouseDownY.toDouble() < g->RowHeight(1))
            return;
        // Nor is one on the blank area under the rows while no row is current (after a fill):
        // the header row holds no key.
        if (g->Row() < 1)
            return;
        gIsNewRecord = false;
        key() = vb::CDbl(g->TextMatrix(g->Row(), 0));
        showDialog(m_desc.editDialog);
    });
}

void ListWindow::MSFlexGrid1_KeyDown(int KeyCode, int)
{
    Procedure p(Name(), QStringLiteral("MSFlexGrid1_KeyDown"));
    p.run([&] {
        if (KeyCode == 46)
            cmdDelete_Click();
    });
}

void ListWindow::MSFlexGrid1_MouseDown(int, int, double, double Y)
{
    Procedure p(Name(), QStringLiteral("MSFlexGrid1_MouseDown"));
    p.run([&] {
        MSFlexGrid *g = MSFlexGrid1;
        if (g->Rows() < 2)
            return;
        if (Y < g->RowHeight(1) && g->Row() <= 1) {
            const int col = g->Col();
            const bool byDate = vb::Like(g->TextMatrix(0, col), QStringLiteral("Data*"));
            if (!m_sortDescending) {
                if (byDate)
                    sortGridByDate(g, col, 3);
                else
                    g->setSort(1);
                m_sortDescending = true;
            } else {
                if (byDate)
                    sortGridByDate(g, col, 4);
                else
                    g->setSort(2);
                m_sortDescending = false;
            }
        }
        gGridLeftCol = g->LeftCol();
        gGridMouseDownY = QVariant(float(Y));
    });
}

void ListWindow::MSFlexGrid1_MouseUp(int, int, double, double)
{
    Procedure p(Name(), QStringLiteral("MSFlexGrid1_MouseUp"));
    p.run([&] {
        MSFlexGrid *g = MSFlexGrid1;
        if (g->Rows() < 2)
            return;
        selectWholeRow();
        g->setLeftCol(int(vb::RoundHalfEven(gGridLeftCol)));
    });
}

void ListWindow::MSFlexGrid1_SelChange()
{
    Procedure p(Name(), QStringLiteral("MSFlexGrid1_SelChange"));
    p.run([&] {
        if (MSFlexGrid1->Rows() >= 2)
            selectWholeRow();
    });
}
