#pragma once
// A printout's HTML laid out on sheets of paper. Plain tables (rows of header and data cells with
// text only, the shape every list and dialog prints) are measured and placed row by row: a row
// never straddles two sheets and a table that goes on to another sheet repeats its heading rows
// there. Everything else (heading lines, the total line, any other markup) is laid out by the
// rich-text engine as one document in which each plain table keeps its place and its styles; the
// cells take their fonts, colours, borders and paddings from the same reading of the page.
#include <QList>
#include <QPageLayout>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

class QPainter;
class QTextDocument;
class QTextFrame;

class PrintLayout {
public:
    // The page as written into the browser control.
    explicit PrintLayout(const QString &html);
    ~PrintLayout();
    PrintLayout(const PrintLayout &) = delete;
    PrintLayout &operator=(const PrintLayout &) = delete;

    // The copy of the page that is laid out: the same content, with the constructs the
    // rich-text engine reads differently from a browser rewritten to their browser look.
    static QString displayHtml(const QString &html);

    // Landscape when a table is wider than a portrait sheet of that printable width: a table of
    // three columns or more on its texts' one-line width, any table on its longest words.
    QPageLayout::Orientation orientation(qreal portraitWidth) const;

    // Lays the page out on sheets of this printable area, in the document's pixels. A page whose
    // longest words do not fit side by side is laid out wider and scaled down to the sheet.
    void layOut(qreal printableWidth, qreal printableHeight);
    qreal scale() const { return m_scale; }
    // The width and the sheet height the page is laid out at, before the scale.
    qreal width() const { return m_width; }
    qreal sheetHeight() const { return m_sheetHeight; }
    int pageCount() const { return int(m_pages.size()); }
    // Paints one sheet; the painter is in the document's pixels at the sheet's top left.
    void paintPage(QPainter *painter, int page) const;

    // What a sheet holds, top to bottom: a table's row (a heading row again on every sheet the
    // table reaches), or a stretch of the other content (table -1, row -1).
    struct Placement {
        int table;
        int row;
        QRectF rect;
    };
    struct Table;
    // What tests reach besides the interface (at the end of this header).
    struct TestSeam;

private:
    QList<Placement> placements(int page) const;
    int rowCount(int table) const;
    int headingRows(int table) const;
    // A cell's text as shown, and the lines it is wrapped into at the last layout.
    QString cellText(int table, int row, int column) const;
    QStringList cellLines(int table, int row, int column) const;

    struct Placed {
        int table; // -1: the other content, from..to of its document
        int row;
        qreal top;
        qreal from, to;
    };
    void readTableStyles(const QString &html);
    bool tooWideOtherTable(qreal portraitWidth) const;
    void findCuts();
    void paginate();
    void placeContent(qreal from, qreal to);
    void placeTable(int index);
    void place(const Placed &placed, qreal height);
    void newPage();
    qreal cutBefore(qreal from, qreal limit) const;
    bool inkWithin(qreal from, qreal to) const;
    QRectF standInRect(size_t table) const;

    std::vector<std::unique_ptr<Table>> m_tables;
    QString m_page;                       // the page with each plain table as a one-row stand-in
    std::unique_ptr<QTextDocument> m_doc; // m_page laid out
    std::vector<QTextFrame *> m_standIns;
    bool m_otherTables = false;
    std::vector<qreal> m_cuts; // where the other content may go on to the next sheet
    std::vector<qreal> m_ink;  // the foot of each line of it that shows something
    std::vector<std::vector<Placed>> m_pages;
    qreal m_scale = 1, m_width = 0, m_sheetHeight = 0, m_y = 0;
};

// ---- for tests only ----
// The layout as placed, to check it without reading pixels.
struct PrintLayout::TestSeam {
    static QList<Placement> placements(const PrintLayout &l, int page) { return l.placements(page); }
    static int tableCount(const PrintLayout &l) { return int(l.m_tables.size()); }
    static int rowCount(const PrintLayout &l, int table) { return l.rowCount(table); }
    static int headingRows(const PrintLayout &l, int table) { return l.headingRows(table); }
    static QString cellText(const PrintLayout &l, int table, int row, int column)
    {
        return l.cellText(table, row, column);
    }
    static QStringList cellLines(const PrintLayout &l, int table, int row, int column)
    {
        return l.cellLines(table, row, column);
    }
};
