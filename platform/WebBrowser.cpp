#include "platform/WebBrowser.h"
#include "platform/Dialogs.h"
#include "platform/Form.h"
#include "platform/PlatformError.h"
#include "platform/PrintLayout.h"
#include <QGuiApplication>
#include <QPageSize>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScreen>

namespace {
constexpr long ErrNoDocument = 91;
const QString kNoDocument = QStringLiteral("Object variable or With block variable not set");

// The document's pixels per inch: the rich-text engine lays text out at the screen's resolution.
qreal documentDpi()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInchY() : 96.0;
}

// The printable area of an A4 sheet with the preview's margins, in the document's pixels.
qreal a4PrintableWidth(QPageLayout::Orientation orientation)
{
    const QPageLayout layout(QPageSize(QPageSize::A4), orientation, QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
    return layout.paintRect(QPageLayout::Inch).width() * documentDpi();
}

// Lays the page out on the printer's paper and paints it, sheet by sheet, numbered.
void printOn(PrintLayout &layout, QPrinter *printer)
{
    const qreal dpi = documentDpi();
    const QRectF paper = printer->pageLayout().paintRect(QPageLayout::Inch);
    // One sheet of the document: the printable area above the sheet's number.
    constexpr qreal numberBand = 0.25; // inches
    layout.layOut(paper.width() * dpi, (paper.height() - numberBand) * dpi);

    QPainter painter(printer);
    if (!painter.isActive())
        return;
    const qreal toDevice = printer->resolution() / dpi;
    const qreal scale = layout.scale();
    const int pages = layout.pageCount();
    QFont numberFont(QStringLiteral("DejaVu Sans"));
    numberFont.setPointSizeF(8);
    for (int i = 0; i < pages; ++i) {
        if (i > 0)
            printer->newPage();
        painter.save();
        painter.scale(toDevice * scale, toDevice * scale);
        painter.setClipRect(QRectF(0, 0, layout.width(), layout.sheetHeight()));
        layout.paintPage(&painter, i);
        painter.restore();
        // The sheet's number at the foot of its printable area.
        painter.save();
        painter.setFont(QFont(numberFont, printer));
        const QRectF foot(0, 0, paper.width() * printer->resolution(), paper.height() * printer->resolution());
        painter.drawText(foot, Qt::AlignRight | Qt::AlignBottom, QString::number(i + 1));
        painter.restore();
    }
}
}

void HTMLDocument::Write(const QString &text) { m_owner->write(text); }
void HTMLDocument::Close() { m_owner->close(); }

WebBrowser::WebBrowser(Form *form, const QString &name, QWidget *parent)
    : QWidget(parent ? parent : static_cast<QWidget *>(form)), Control(form, name, ControlKind::Browser),
      m_document(this)
{
    // The control only holds the printout; on the window it is a speck nobody clicks.
    resize(1, 1);
    setFocusPolicy(Qt::NoFocus);
}

void WebBrowser::Navigate(const QString &url)
{
    if (url.compare(QLatin1String("about:blank"), Qt::CaseInsensitive) != 0)
        throw PlatformError(ErrNo::InvalidProcedureCall,
                            QStringLiteral("The browser control only opens about:blank, not %1").arg(url));
    m_html.clear();
    m_state = State::Open;
}

void WebBrowser::write(const QString &text)
{
    if (m_state == State::None)
        throw PlatformError(ErrNoDocument, kNoDocument);
    if (m_state == State::Closed)
        throw PlatformError(ErrNo::InvalidProcedureCall,
                            QStringLiteral("The document is closed; navigate to about:blank before writing"));
    m_html += text;
}

void WebBrowser::close()
{
    if (m_state == State::None)
        throw PlatformError(ErrNoDocument, kNoDocument);
    m_state = State::Closed;
}

void WebBrowser::ExecWB(int command, int option)
{
    if (command != CmdPrintPreview)
        throw PlatformError(ErrNo::InvalidProcedureCall,
                            QStringLiteral("Browser command %1 is not supported").arg(command));
    if (option < OptDoDefault || option > OptDontPromptUser)
        throw PlatformError(ErrNo::InvalidProcedureCall,
                            QStringLiteral("Invalid option %1 for the print preview").arg(option));
    if (m_state == State::None || m_html.isEmpty())
        throw PlatformError(ErrNoDocument, QStringLiteral("There is no document to preview"));
    ++m_previewCount;
    if (DialogScript::active())
        return;
    showPreview();
}

void WebBrowser::showPreview()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    // Read and measured once: the preview lays it out again when the sheet is changed.
    PrintLayout layout(m_html);
    printer.setPageOrientation(layout.orientation(a4PrintableWidth(QPageLayout::Portrait)));
    printer.setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);

    QPrintPreviewDialog dlg(&printer, window());
    dlg.setWindowTitle(QStringLiteral("Anteprima di stampa"));
    connect(&dlg, &QPrintPreviewDialog::paintRequested, &dlg, [&layout](QPrinter *target) { printOn(layout, target); });
    // A sheet's height where the screen has room for it.
    QSize size(900, 1000);
    if (const QScreen *screen = dlg.screen())
        size = size.boundedTo(screen->availableGeometry().size() - QSize(40, 60));
    dlg.resize(size);
    dlg.exec();
}

QPageLayout::Orientation WebBrowser::orientationFor(const QString &html)
{
    return PrintLayout(html).orientation(a4PrintableWidth(QPageLayout::Portrait));
}
