#pragma once
#include "platform/Control.h"
#include "platform/PackedRows.h"
#include <QAbstractScrollArea>
#include <QFont>
#include <QString>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class Form;
class QPainter;

// The list grid of every register window. Row 0 is the fixed header row; every column scrolls.
// Texts are kept packed as UTF-8 (see PackedRows): a QString is made only for a cell painted or
// handed out, so a list of a million rows costs little more than its text, and sorting moves
// whole rows without copying their texts.
//
// Setting Row or Col collapses the selection to the new current cell; RowSel/ColSel set the
// other corner afterwards. Programmatic changes raise no SelChange: only the user does.
class MSFlexGrid : public QAbstractScrollArea, public Control {
    Q_OBJECT
public:
    static constexpr long InvalidColValue = 30010;
    static constexpr long InvalidIndex = 381; // a cell or column index outside the grid

    MSFlexGrid(Form *form, const QString &name, QWidget *parent = nullptr);
    ~MSFlexGrid() override;

    QWidget *widget() override { return this; }

    int Rows() const { return m_cells.rows(); }
    void setRows(int rows);
    int Cols() const { return m_cols; }
    void setCols(int cols);

    int Row() const { return m_row; }
    void setRow(int row);
    int Col() const { return m_col; }
    void setCol(int col);
    int RowSel() const { return m_rowSel; }
    void setRowSel(int row);
    int ColSel() const { return m_colSel; }
    void setColSel(int col);

    QString Text() const;
    void setText(const QString &text);
    QString TextMatrix(int row, int col) const;
    // The same text as it is kept, in UTF-8, without a QString: valid until the grid changes.
    std::string_view TextMatrixUtf8(int row, int col) const;
    void setTextMatrix(int row, int col, const QString &text);
    void setTextMatrix(int row, int col, QString &&text);
    // The same from UTF-8 bytes, without a QString on the way.
    void setTextMatrixUtf8(int row, int col, std::string_view utf8);

    // Appending a whole row from UTF-8 pieces, as a fill from the database does: beginRow adds
    // a row at the end (Rows grows by one), appendCell gives its cells in column order (those
    // past Cols are dropped), endRow closes it. Any other change of the grid closes it too.
    void beginRow();
    void appendCell(std::string_view utf8)
    {
        // Counted once stored: a cell that could not be stored may be given again.
        if (m_appendCol < m_cols)
            m_cells.appendCell(utf8);
        ++m_appendCol;
    }
    // A cell given as a QString (a text made by the list itself).
    void appendCellText(QStringView text);
    void endRow();

    // Widths in twips; 0 hides the column, -1 restores the default width.
    double ColWidth(int col) const;
    void setColWidth(int col, double twips);
    double RowHeight(int row) const;

    int TopRow() const;
    void setTopRow(int row);
    int LeftCol() const;
    void setLeftCol(int col);
    bool RowIsVisible(int row) const;

    // 1 generic ascending, 2 generic descending, 3 numeric ascending, 4 numeric descending.
    // Orders the selected data rows (Row..RowSel; all of them when Row = RowSel) by column Col;
    // rows that compare equal keep their order.
    void setSort(int order);
    // Every data row by the whole number keyOf gives for its text in column `col` (a date's
    // seconds), ascending or descending; rows with equal numbers keep their order. When keyOf
    // raises, the rows stay as they were.
    void sortRowsBy(int col, bool descending, const std::function<int64_t(std::string_view)> &keyOf);
    void RemoveItem(int row);

    QString FontName() const { return m_fontName; }
    void setFontName(const QString &name);
    double FontSize() const { return m_fontSize; }
    void setFontSize(double points);
    bool FontBold() const { return m_fontBold; }
    void setFontBold(bool bold);

    int DisplayOption() const { return m_displayOption; }
    void setDisplayOption(int value) { m_displayOption = value; }

    // What tests and benchmarks reach besides the interface (at the end of this header).
    struct TestSeam;

signals:
    void DblClick();
    void KeyDown(int keyCode, int shift);
    void KeyUp(int keyCode, int shift);
    void MouseDown(int button, int shift, double x, double y);
    void MouseUp(int button, int shift, double x, double y);
    void SelChange();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void changeEvent(QEvent *event) override;

private:
    // Each does what the mouse does on that cell (current cell, header-click selection,
    // scrolling) and raises the same events.
    void simulateMouseDown(int row, int col, int button = 1, int shift = 0);
    void simulateMouseUp(int row, int col, int button = 1, int shift = 0);
    void simulateDblClick(int row, int col);

    struct Layout {
        int viewWidth = 0;
        int viewHeight = 0;
        bool vbar = false;
        bool hbar = false;
    };
    struct Selection {
        int row, col, rowSel, colSel;
        bool operator==(const Selection &o) const
        {
            return row == o.row && col == o.col && rowSel == o.rowSel && colSel == o.colSel;
        }
    };

    QString textAt(int row, int col) const;
    // The text in UTF-8, in a buffer reused from cell to cell.
    std::string_view encoded(QStringView text);
    void releaseLongBuffer();
    void checkCell(int row, int col) const;
    Selection selection() const { return {m_row, m_col, m_rowSel, m_colSel}; }
    bool selectionSpansCells() const;

    // Painting, in this order: what lies past the cells, the header row, the data rows shown,
    // the focus frame. The columns shown, from LeftCol on, with their x and width in pixels.
    struct PaintedCol {
        int col, x, w;
    };
    std::vector<PaintedCol> paintedColumns() const;
    void paintMargins(QPainter &p, const std::vector<PaintedCol> &cols) const;
    void paintHeaderRow(QPainter &p, const std::vector<PaintedCol> &cols) const;
    void paintDataRows(QPainter &p, const std::vector<PaintedCol> &cols) const;
    void paintFocusFrame(QPainter &p, const std::vector<PaintedCol> &cols) const;

    int rowHeightPx() const { return m_rowHeightPx; }
    int colWidthPx(int col) const;
    Layout layout() const;
    int fullyVisibleDataRows(const Layout &l) const;
    int maxTopRow(const Layout &l) const;
    int maxLeftCol(const Layout &l) const;
    void clampScroll();
    void contentChanged();     // geometry of the content changed: scroll bars must follow
    void cellChanged(int row); // one row changed: repaint if it is on screen
    void scheduleRepaint();
    void syncScrollBars();
    void applyFont();

    // Viewport pixel position <-> cell; -1 when outside the cells.
    int rowAt(int y) const;
    int colAt(int x) const;
    QPoint cellCenter(int row, int col) const;
    void ensureRowVisible(int row);

    void pressCell(int row, int col, const QPoint &pos, int button, int shift);
    void releaseAt(const QPoint &pos, int button, int shift);
    void doubleClickCell(int row, int col);
    bool selectCellAsClick(int row, int col);
    void moveCurrentRow(int row, int col);

    PackedRows m_cells;
    int m_cols = 2;
    int m_appendCol = 0;
    std::string m_utf8;           // a text on its way into the cells
    std::vector<int> m_colWidths; // twips, -1 = default
    int m_row = 1, m_col = 0, m_rowSel = 1, m_colSel = 0;
    int m_topRow = 1;
    int m_leftCol = 0;
    int m_rowHeightPx = 16;
    QString m_fontName;
    double m_fontSize = 8.25;
    bool m_fontBold = false;
    QFont m_drawFont;
    int m_displayOption = 0;
    bool m_repaintQueued = false;
    bool m_syncQueued = false;
    bool m_syncing = false;
    bool m_dragging = false;
};

// ---- for tests and benchmarks only ----
// Drive the grid without pixel arithmetic.
struct MSFlexGrid::TestSeam {
    static void mouseDown(MSFlexGrid &g, int row, int col, int button = 1, int shift = 0)
    {
        g.simulateMouseDown(row, col, button, shift);
    }
    static void mouseUp(MSFlexGrid &g, int row, int col, int button = 1, int shift = 0)
    {
        g.simulateMouseUp(row, col, button, shift);
    }
    static void dblClick(MSFlexGrid &g, int row, int col) { g.simulateDblClick(row, col); }
};
