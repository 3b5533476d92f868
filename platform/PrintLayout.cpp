#include "platform/PrintLayout.h"
#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QPainter>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextTable>
#include <algorithm>
#include <functional>
#include <numeric>
#include <optional>

namespace {
// The text of a stand-in's cells, which tells it from a table of the page.
constexpr char16_t kStandInMark = 0xE000;
// Lets a text measured to the width it is given be laid out in that width.
constexpr qreal kSlack = 0.01;

struct CellStyle {
    QFont font;
    QFontMetricsF metrics{QFont()};
    QColor color = Qt::black;
    QBrush background;
    QBrush border;
    // Padding, and the paragraph's side margins, inside the border.
    qreal left = 0, right = 0, top = 0, bottom = 0;
    Qt::Alignment align = Qt::AlignLeft;
};

bool isSpace(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r')
           || c == QLatin1Char('\f');
}

// One character reference at the start of `s` ("&lt;", "&#233;", "&euro;"), read as the
// rich-text engine reads it; nothing for a bare "&".
std::optional<std::pair<QString, qsizetype>> entityAt(QStringView s)
{
    const qsizetype semi = s.indexOf(QLatin1Char(';'));
    if (semi < 2 || semi > 10)
        return std::nullopt;
    const QStringView name = s.mid(1, semi - 1);
    for (QChar c : name)
        if (!c.isLetterOrNumber() && c != QLatin1Char('#'))
            return std::nullopt;
    static const std::pair<const char *, char16_t> common[] = {{"lt", u'<'},   {"gt", u'>'},    {"amp", u'&'},
                                                               {"quot", u'"'}, {"apos", u'\''}, {"nbsp", u'\u00a0'}};
    for (const auto &[n, c] : common)
        if (name == QLatin1String(n))
            return std::pair{QString(QChar(c)), semi + 1};
    if (name.startsWith(QLatin1Char('#'))) {
        bool ok = false;
        const bool hex = name.size() > 1 && (name[1] == QLatin1Char('x') || name[1] == QLatin1Char('X'));
        const uint code = name.mid(hex ? 2 : 1).toUInt(&ok, hex ? 16 : 10);
        if (!ok || code == 0 || code > 0x10FFFF)
            return std::nullopt;
        const char32_t c = code;
        return std::pair{QString::fromUcs4(&c, 1), semi + 1};
    }
    const QString read = QTextDocumentFragment::fromHtml(s.left(semi + 1).toString()).toRawText();
    if (read.isEmpty() || read.startsWith(QLatin1Char('&')))
        return std::nullopt;
    return std::pair{read, semi + 1};
}

// A cell's text as shown: runs of blanks made one, none at either end, references read.
QString shownText(QStringView raw)
{
    QString out;
    out.reserve(raw.size());
    bool blank = false;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const QChar c = raw[i];
        if (isSpace(c)) {
            blank = !out.isEmpty();
            continue;
        }
        if (blank)
            out += QLatin1Char(' ');
        blank = false;
        if (c == QLatin1Char('&')) {
            if (const auto entity = entityAt(raw.mid(i))) {
                out += entity->first;
                i += entity->second - 1;
                continue;
            }
        }
        out += c;
    }
    return out;
}

// The end of the table starting at `start` (past its closing tag), or -1 when it is not closed.
qsizetype tableEnd(QStringView html, qsizetype start)
{
    int depth = 0;
    qsizetype pos = start;
    while (true) {
        const qsizetype open = html.indexOf(QLatin1String("<table"), pos, Qt::CaseInsensitive);
        const qsizetype close = html.indexOf(QLatin1String("</table"), pos, Qt::CaseInsensitive);
        if (close < 0)
            return -1;
        if (open >= 0 && open < close) {
            ++depth;
            pos = open + 6;
            continue;
        }
        const qsizetype end = html.indexOf(QLatin1Char('>'), close);
        if (end < 0)
            return -1;
        if (--depth == 0)
            return end + 1;
        pos = end + 1;
    }
}

// The lines of a cell's text in a width: wrapped only between words, so a word wider than the
// width stands alone on its line, whole.
QStringList wrapLines(const QString &text, const QFontMetricsF &metrics, qreal width, qreal natural)
{
    if (natural <= width + kSlack || !text.contains(QLatin1Char(' ')))
        return {text};
    QStringList lines;
    QString line;
    for (const QString &word : text.split(QLatin1Char(' '))) {
        if (line.isEmpty()) {
            line = word;
            continue;
        }
        const QString longer = line + QLatin1Char(' ') + word;
        if (metrics.horizontalAdvance(longer) <= width + kSlack) {
            line = longer;
        } else {
            lines << line;
            line = word;
        }
    }
    lines << line;
    return lines;
}

qreal widestWord(const QString &text, const QFontMetricsF &metrics, qreal natural)
{
    if (!text.contains(QLatin1Char(' ')))
        return natural;
    qreal widest = 0;
    for (const QString &word : text.split(QLatin1Char(' ')))
        widest = std::max(widest, metrics.horizontalAdvance(word));
    return widest;
}

void drawLine(QPainter *painter, const QString &line, const CellStyle &style, QPointF at, qreal width)
{
    // Laid out as the rich-text engine lays text out, so it prints at the page's scale.
    QTextLayout layout(line, style.font);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine l = layout.createLine();
    l.setLineWidth(width);
    layout.endLayout();
    qreal dx = 0;
    if (style.align & Qt::AlignHCenter)
        dx = (width - l.naturalTextWidth()) / 2;
    else if (style.align & Qt::AlignRight)
        dx = width - l.naturalTextWidth();
    layout.draw(painter, at + QPointF(std::max<qreal>(0, dx), 0));
}
}

struct PrintLayout::Table {
    int columns = 0;
    int headingRows = 0;
    std::vector<int> rowStart; // each row's first cell, then the end
    std::vector<QString> text;
    std::vector<bool> heading;
    std::vector<qreal> natural; // each cell's text on one line
    CellStyle style[2];         // data cells, heading cells
    qreal border = 0, spacing = 0;
    bool collapse = false;
    // Each column's width inside its borders: for its texts on one line, for its longest words.
    std::vector<qreal> naturalWidths, leastWidths;
    // Settled by the layout: where the table and its columns start, how wide they are (the
    // columns inside their borders), and each row's height inside its borders.
    qreal left = 0, tableWidth = 0;
    std::vector<qreal> columnX, widths;
    std::vector<qreal> heights;

    int rows() const { return int(rowStart.size()) - 1; }
    const CellStyle &styleOf(size_t cell) const { return style[heading[cell] ? 1 : 0]; }
    qreal hInset(size_t cell) const { return styleOf(cell).left + styleOf(cell).right; }
    qreal vInset(size_t cell) const { return styleOf(cell).top + styleOf(cell).bottom; }
    // The room around the columns: borders, and the spacing of separate borders.
    qreal frame() const { return collapse ? (columns + 1) * border : columns * 2 * border + (columns + 1) * spacing; }
    qreal lead() const { return collapse ? 0 : spacing; }
    qreal box(int row) const { return heights[size_t(row)] + 2 * border; }
    qreal step(int row) const { return collapse ? heights[size_t(row)] + border : box(row) + spacing; }
    qreal tail() const { return collapse ? border : 0; }
    qreal contentWidth(size_t cell, int column) const { return widths[size_t(column)] - hInset(cell); }

    bool parse(QStringView html);
    void measure();
    void fit(qreal room);
    void paint(QPainter *painter, int row, qreal top) const;
};

// A table of text cells only: rows of <th> and <td> without attributes, nothing but blanks
// between them. Anything else is left to the rich-text engine.
bool PrintLayout::Table::parse(QStringView html)
{
    qsizetype pos = html.indexOf(QLatin1Char('>')) + 1;
    const qsizetype end = html.lastIndexOf(QLatin1String("</table"), -1, Qt::CaseInsensitive);
    bool inRow = false;
    rowStart.push_back(0);
    while (pos < end) {
        const qsizetype lt = html.indexOf(QLatin1Char('<'), pos);
        for (qsizetype i = pos; i < lt; ++i)
            if (!isSpace(html[i]))
                return false;
        const qsizetype gt = html.indexOf(QLatin1Char('>'), lt);
        if (gt < 0 || gt >= end)
            return false;
        const QStringView tag = html.mid(lt + 1, gt - lt - 1).trimmed();
        pos = gt + 1;
        if (tag.compare(QLatin1String("tr"), Qt::CaseInsensitive) == 0 && !inRow) {
            inRow = true;
        } else if (tag.compare(QLatin1String("/tr"), Qt::CaseInsensitive) == 0 && inRow) {
            inRow = false;
            const int cells = int(text.size()) - rowStart.back();
            if (cells > 0)
                rowStart.push_back(int(text.size()));
            columns = std::max(columns, cells);
        } else if (inRow
                   && (tag.compare(QLatin1String("th"), Qt::CaseInsensitive) == 0
                       || tag.compare(QLatin1String("td"), Qt::CaseInsensitive) == 0)) {
            const qsizetype close = html.indexOf(QLatin1Char('<'), pos);
            if (close < 0)
                return false;
            const QStringView closing = html.mid(close, 5);
            if (closing.size() < 5 || closing.left(2) != QLatin1String("</")
                || closing.mid(2, 2).compare(tag, Qt::CaseInsensitive) != 0 || closing[4] != QLatin1Char('>'))
                return false;
            text.push_back(shownText(html.mid(pos, close - pos)));
            heading.push_back(tag[1].toLower() == QLatin1Char('h'));
            pos = close + 5;
        } else {
            return false;
        }
    }
    if (inRow || rows() == 0)
        return false;
    while (headingRows < rows()) {
        const auto first = heading.begin() + rowStart[size_t(headingRows)];
        if (!std::all_of(first, heading.begin() + rowStart[size_t(headingRows) + 1], [](bool h) { return h; }))
            break;
        ++headingRows;
    }
    return true;
}

void PrintLayout::Table::measure()
{
    naturalWidths.assign(size_t(columns), 0);
    leastWidths.assign(size_t(columns), 0);
    natural.resize(text.size());
    for (int r = 0; r < rows(); ++r) {
        for (int i = rowStart[size_t(r)]; i < rowStart[size_t(r) + 1]; ++i) {
            const size_t cell = size_t(i), c = size_t(i - rowStart[size_t(r)]);
            const QFontMetricsF &fm = styleOf(cell).metrics;
            natural[cell] = fm.horizontalAdvance(text[cell]);
            naturalWidths[c] = std::max(naturalWidths[c], natural[cell] + hInset(cell));
            if (natural[cell] + hInset(cell) > leastWidths[c])
                leastWidths[c] = std::max(leastWidths[c], widestWord(text[cell], fm, natural[cell]) + hInset(cell));
        }
    }
}

// Columns for a room: their one-line widths when they fit, their longest words when not even
// those fit, else each its longest word and a share of the rest as wide as it asks for more.
void PrintLayout::Table::fit(qreal available)
{
    auto sum = [](const std::vector<qreal> &v) { return std::accumulate(v.begin(), v.end(), qreal(0)); };
    const qreal inner = available - frame();
    const qreal naturalSum = sum(naturalWidths), minSum = sum(leastWidths);
    if (naturalSum <= inner) {
        widths = naturalWidths;
    } else if (minSum >= inner) {
        widths = leastWidths;
    } else {
        widths.resize(size_t(columns));
        const qreal share = (inner - minSum) / (naturalSum - minSum);
        for (size_t c = 0; c < size_t(columns); ++c)
            widths[c] = leastWidths[c] + (naturalWidths[c] - leastWidths[c]) * share;
    }
    columnX.resize(size_t(columns));
    qreal x = lead();
    for (size_t c = 0; c < size_t(columns); ++c) {
        columnX[c] = x;
        x += collapse ? widths[c] + border : widths[c] + 2 * border + spacing;
    }
    tableWidth = sum(widths) + frame();
    heights.assign(size_t(rows()), 0);
    for (int r = 0; r < rows(); ++r)
        for (int i = rowStart[size_t(r)]; i < rowStart[size_t(r) + 1]; ++i) {
            const size_t cell = size_t(i);
            const int c = i - rowStart[size_t(r)];
            const CellStyle &s = styleOf(cell);
            const qreal room = contentWidth(cell, c);
            const qreal lines =
                natural[cell] <= room + kSlack ? 1 : wrapLines(text[cell], s.metrics, room, natural[cell]).size();
            heights[size_t(r)] = std::max(heights[size_t(r)], lines * s.metrics.height() + vInset(cell));
        }
}

void PrintLayout::Table::paint(QPainter *painter, int row, qreal top) const
{
    for (int i = rowStart[size_t(row)]; i < rowStart[size_t(row) + 1]; ++i) {
        const size_t cell = size_t(i);
        const int c = i - rowStart[size_t(row)];
        const CellStyle &s = styleOf(cell);
        const QRectF outer(left + columnX[size_t(c)], top, widths[size_t(c)] + 2 * border,
                           heights[size_t(row)] + 2 * border);
        const QRectF inner = outer.adjusted(border, border, -border, -border);
        if (s.background.style() != Qt::NoBrush)
            painter->fillRect(inner, s.background);
        if (border > 0 && s.border.style() != Qt::NoBrush) {
            // Stroked, not filled: a line keeps at least a device pixel on a sheet seen small.
            QPen pen(s.border, border);
            pen.setJoinStyle(Qt::MiterJoin);
            painter->setPen(pen);
            painter->setBrush(Qt::NoBrush);
            painter->drawRect(outer.adjusted(border / 2, border / 2, -border / 2, -border / 2));
        }
        painter->setPen(s.color);
        const qreal room = contentWidth(cell, c);
        QPointF at(inner.left() + s.left, inner.top() + s.top);
        for (const QString &line : wrapLines(text[cell], s.metrics, room, natural[cell])) {
            drawLine(painter, line, s, at, room);
            at.ry() += s.metrics.height();
        }
    }
}

namespace {
// How the rich-text engine dresses a cell of a table: the stand-in's cell in that column.
CellStyle readCellStyle(const QTextDocument &doc, const QTextTable *table, int column, qreal *border)
{
    const QTextTableFormat tf = table->format();
    const QTextTableCell cell = table->cellAt(0, column);
    const QTextTableCellFormat cf = cell.format().toTableCellFormat();
    const QTextBlock block = cell.firstCursorPosition().block();
    const QTextBlockFormat bf = block.blockFormat();
    const QTextCharFormat ch = block.begin().fragment().charFormat();
    CellStyle s;
    s.font = ch.font().resolve(doc.defaultFont());
    s.metrics = QFontMetricsF(s.font);
    if (ch.hasProperty(QTextFormat::ForegroundBrush))
        s.color = ch.foreground().color();
    s.background = cf.background();
    auto own = [&](int property, qreal value, qreal otherwise) { return cf.hasProperty(property) ? value : otherwise; };
    s.left = own(QTextFormat::TableCellLeftPadding, cf.leftPadding(), tf.cellPadding()) + bf.leftMargin();
    s.right = own(QTextFormat::TableCellRightPadding, cf.rightPadding(), tf.cellPadding()) + bf.rightMargin();
    // The engine lets a cell's padding stand for its paragraph's top and bottom margins.
    s.top = own(QTextFormat::TableCellTopPadding, cf.topPadding(), tf.cellPadding());
    s.bottom = own(QTextFormat::TableCellBottomPadding, cf.bottomPadding(), tf.cellPadding());
    s.border = cf.hasProperty(QTextFormat::TableCellLeftBorderBrush) ? cf.leftBorderBrush() : tf.borderBrush();
    *border = std::max(*border, own(QTextFormat::TableCellLeftBorder, cf.leftBorder(), tf.border()));
    s.align = bf.alignment();
    return s;
}

bool isStandIn(const QTextTable *table)
{
    return table->rows() == 1 && table->columns() == 2
           && table->cellAt(0, 0).firstCursorPosition().block().text() == QString(QChar(kStandInMark));
}

// A stand-in keeps its place in the page but shows nothing: its table is painted in its stead.
void blank(QTextTable *table)
{
    QTextTableFormat tf = table->format();
    tf.setBorder(0);
    tf.setBorderBrush(Qt::NoBrush);
    table->setFormat(tf);
    for (int c = 0; c < table->columns(); ++c) {
        QTextTableCell cell = table->cellAt(0, c);
        QTextTableCellFormat cf = cell.format().toTableCellFormat();
        cf.setBorder(0);
        cf.setBorderBrush(Qt::NoBrush);
        cf.setBackground(Qt::NoBrush);
        cell.setFormat(cf);
        QTextCursor text = cell.firstCursorPosition();
        text.setPosition(cell.lastCursorPosition().position(), QTextCursor::KeepAnchor);
        QTextCharFormat invisible;
        invisible.setForeground(Qt::transparent);
        invisible.setBackground(Qt::NoBrush);
        text.mergeCharFormat(invisible);
    }
}

void forEachTable(QTextFrame *frame, const std::function<void(QTextTable *)> &f)
{
    for (QTextFrame *child : frame->childFrames()) {
        if (auto *table = qobject_cast<QTextTable *>(child))
            f(table);
        forEachTable(child, f);
    }
}
}

QString PrintLayout::displayHtml(const QString &html)
{
    // A browser gives a row without cells no height; the rich-text engine leaves a gap.
    static const QRegularExpression emptyRow(QStringLiteral("<tr\\s*>\\s*</tr\\s*>"),
                                             QRegularExpression::CaseInsensitiveOption);
    // Heading lines end in a "</p>" with no paragraph open. A browser breaks the line there;
    // the rich-text engine drops the tag and runs the headings together.
    static const QRegularExpression tag(QStringLiteral("<\\s*(/?)\\s*([A-Za-z][A-Za-z0-9]*)[^>]*>"));
    static const QRegularExpression closesParagraph(
        QStringLiteral("^(p|table|div|h[1-6]|ul|ol|pre|blockquote|hr|body|html)$"),
        QRegularExpression::CaseInsensitiveOption);

    QString src = html;
    src.replace(emptyRow, QString());

    QString out;
    out.reserve(src.size() + 64);
    bool paragraphOpen = false;
    qsizetype pos = 0;
    auto it = tag.globalMatch(src);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        out += QStringView(src).mid(pos, m.capturedStart() - pos);
        pos = m.capturedEnd();
        const bool closing = !m.captured(1).isEmpty();
        const QString name = m.captured(2).toLower();
        if (name == QLatin1String("p") && closing) {
            out += paragraphOpen ? m.captured(0) : QStringLiteral("<br>");
            paragraphOpen = false;
            continue;
        }
        if (!closing && closesParagraph.match(name).hasMatch())
            paragraphOpen = name == QLatin1String("p");
        out += m.captured(0);
    }
    out += QStringView(src).mid(pos);
    return out;
}

PrintLayout::PrintLayout(const QString &html) : m_doc(std::make_unique<QTextDocument>())
{
    const QStringView page(html);
    qsizetype pos = 0;
    while (true) {
        const qsizetype start = page.indexOf(QLatin1String("<table"), pos, Qt::CaseInsensitive);
        const qsizetype end = start < 0 ? -1 : tableEnd(page, start);
        if (end < 0)
            break;
        m_page += page.mid(pos, start - pos);
        auto table = std::make_unique<Table>();
        if (table->parse(page.mid(start, end - start))) {
            m_page += page.mid(start, page.indexOf(QLatin1Char('>'), start) + 1 - start);
            m_page += QStringLiteral("<tr><td>&#xE000;</td><th>&#xE000;</th></tr></table>");
            m_tables.push_back(std::move(table));
        } else {
            m_page += page.mid(start, end - start);
        }
        pos = end;
    }
    m_page += page.mid(pos);
    m_page = displayHtml(m_page);
    QTextOption option = m_doc->defaultTextOption();
    option.setWrapMode(QTextOption::WordWrap);
    m_doc->setDefaultTextOption(option);
    m_doc->setHtml(m_page);
    readTableStyles(html);
    for (auto &t : m_tables)
        t->measure();
}

PrintLayout::~PrintLayout() = default;

void PrintLayout::readTableStyles(const QString &html)
{
    std::vector<QTextTable *> standIns;
    forEachTable(m_doc->rootFrame(), [&](QTextTable *t) {
        if (isStandIn(t))
            standIns.push_back(t);
        else
            m_otherTables = true;
    });
    if (standIns.size() != m_tables.size()) {
        // The engine read the page otherwise than its tables were found: it lays it all out.
        m_tables.clear();
        m_page = displayHtml(html);
        m_doc->setHtml(m_page);
        m_otherTables = true;
        return;
    }
    for (size_t k = 0; k < standIns.size(); ++k) {
        Table &t = *m_tables[k];
        const QTextTableFormat tf = standIns[k]->format();
        t.style[0] = readCellStyle(*m_doc, standIns[k], 0, &t.border);
        t.style[1] = readCellStyle(*m_doc, standIns[k], 1, &t.border);
        t.collapse = tf.borderCollapse();
        t.spacing = t.collapse ? 0 : tf.cellSpacing();
        blank(standIns[k]);
        m_standIns.push_back(standIns[k]);
    }
}

// Another table (one with markup in it) measured as the rich-text engine lays it out.
bool PrintLayout::tooWideOtherTable(qreal portraitWidth) const
{
    auto tooWide = [&](QTextOption::WrapMode wrap, int fromColumns) {
        QTextDocument doc;
        QTextOption option = doc.defaultTextOption();
        option.setWrapMode(wrap);
        doc.setDefaultTextOption(option);
        doc.setHtml(m_page);
        if (wrap != QTextOption::NoWrap)
            doc.setTextWidth(portraitWidth);
        bool wide = false;
        forEachTable(doc.rootFrame(), [&](QTextTable *t) {
            wide = wide
                   || (!isStandIn(t) && t->columns() >= fromColumns
                       && doc.documentLayout()->frameBoundingRect(t).width() > portraitWidth);
        });
        return wide;
    };
    return tooWide(QTextOption::NoWrap, 3) || tooWide(QTextOption::WordWrap, 1);
}

QPageLayout::Orientation PrintLayout::orientation(qreal portraitWidth) const
{
    // Unwrapped, a table takes the width its texts need on one line. A table of labels and
    // values (a dialog's card) rather wraps a long value than turns the sheet, unless even its
    // words do not fit side by side.
    for (const auto &t : m_tables) {
        const qreal natural = std::accumulate(t->naturalWidths.begin(), t->naturalWidths.end(), t->frame());
        const qreal least = std::accumulate(t->leastWidths.begin(), t->leastWidths.end(), t->frame());
        if ((t->columns >= 3 && natural > portraitWidth) || least > portraitWidth)
            return QPageLayout::Landscape;
    }
    if (m_otherTables && tooWideOtherTable(portraitWidth))
        return QPageLayout::Landscape;
    return QPageLayout::Portrait;
}

QRectF PrintLayout::standInRect(size_t table) const
{
    return m_doc->documentLayout()->frameBoundingRect(m_standIns[table]);
}

void PrintLayout::layOut(qreal printableWidth, qreal printableHeight)
{
    const qreal margin = m_doc->documentMargin();
    m_doc->setTextWidth(printableWidth);
    qreal needed = std::max(printableWidth, m_doc->size().width());
    for (size_t k = 0; k < m_tables.size(); ++k) {
        const Table &t = *m_tables[k];
        const qreal least = std::accumulate(t.leastWidths.begin(), t.leastWidths.end(), t.frame());
        needed = std::max(needed, standInRect(k).left() + least + margin);
    }
    if (needed > printableWidth)
        m_doc->setTextWidth(needed);
    m_width = needed;
    m_scale = printableWidth / needed;
    m_sheetHeight = std::max<qreal>(1, printableHeight / m_scale);
    for (size_t k = 0; k < m_tables.size(); ++k) {
        Table &t = *m_tables[k];
        t.left = standInRect(k).left();
        t.fit(needed - t.left - margin);
    }
    findCuts();
    paginate();
}

void PrintLayout::findCuts()
{
    QAbstractTextDocumentLayout *layout = m_doc->documentLayout();
    m_cuts.clear();
    m_ink.clear();
    for (auto it = m_doc->rootFrame()->begin(); !it.atEnd(); ++it) {
        if (QTextFrame *frame = it.currentFrame()) {
            const qreal bottom = layout->frameBoundingRect(frame).bottom();
            m_cuts.push_back(bottom);
            m_ink.push_back(bottom);
            continue;
        }
        const QTextBlock block = it.currentBlock();
        const QTextLayout *lines = block.layout();
        const qreal top = layout->blockBoundingRect(block).top();
        for (int i = 0; i < lines->lineCount(); ++i) {
            const QTextLine line = lines->lineAt(i);
            const qreal bottom = top + line.y() + line.height();
            m_cuts.push_back(bottom);
            if (!block.text().mid(line.textStart(), line.textLength()).trimmed().isEmpty())
                m_ink.push_back(bottom);
        }
    }
    std::sort(m_cuts.begin(), m_cuts.end());
    std::sort(m_ink.begin(), m_ink.end());
}

qreal PrintLayout::cutBefore(qreal from, qreal limit) const
{
    const auto it = std::upper_bound(m_cuts.begin(), m_cuts.end(), limit);
    return it == m_cuts.begin() || *(it - 1) <= from ? from : *(it - 1);
}

bool PrintLayout::inkWithin(qreal from, qreal to) const
{
    const auto it = std::upper_bound(m_ink.begin(), m_ink.end(), from + kSlack);
    return it != m_ink.end() && *it <= to + kSlack;
}

void PrintLayout::paginate()
{
    m_pages.assign(1, {});
    m_y = 0;
    qreal from = 0;
    for (size_t k = 0; k < m_tables.size(); ++k) {
        const QRectF standIn = standInRect(k);
        placeContent(from, standIn.top());
        placeTable(int(k));
        from = standIn.bottom();
    }
    // A table's frame may end a fraction below the height the engine gives the document.
    placeContent(from, std::max(m_doc->size().height(), m_cuts.empty() ? 0 : m_cuts.back()));
}

void PrintLayout::newPage()
{
    if (!m_pages.back().empty())
        m_pages.emplace_back();
    m_y = 0;
}

void PrintLayout::place(const Placed &placed, qreal height)
{
    m_pages.back().push_back(placed);
    m_y += height;
}

// The other content between two tables: on the sheet when it fits, else from the next sheet;
// what is taller than a sheet goes on at the foot of its last whole line.
void PrintLayout::placeContent(qreal from, qreal to)
{
    while (to - from > kSlack) {
        if (!inkWithin(from, to)) {
            // Blank space: kept where there is room for it, never a sheet of its own.
            m_y = std::min(m_y + (to - from), m_sheetHeight);
            return;
        }
        const qreal room = m_sheetHeight - m_y;
        if (to - from <= room) {
            place({-1, -1, m_y, from, to}, to - from);
            return;
        }
        const bool used = !m_pages.back().empty();
        if (used && to - from <= m_sheetHeight) {
            newPage();
            continue;
        }
        qreal cut = cutBefore(from, from + room);
        if (cut <= from + kSlack) {
            if (used) {
                newPage();
                continue;
            }
            cut = from + std::max(room, kSlack * 2);
        }
        place({-1, -1, m_y, from, cut}, cut - from);
        from = cut;
        newPage();
    }
}

// A table row by row: a row that does not fit on the sheet starts the next one, under the
// table's heading rows again; the heading is not left alone at a sheet's foot.
void PrintLayout::placeTable(int index)
{
    const Table &t = *m_tables[size_t(index)];
    const int repeat = t.headingRows < t.rows() ? t.headingRows : 0;
    qreal opening = t.lead() + t.box(repeat);
    for (int r = 0; r < repeat; ++r)
        opening += t.step(r);
    if (!m_pages.back().empty() && m_y + opening > m_sheetHeight)
        newPage();
    m_y += t.lead();
    auto placeRow = [&](int r) { place({index, r, m_y, 0, 0}, t.step(r)); };
    bool rowOnSheet = !m_pages.back().empty();
    for (int r = 0; r < t.rows(); ++r) {
        if (r >= repeat && rowOnSheet && m_y + t.box(r) > m_sheetHeight) {
            newPage();
            m_y = t.lead();
            for (int h = 0; h < repeat; ++h)
                placeRow(h);
        }
        placeRow(r);
        rowOnSheet = rowOnSheet || r >= repeat;
    }
    m_y += t.tail();
}

void PrintLayout::paintPage(QPainter *painter, int page) const
{
    if (page < 0 || page >= pageCount())
        return;
    for (const Placed &p : m_pages[size_t(page)]) {
        if (p.table >= 0) {
            m_tables[size_t(p.table)]->paint(painter, p.row, p.top);
            continue;
        }
        painter->save();
        const QRectF shown(0, p.from, m_width, p.to - p.from);
        painter->translate(0, p.top - p.from);
        painter->setClipRect(shown, Qt::IntersectClip);
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = shown;
        m_doc->documentLayout()->draw(painter, context);
        painter->restore();
    }
}

QList<PrintLayout::Placement> PrintLayout::placements(int page) const
{
    QList<Placement> out;
    for (const Placed &p : m_pages.at(size_t(page))) {
        if (p.table < 0) {
            out.append({-1, -1, QRectF(0, p.top, m_width, p.to - p.from)});
            continue;
        }
        const Table &t = *m_tables[size_t(p.table)];
        out.append({p.table, p.row, QRectF(t.left, p.top, t.tableWidth, t.box(p.row))});
    }
    return out;
}

int PrintLayout::rowCount(int table) const { return m_tables.at(size_t(table))->rows(); }

int PrintLayout::headingRows(int table) const { return m_tables.at(size_t(table))->headingRows; }

QString PrintLayout::cellText(int table, int row, int column) const
{
    const Table &t = *m_tables.at(size_t(table));
    const int i = t.rowStart.at(size_t(row)) + column;
    return column >= 0 && i < t.rowStart.at(size_t(row) + 1) ? t.text[size_t(i)] : QString();
}

QStringList PrintLayout::cellLines(int table, int row, int column) const
{
    const Table &t = *m_tables.at(size_t(table));
    const int i = t.rowStart.at(size_t(row)) + column;
    if (column < 0 || i >= t.rowStart.at(size_t(row) + 1) || t.widths.empty())
        return {};
    const size_t cell = size_t(i);
    return wrapLines(t.text[cell], t.styleOf(cell).metrics, t.contentWidth(cell, column), t.natural[cell]);
}
