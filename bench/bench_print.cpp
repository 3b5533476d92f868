// The print preview of the customer list, measured the way a user meets it: from the print
// command (the list's "Stampa") to the preview's sheets laid out, page 1 ready to show and the
// page count known; each round in a fresh process. Against, in the same run and alternating:
// the same page laid out as one rich-text document and sliced into sheets, the way the preview
// worked before it placed tables row by row (kept below as the baseline). Medians of the rounds.
//
//   bench_print run FOLDER_SMALL FOLDER_LARGE [--rounds 5]   (customer databases, e.g. 2,000 and 10,000)
//   bench_print measure now|before FOLDER                    (one fresh process; used by run)
#include "BenchRun.h"
#include "BenchTable.h"
#include "customers/frmAnagrafica.h"
#include "platform/Dialogs.h"
#include "platform/MSFlexGrid.h"
#include "platform/PrintLayout.h"
#include "platform/WebBrowser.h"
#include "shell/ProgramFolder.h"
#include "shell/basGeneral.h"
#include "shell/basGeneralCustom.h"
#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QScreen>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <QTimer>
#include <cstdio>

namespace {

// The baseline: the whole page one rich-text document, laid out twice to choose the sheet's
// orientation, again for the paper, then painted sheet by sheet through a window on it.
namespace before {
qreal dpi() { return QGuiApplication::primaryScreen()->logicalDotsPerInchY(); }

std::unique_ptr<QTextDocument> documentOf(const QString &html, QTextOption::WrapMode wrap)
{
    auto doc = std::make_unique<QTextDocument>();
    QTextOption option = doc->defaultTextOption();
    option.setWrapMode(wrap);
    doc->setDefaultTextOption(option);
    doc->setHtml(PrintLayout::displayHtml(html));
    return doc;
}

QPageLayout::Orientation orientationFor(const QString &html)
{
    const QPageLayout a4(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(10, 10, 10, 10),
                         QPageLayout::Millimeter);
    const qreal portrait = a4.paintRect(QPageLayout::Inch).width() * dpi();
    auto tooWide = [portrait](QTextDocument &doc, int fromColumns) {
        for (QTextFrame *frame : doc.rootFrame()->childFrames()) {
            const auto *table = qobject_cast<QTextTable *>(frame);
            if (table && table->columns() >= fromColumns
                && doc.documentLayout()->frameBoundingRect(frame).width() > portrait)
                return true;
        }
        return false;
    };
    if (tooWide(*documentOf(html, QTextOption::NoWrap), 3))
        return QPageLayout::Landscape;
    const auto wrapped = documentOf(html, QTextOption::WordWrap);
    wrapped->setTextWidth(portrait);
    return tooWide(*wrapped, 1) ? QPageLayout::Landscape : QPageLayout::Portrait;
}

void printOn(const QString &html, QPrinter *printer)
{
    const QRectF paper = printer->pageLayout().paintRect(QPageLayout::Inch);
    const auto doc = documentOf(html, QTextOption::WordWrap);
    doc->setTextWidth(paper.width() * dpi());
    const qreal needed = std::max(paper.width() * dpi(), doc->size().width());
    if (needed > paper.width() * dpi())
        doc->setTextWidth(needed);
    const qreal scale = paper.width() * dpi() / needed;
    const QSizeF sheet(doc->textWidth(), (paper.height() - 0.25) * dpi() / scale);
    doc->setPageSize(sheet);
    QPainter painter(printer);
    const qreal toDevice = printer->resolution() / dpi();
    for (int i = 0; i < doc->pageCount(); ++i) {
        if (i > 0)
            printer->newPage();
        painter.save();
        painter.scale(toDevice * scale, toDevice * scale);
        const QRectF shown(0, i * sheet.height(), sheet.width(), sheet.height());
        painter.translate(0, -shown.top());
        painter.setClipRect(shown);
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = shown;
        doc->documentLayout()->draw(&painter, context);
        painter.restore();
        painter.drawText(QRectF(0, 0, paper.width() * printer->resolution(), paper.height() * printer->resolution()),
                         Qt::AlignRight | Qt::AlignBottom, QString::number(i + 1));
    }
}

void showPreview(const QString &html, QWidget *parent)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(orientationFor(html));
    printer.setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
    QPrintPreviewDialog dlg(&printer, parent);
    QObject::connect(&dlg, &QPrintPreviewDialog::paintRequested, &dlg,
                     [&html](QPrinter *target) { printOn(html, target); });
    dlg.resize(900, 1000);
    dlg.exec();
}
}

// One fresh process: the customer list opened on the database in `folder`, then its print
// command; the time runs until the preview window shows its laid-out sheets.
int measure(const QString &way, const QString &folder)
{
    if (way != QLatin1String("now") && way != QLatin1String("before"))
        return 2;
    DialogScript::enable();
    setProgramFolder(folder);
    OpenDb();
    gPrtCSize = 7; // the setting's default
    ListWindow *w = FormInstance<frmAnagrafica>::get();
    w->Load();
    w->show();
    QApplication::processEvents();

    QElapsedTimer clock;
    double appeared = -1;
    int pages = 0;
    QTimer poll;
    poll.setInterval(1);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        for (QWidget *top : QApplication::topLevelWidgets()) {
            auto *dlg = qobject_cast<QPrintPreviewDialog *>(top);
            auto *preview = dlg && dlg->isVisible() ? dlg->findChild<QPrintPreviewWidget *>() : nullptr;
            if (preview && preview->pageCount() > 0) {
                appeared = double(clock.nsecsElapsed()) / 1e6;
                pages = preview->pageCount();
                poll.stop();
                dlg->reject();
            }
        }
    });
    poll.start();
    clock.start();
    if (way == QLatin1String("now")) {
        DialogScript::disable();
        w->cmdPrintGrid_Click();
    } else {
        w->cmdPrintGrid_Click(); // the page written, its preview only counted
        DialogScript::disable();
        before::showPreview(w->web->html(), w);
    }
    if (appeared < 0 || !DialogScript::boxes().isEmpty())
        return 1;
    std::printf("appeared %.3f\npages %d\nrows %d\n", appeared, pages, w->MSFlexGrid1->Rows() - 1);
    return 0;
}

std::map<std::string, double> runChild(const QString &way, const QString &folder)
{
    const auto out = bench::childFigures({QStringLiteral("measure"), way, folder});
    if (!out) {
        std::fprintf(stderr, "bench_print: the measuring process failed (%s %s)\n", qPrintable(way),
                     qPrintable(folder));
        std::exit(1);
    }
    return *out;
}

int run(const QString &small, const QString &large, int rounds)
{
    std::map<std::string, std::vector<double>> ms, pages, rows;
    auto take = [&](const std::string &key, const QString &way, const QString &folder) {
        const auto f = runChild(way, folder);
        ms[key].push_back(f.at("appeared"));
        pages[key].push_back(f.at("pages"));
        rows[key].push_back(f.at("rows"));
    };
    for (int r = 0; r < rounds; ++r) {
        std::fprintf(stderr, "print preview: round %d of %d\n", r + 1, rounds);
        // Alternating which goes first, so neither always finds the caches warmed.
        if (r % 2)
            take("before", QStringLiteral("before"), small);
        take("small", QStringLiteral("now"), small);
        if (r % 2 == 0)
            take("before", QStringLiteral("before"), small);
        take("large", QStringLiteral("now"), large);
    }
    auto m = [&](const char *key) { return bench::median(ms[key]); };
    auto count = [](std::map<std::string, std::vector<double>> &v, const char *key) {
        return std::to_string(int(bench::median(v[key])));
    };
    auto tag = [&](const char *key) {
        return "customers " + count(rows, key) + " preview (" + count(pages, key) + " sheets) appears";
    };
    bench::printRow(tag("small") + " / 3 s", bench::msText(m("small")), bench::msText(3000), m("small") / 3000, 1);
    bench::printRow(tag("small") + " / as one document before (" + count(pages, "before") + ")",
                    bench::msText(m("small")), bench::msText(m("before")), m("small") / m("before"), 0);
    bench::printRow(tag("large") + " / customers " + count(rows, "small"), bench::msText(m("large")),
                    bench::msText(m("small")), m("large") / m("small"), 6);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The offscreen platform's notes on window hints are no figures.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &text) {
        if (type != QtWarningMsg && type != QtDebugMsg && type != QtInfoMsg)
            std::fprintf(stderr, "%s\n", qPrintable(text));
    });
    QApplication app(argc, argv);
    gDbType = QStringLiteral("SqlLite");
    const QStringList args = app.arguments().mid(1);
    if (args.value(0) == QLatin1String("measure") && args.size() == 3)
        return measure(args[1], args[2]);
    if (args.value(0) == QLatin1String("run") && (args.size() == 3 || args.size() == 5)) {
        const int rounds = args.size() == 5 && args[3] == QLatin1String("--rounds") ? std::max(1, args[4].toInt()) : 5;
        return run(args[1], args[2], rounds);
    }
    std::fprintf(stderr, "usage: bench_print run FOLDER_SMALL FOLDER_LARGE [--rounds n]\n");
    return 2;
}
