#include "platform/MSFlexGrid.h"
#include "platform/Form.h"
#include "platform/KeyCodes.h"
#include "platform/NumberRule.h"
#include "platform/PlatformError.h"
#include "platform/RowSort.h"
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QStringEncoder>
#include <QStyle>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <numeric>
#include <optional>
#include <utility>

namespace {

constexpr int DefaultColWidthTwips = 960;

[[noreturn]] void invalidRow() { throw PlatformError(ErrNo::InvalidRowValue, QStringLiteral("Invalid Row value")); }
[[noreturn]] void invalidCol()
{
    throw PlatformError(MSFlexGrid::InvalidColValue, QStringLiteral("Invalid Col value"));
}
[[noreturn]] void invalidIndex()
{
    throw PlatformError(MSFlexGrid::InvalidIndex, QStringLiteral("Subscript out of range"));
}

int buttonCode(Qt::MouseButton b)
{
    switch (b) {
    case Qt::LeftButton:
        return 1;
    case Qt::RightButton:
        return 2;
    case Qt::MiddleButton:
        return 4;
    default:
        return 0;
    }
}

} // namespace

MSFlexGrid::MSFlexGrid(Form *form, const QString &name, QWidget *parent)
    : QAbstractScrollArea(parent ? parent : static_cast<QWidget *>(form)), Control(form, name, ControlKind::Grid),
      m_colWidths(2, -1), m_fontName(QStringLiteral("DejaVu Sans"))
{
    m_cells.resize(2);
    setObjectName(name);
    setFocusPolicy(Qt::StrongFocus);
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAutoFillBackground(false);
    applyFont();
}

MSFlexGrid::~MSFlexGrid() = default;

// ---- content ----

void MSFlexGrid::setRows(int rows)
{
    if (rows < 1)
        invalidRow();
    const int old = Rows();
    if (rows == old)
        return;
    m_cells.resize(rows);
    if (rows < old) {
        m_row = std::min(m_row, rows - 1);
        m_rowSel = std::min(m_rowSel, rows - 1);
        clampScroll();
    }
    contentChanged();
}

void MSFlexGrid::setCols(int cols)
{
    if (cols < 1)
        invalidCol();
    if (cols == m_cols)
        return;
    if (cols < m_cols) {
        // Dropped cells must not come back when the grid widens again.
        m_cells.truncateCols(cols);
        m_col = std::min(m_col, cols - 1);
        m_colSel = std::min(m_colSel, cols - 1);
    }
    m_cols = cols;
    m_colWidths.resize(size_t(cols), -1);
    clampScroll();
    contentChanged();
}

void MSFlexGrid::setRow(int row)
{
    if (row < 0 || row >= Rows())
        invalidRow();
    m_row = m_rowSel = row;
    m_colSel = m_col;
    scheduleRepaint();
}

void MSFlexGrid::setCol(int col)
{
    if (col < 0 || col >= m_cols)
        invalidCol();
    m_col = m_colSel = col;
    m_rowSel = m_row;
    scheduleRepaint();
}

void MSFlexGrid::setRowSel(int row)
{
    if (row < 0 || row >= Rows())
        invalidRow();
    m_rowSel = row;
    scheduleRepaint();
}

void MSFlexGrid::setColSel(int col)
{
    if (col < 0 || col >= m_cols)
        invalidCol();
    m_colSel = col;
    scheduleRepaint();
}

void MSFlexGrid::checkCell(int row, int col) const
{
    if (row < 0 || row >= Rows() || col < 0 || col >= m_cols)
        invalidIndex();
}

QString MSFlexGrid::textAt(int row, int col) const
{
    const std::string_view t = m_cells.cell(row, col);
    return t.empty() ? QString() : QString::fromUtf8(t.data(), qsizetype(t.size()));
}

QString MSFlexGrid::TextMatrix(int row, int col) const
{
    checkCell(row, col);
    return textAt(row, col);
}

std::string_view MSFlexGrid::encoded(QStringView text)
{
    // Into one reused buffer: no allocation per cell.
    QStringEncoder encoder(QStringEncoder::Utf8, QStringConverter::Flag::Stateless);
    m_utf8.resize(size_t(encoder.requiredSpace(text.size())));
    char *end = encoder.appendToBuffer(m_utf8.data(), text);
    return std::string_view(m_utf8.data(), size_t(end - m_utf8.data()));
}

void MSFlexGrid::releaseLongBuffer()
{
    if (m_utf8.size() > 4096)
        std::string().swap(m_utf8); // a long text does not keep its buffer
}

std::string_view MSFlexGrid::TextMatrixUtf8(int row, int col) const
{
    checkCell(row, col);
    return m_cells.cell(row, col);
}

void MSFlexGrid::setTextMatrix(int row, int col, const QString &text)
{
    checkCell(row, col);
    m_cells.setCell(row, col, encoded(text));
    releaseLongBuffer();
    cellChanged(row);
}

void MSFlexGrid::setTextMatrix(int row, int col, QString &&text) { setTextMatrix(row, col, std::as_const(text)); }

void MSFlexGrid::setTextMatrixUtf8(int row, int col, std::string_view utf8)
{
    checkCell(row, col);
    m_cells.setCell(row, col, utf8);
    cellChanged(row);
}

void MSFlexGrid::beginRow()
{
    m_cells.beginRow();
    m_appendCol = 0;
}

void MSFlexGrid::appendCellText(QStringView text)
{
    if (m_appendCol < m_cols) {
        m_cells.appendCell(encoded(text));
        releaseLongBuffer();
    }
    ++m_appendCol;
}

void MSFlexGrid::endRow()
{
    m_cells.endRow();
    contentChanged();
}

QString MSFlexGrid::Text() const { return TextMatrix(m_row, m_col); }
void MSFlexGrid::setText(const QString &text) { setTextMatrix(m_row, m_col, text); }

double MSFlexGrid::ColWidth(int col) const
{
    if (col < 0 || col >= m_cols)
        invalidIndex();
    const int w = m_colWidths[size_t(col)];
    return w < 0 ? DefaultColWidthTwips : w;
}

void MSFlexGrid::setColWidth(int col, double twips)
{
    if (col < 0 || col >= m_cols)
        invalidIndex();
    m_colWidths[size_t(col)] = twips < 0 ? -1 : int(std::lround(twips));
    clampScroll();
    contentChanged();
}

double MSFlexGrid::RowHeight(int row) const
{
    if (row < 0 || row >= Rows())
        invalidIndex();
    return toTwips(m_rowHeightPx);
}

int MSFlexGrid::colWidthPx(int col) const
{
    const int w = m_colWidths[size_t(col)];
    return w < 0 ? toPixels(DefaultColWidthTwips) : toPixels(w);
}

void MSFlexGrid::RemoveItem(int row)
{
    // The header row is not a list row: removing it would promote data to the header.
    if (row < 1 || row >= Rows())
        invalidRow();
    m_cells.remove(row);
    m_row = std::min(m_row, Rows() - 1);
    m_rowSel = std::min(m_rowSel, Rows() - 1);
    clampScroll();
    contentChanged();
}

void MSFlexGrid::setSort(int order)
{
    if (order < 1 || order > 4)
        throw PlatformError(ErrNo::InvalidProcedureCall, QStringLiteral("Invalid procedure call or argument"));
    // The selected rows; a selection of one row (Row = RowSel) stands for every data row.
    int first = std::max(1, std::min(m_row, m_rowSel));
    int last = std::max(m_row, m_rowSel);
    if (m_row == m_rowSel) {
        first = 1;
        last = Rows() - 1;
    }
    RowSort::byColumn(m_cells, first, last - first + 1, m_col, order >= 3, order == 2 || order == 4);
    scheduleRepaint();
}

void MSFlexGrid::sortRowsBy(int col, bool descending, const std::function<int64_t(std::string_view)> &keyOf)
{
    if (col < 0 || col >= m_cols)
        invalidCol();
    RowSort::byNumber(m_cells, 1, Rows() - 1, col, descending, keyOf);
    scheduleRepaint();
}

// ---- fonts ----

void MSFlexGrid::applyFont()
{
    // Pixel size at the classic 96 dpi, as the text measuring of the windows does, so the
    // measured column widths fit the drawn texts on any screen.
    QFont f(m_fontName);
    f.setPixelSize(std::max(1, int(std::lround(m_fontSize * 96.0 / 72.0))));
    f.setBold(m_fontBold);
    m_drawFont = f;
    setFont(f);
    m_rowHeightPx = std::max(16, QFontMetrics(f).height() + 3);
    clampScroll();
    contentChanged();
}

void MSFlexGrid::setFontName(const QString &name)
{
    m_fontName = name;
    applyFont();
}

void MSFlexGrid::setFontSize(double points)
{
    if (points <= 0)
        throw PlatformError(ErrNo::InvalidProcedureCall, QStringLiteral("Invalid procedure call or argument"));
    m_fontSize = points;
    applyFont();
}

void MSFlexGrid::setFontBold(bool bold)
{
    m_fontBold = bold;
    applyFont();
}

// ---- geometry and scrolling ----

MSFlexGrid::Layout MSFlexGrid::layout() const
{
    // The viewport the scroll area will lay out, computed from the widget size so that the
    // answers hold before the grid is first shown as well.
    const QRect cr = contentsRect();
    const int w = cr.width(), h = cr.height();
    const int sbw = verticalScrollBar()->sizeHint().width();
    const int sbh = horizontalScrollBar()->sizeHint().height();
    const long long totalH = (long long)m_rowHeightPx * Rows();
    long long totalW = 0;
    for (int c = 0; c < m_cols; ++c)
        totalW += colWidthPx(c);
    Layout l;
    l.vbar = totalH > h;
    l.hbar = totalW > w - (l.vbar ? sbw : 0);
    if (l.hbar && !l.vbar)
        l.vbar = totalH > h - sbh;
    l.viewWidth = std::max(0, w - (l.vbar ? sbw : 0));
    l.viewHeight = std::max(0, h - (l.hbar ? sbh : 0));
    return l;
}

int MSFlexGrid::fullyVisibleDataRows(const Layout &l) const
{
    return std::max(1, (l.viewHeight - m_rowHeightPx) / m_rowHeightPx);
}

int MSFlexGrid::maxTopRow(const Layout &l) const { return std::max(1, Rows() - fullyVisibleDataRows(l)); }

int MSFlexGrid::maxLeftCol(const Layout &l) const
{
    long long sum = 0;
    for (int c = m_cols - 1; c >= 0; --c) {
        sum += colWidthPx(c);
        if (sum > l.viewWidth)
            return std::min(c + 1, m_cols - 1);
    }
    return 0;
}

void MSFlexGrid::clampScroll()
{
    const Layout l = layout();
    m_topRow = std::clamp(m_topRow, 1, maxTopRow(l));
    m_leftCol = std::clamp(m_leftCol, 0, maxLeftCol(l));
}

void MSFlexGrid::setTopRow(int row)
{
    // Past the last scroll position (or past the last row) shows the last rows; before the
    // first data row shows the first one.
    m_topRow = std::clamp(row, 1, maxTopRow(layout()));
    syncScrollBars();
    scheduleRepaint();
}

void MSFlexGrid::setLeftCol(int col)
{
    m_leftCol = std::clamp(col, 0, maxLeftCol(layout()));
    syncScrollBars();
    scheduleRepaint();
}

int MSFlexGrid::TopRow() const
{
    // Clamped on reading too: a hidden grid gets no resize events to re-clamp it.
    return std::clamp(m_topRow, 1, maxTopRow(layout()));
}

int MSFlexGrid::LeftCol() const { return std::clamp(m_leftCol, 0, maxLeftCol(layout())); }

bool MSFlexGrid::RowIsVisible(int row) const
{
    if (row < 0 || row >= Rows())
        return false;
    const Layout l = layout();
    if (row == 0)
        return l.viewHeight > 0;
    if (row < TopRow())
        return false;
    const long long top = (long long)m_rowHeightPx * (1 + row - TopRow());
    return top < l.viewHeight;
}

void MSFlexGrid::contentChanged()
{
    if (!m_syncQueued) {
        m_syncQueued = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                m_syncQueued = false;
                syncScrollBars();
            },
            Qt::QueuedConnection);
    }
    scheduleRepaint();
}

void MSFlexGrid::cellChanged(int row)
{
    // Cheap on purpose: a list refilled while on screen writes every cell through here. The
    // stored top row is never above the shown one, so every row on screen passes the test.
    if (isVisible() && row <= m_topRow + viewport()->height() / m_rowHeightPx)
        viewport()->update();
}

void MSFlexGrid::scheduleRepaint()
{
    if (isVisible())
        viewport()->update();
}

void MSFlexGrid::syncScrollBars()
{
    if (m_syncing)
        return;
    m_syncing = true;
    const Layout l = layout();
    m_topRow = std::clamp(m_topRow, 1, maxTopRow(l));
    m_leftCol = std::clamp(m_leftCol, 0, maxLeftCol(l));
    const Qt::ScrollBarPolicy vp = l.vbar ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff;
    const Qt::ScrollBarPolicy hp = l.hbar ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff;
    if (verticalScrollBarPolicy() != vp)
        setVerticalScrollBarPolicy(vp);
    if (horizontalScrollBarPolicy() != hp)
        setHorizontalScrollBarPolicy(hp);
    QScrollBar *vb = verticalScrollBar();
    vb->setRange(1, maxTopRow(l));
    vb->setPageStep(fullyVisibleDataRows(l));
    vb->setSingleStep(1);
    vb->setValue(m_topRow);
    QScrollBar *hb = horizontalScrollBar();
    hb->setRange(0, maxLeftCol(l));
    hb->setPageStep(1);
    hb->setSingleStep(1);
    hb->setValue(m_leftCol);
    m_syncing = false;
}

void MSFlexGrid::scrollContentsBy(int, int)
{
    if (m_syncing)
        return;
    m_topRow = verticalScrollBar()->value();
    m_leftCol = horizontalScrollBar()->value();
    viewport()->update();
}

void MSFlexGrid::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    syncScrollBars();
}

void MSFlexGrid::showEvent(QShowEvent *event)
{
    QAbstractScrollArea::showEvent(event);
    syncScrollBars();
}

void MSFlexGrid::changeEvent(QEvent *event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::StyleChange)
        contentChanged();
}

int MSFlexGrid::rowAt(int y) const
{
    if (y < 0)
        return -1;
    if (y < m_rowHeightPx)
        return 0;
    const long long r = TopRow() + (y - m_rowHeightPx) / m_rowHeightPx;
    return r < Rows() ? int(r) : -1;
}

int MSFlexGrid::colAt(int x) const
{
    if (x < 0)
        return -1;
    int left = 0;
    for (int c = LeftCol(); c < m_cols; ++c) {
        const int w = colWidthPx(c);
        if (w > 0 && x < left + w)
            return c;
        left += w;
    }
    return -1;
}

QPoint MSFlexGrid::cellCenter(int row, int col) const
{
    const int left = LeftCol();
    int x = 0;
    if (col >= left) {
        for (int c = left; c < col; ++c)
            x += colWidthPx(c);
    } else {
        for (int c = col; c < left; ++c)
            x -= colWidthPx(c);
    }
    x += colWidthPx(col) / 2;
    const int y = row == 0 ? m_rowHeightPx / 2 : m_rowHeightPx * (1 + row - TopRow()) + m_rowHeightPx / 2;
    return {x, y};
}

void MSFlexGrid::ensureRowVisible(int row)
{
    if (row < 1)
        return;
    const int fit = fullyVisibleDataRows(layout());
    if (row < TopRow())
        setTopRow(row);
    else if (row >= TopRow() + fit)
        setTopRow(row - fit + 1);
}

// ---- painting ----

namespace {
// A cell's text within its rectangle: numbers to the right (not in the header), other texts to
// the left on one line, cut with an ellipsis where the column ends.
void paintCellText(QPainter &p, const QFontMetrics &fm, const QRect &r, const QString &text, bool header)
{
    if (text.isEmpty())
        return;
    const QRect tr = r.adjusted(3, 0, -3, 0);
    if (!header && NumberRule::isNumber(text)) {
        p.drawText(tr, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, text);
    } else {
        QString t = text;
        t.replace(QLatin1Char('\n'), QLatin1Char(' ')).remove(QLatin1Char('\r'));
        p.drawText(tr, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                   fm.elidedText(t, Qt::ElideRight, tr.width()));
    }
}
}

std::vector<MSFlexGrid::PaintedCol> MSFlexGrid::paintedColumns() const
{
    std::vector<PaintedCol> cols;
    const int width = viewport()->width();
    int x = 0;
    for (int c = LeftCol(); c < m_cols && x < width; ++c) {
        const int w = colWidthPx(c);
        if (w <= 0)
            continue;
        cols.push_back({c, x, w});
        x += w;
    }
    return cols;
}

bool MSFlexGrid::selectionSpansCells() const { return m_row != m_rowSel || m_col != m_colSel; }

void MSFlexGrid::paintEvent(QPaintEvent *)
{
    QPainter p(viewport());
    p.setFont(m_drawFont);
    const std::vector<PaintedCol> cols = paintedColumns();
    paintMargins(p, cols);
    paintHeaderRow(p, cols);
    paintDataRows(p, cols);
    // The current cell carries the focus frame while the grid has the focus.
    if (hasFocus())
        paintFocusFrame(p, cols);
}

void MSFlexGrid::paintMargins(QPainter &p, const std::vector<PaintedCol> &cols) const
{
    // Right of the last column and below the last row.
    const int vw = viewport()->width(), vh = viewport()->height(), rh = m_rowHeightPx;
    const int top = TopRow();
    const int right = cols.empty() ? 0 : cols.back().x + cols.back().w;
    const int lastRow = std::min(Rows() - 1, top + (vh - rh) / rh + 1);
    const int bottom = rh + std::max(0, lastRow - top + 1) * rh;
    const QColor background = palette().color(QPalette::Mid);
    if (right < vw)
        p.fillRect(right, 0, vw - right, vh, background);
    if (bottom < vh)
        p.fillRect(0, bottom, right, vh - bottom, background);
}

void MSFlexGrid::paintHeaderRow(QPainter &p, const std::vector<PaintedCol> &cols) const
{
    // Raised cells that do not scroll vertically.
    const QPalette &pal = palette();
    const QColor background = pal.color(QPalette::Button);
    const QColor text = pal.color(QPalette::ButtonText);
    const QColor light = pal.color(QPalette::Light);
    const QColor dark = pal.color(QPalette::Dark);
    const QFontMetrics fm(m_drawFont);
    for (const PaintedCol &pc : cols) {
        const QRect r(pc.x, 0, pc.w, m_rowHeightPx);
        p.fillRect(r, background);
        p.setPen(light);
        p.drawLine(r.topLeft(), r.topRight());
        p.drawLine(r.topLeft(), r.bottomLeft());
        p.setPen(dark);
        p.drawLine(r.bottomLeft(), r.bottomRight());
        p.drawLine(r.topRight(), r.bottomRight());
        p.setPen(text);
        paintCellText(p, fm, r, textAt(0, pc.col), true);
    }
}

void MSFlexGrid::paintDataRows(QPainter &p, const std::vector<PaintedCol> &cols) const
{
    const QPalette &pal = palette();
    const QColor cellBg = pal.color(QPalette::Base);
    const QColor cellText = pal.color(QPalette::Text);
    const QColor selBg = pal.color(QPalette::Highlight);
    const QColor selText = pal.color(QPalette::HighlightedText);
    const QColor gridLine(0xC0, 0xC0, 0xC0);
    const QFontMetrics fm(m_drawFont);
    // A selection of one cell is the current cell alone, drawn as any other.
    const bool spans = selectionSpansCells();
    const int r0 = std::min(m_row, m_rowSel), r1 = std::max(m_row, m_rowSel);
    const int c0 = std::min(m_col, m_colSel), c1 = std::max(m_col, m_colSel);
    const int vh = viewport()->height(), rh = m_rowHeightPx;
    int y = rh;
    for (int row = TopRow(); row < Rows() && y < vh; ++row, y += rh) {
        const bool rowSelected = spans && row >= r0 && row <= r1;
        for (const PaintedCol &pc : cols) {
            const QRect r(pc.x, y, pc.w, rh);
            const bool selected = rowSelected && pc.col >= c0 && pc.col <= c1;
            p.fillRect(r, selected ? selBg : cellBg);
            p.setPen(gridLine);
            p.drawLine(r.bottomLeft(), r.bottomRight());
            p.drawLine(r.topRight(), r.bottomRight());
            p.setPen(selected ? selText : cellText);
            paintCellText(p, fm, r, textAt(row, pc.col), false);
        }
    }
}

void MSFlexGrid::paintFocusFrame(QPainter &p, const std::vector<PaintedCol> &cols) const
{
    const int top = TopRow();
    if (m_row < top || m_row < 1)
        return;
    const int y = m_rowHeightPx * (1 + m_row - top);
    if (y >= viewport()->height())
        return;
    QPen pen(palette().color(selectionSpansCells() ? QPalette::HighlightedText : QPalette::Text));
    pen.setStyle(Qt::DotLine);
    for (const PaintedCol &pc : cols) {
        if (pc.col != m_col)
            continue;
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRect(pc.x + 1, y + 1, pc.w - 3, m_rowHeightPx - 3));
    }
}

// ---- mouse and keyboard ----

bool MSFlexGrid::selectCellAsClick(int row, int col)
{
    const Selection before = selection();
    if (row == 0) {
        // A header click selects the column's data rows.
        const bool data = Rows() > 1;
        m_row = data ? 1 : 0;
        m_rowSel = data ? Rows() - 1 : 0;
    } else {
        m_row = m_rowSel = row;
        ensureRowVisible(row);
    }
    m_col = m_colSel = col;
    scheduleRepaint();
    return !(selection() == before);
}

void MSFlexGrid::pressCell(int row, int col, const QPoint &pos, int button, int shift)
{
    QPointer<MSFlexGrid> self(this);
    const bool changed = row >= 0 && col >= 0 && selectCellAsClick(row, col);
    emit MouseDown(button, shift, toTwips(pos.x()), toTwips(pos.y()));
    // After MouseDown: a header-click handler must still see the clicked column as Col.
    if (self && changed)
        emit SelChange();
}

void MSFlexGrid::releaseAt(const QPoint &pos, int button, int shift)
{
    emit MouseUp(button, shift, toTwips(pos.x()), toTwips(pos.y()));
}

void MSFlexGrid::doubleClickCell(int row, int col)
{
    QPointer<MSFlexGrid> self(this);
    if (row >= 0 && col >= 0 && selectCellAsClick(row, col)) {
        emit SelChange();
        if (!self)
            return;
    }
    emit DblClick();
}

void MSFlexGrid::simulateMouseDown(int row, int col, int button, int shift)
{
    checkCell(row, col);
    pressCell(row, col, cellCenter(row, col), button, shift);
}

void MSFlexGrid::simulateMouseUp(int row, int col, int button, int shift)
{
    checkCell(row, col);
    releaseAt(cellCenter(row, col), button, shift);
}

void MSFlexGrid::simulateDblClick(int row, int col)
{
    checkCell(row, col);
    doubleClickCell(row, col);
}

void MSFlexGrid::mousePressEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    const int row = rowAt(pos.y());
    const int col = row >= 0 ? colAt(pos.x()) : -1;
    m_dragging = event->button() == Qt::LeftButton && row >= 1 && col >= 0;
    pressCell(col >= 0 ? row : -1, col, pos, buttonCode(event->button()), shiftState(event->modifiers()));
    event->accept();
}

void MSFlexGrid::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_dragging || !(event->buttons() & Qt::LeftButton))
        return;
    const QPoint pos = event->position().toPoint();
    const int row = rowAt(pos.y());
    const int col = colAt(pos.x());
    if (row < 1 || col < 0 || (row == m_rowSel && col == m_colSel))
        return;
    m_rowSel = row;
    m_colSel = col;
    scheduleRepaint();
    emit SelChange();
}

void MSFlexGrid::mouseReleaseEvent(QMouseEvent *event)
{
    m_dragging = false;
    releaseAt(event->position().toPoint(), buttonCode(event->button()), shiftState(event->modifiers()));
    event->accept();
}

void MSFlexGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    const int row = rowAt(pos.y());
    const int col = row >= 0 ? colAt(pos.x()) : -1;
    doubleClickCell(col >= 0 ? row : -1, col);
    event->accept();
}

void MSFlexGrid::wheelEvent(QWheelEvent *event)
{
    // The grid does not scroll with the wheel by itself: its window's wheel hook does that.
    event->ignore();
}

void MSFlexGrid::moveCurrentRow(int row, int col)
{
    if (row == m_row && col == m_col && m_rowSel == row && m_colSel == col)
        return;
    m_row = m_rowSel = row;
    m_col = m_colSel = col;
    ensureRowVisible(row);
    if (col < LeftCol())
        setLeftCol(col);
    scheduleRepaint();
    emit SelChange();
}

void MSFlexGrid::keyPressEvent(QKeyEvent *event)
{
    QPointer<MSFlexGrid> self(this);
    emit KeyDown(virtualKey(event), shiftState(event->modifiers()));
    if (!self)
        return;
    const int last = Rows() - 1;
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    const int page = fullyVisibleDataRows(layout());
    int row = m_row, col = m_col;
    auto nextVisibleCol = [this](int from, int step) {
        for (int c = from + step; c >= 0 && c < m_cols; c += step)
            if (colWidthPx(c) > 0)
                return c;
        return from;
    };
    switch (event->key()) {
    case Qt::Key_Up:
        row = std::max(1, row - 1);
        break;
    case Qt::Key_Down:
        row = std::min(last, std::max(1, row + 1));
        break;
    case Qt::Key_PageUp:
        row = std::max(1, row - page);
        break;
    case Qt::Key_PageDown:
        row = std::min(last, std::max(1, row + page));
        break;
    case Qt::Key_Home:
        if (ctrl)
            row = 1;
        else
            col = nextVisibleCol(-1, 1);
        break;
    case Qt::Key_End:
        if (ctrl)
            row = last;
        else
            col = nextVisibleCol(m_cols, -1);
        break;
    case Qt::Key_Left:
        col = nextVisibleCol(col, -1);
        break;
    case Qt::Key_Right:
        col = nextVisibleCol(col, 1);
        break;
    default:
        event->ignore();
        return;
    }
    event->accept();
    if (last < 1)
        return;
    moveCurrentRow(std::clamp(row, 1, last), std::clamp(col, 0, m_cols - 1));
}

void MSFlexGrid::keyReleaseEvent(QKeyEvent *event)
{
    emit KeyUp(virtualKey(event), shiftState(event->modifiers()));
    event->ignore();
}
