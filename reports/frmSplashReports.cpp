#include "reports/frmSplashReports.h"
#include "platform/SqliteDb.h"
#include "platform/VbRuntime.h"
#include "platform/WebBrowser.h"
#include "platform/XPControls.h"
#include "reports/basReportistica.h"
#include "reports/frmReportistica.h"
#include "reports/frmSelectReportVelmosta.h"
#include "shell/ErrorExit.h"
#include "shell/basGeneral.h"
#include <QStyleOptionButton>
#include <QStylePainter>

namespace {
const QString kForm = QStringLiteral("frmSplashReports");
// Designer layout in twips: six buttons to a row, three rows.
constexpr int kLefts[6] = {240, 1560, 2880, 4080, 5400, 6720};
constexpr int kTops[3] = {600, 1560, 2520};
constexpr int kButtonWidth = 1095;
constexpr int kButtonHeight = 855;

// A report button: its title, however long, wrapped onto as many lines as the button holds,
// in a smaller type when it still does not fit.
class ReportButton : public XPButton {
public:
    ReportButton(Form *form, const QString &name) : XPButton(form, name, QStringLiteral("Aggiungi"))
    {
        setWrapsCaption(true);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QStylePainter p(this);
        QStyleOptionButton opt;
        initStyleOption(&opt);
        opt.text.clear();
        p.drawControl(QStyle::CE_PushButton, opt);
        const QRect area = rect().adjusted(4, 3, -4, -3);
        const int flags = Qt::AlignCenter | Qt::TextWordWrap | Qt::TextShowMnemonic;
        QFont f = font();
        for (double size = f.pointSizeF(); size > 5.5; size -= 0.5) {
            f.setPointSizeF(size);
            const QRect needed = QFontMetrics(f).boundingRect(area, flags, text());
            if (needed.height() <= area.height() && needed.width() <= area.width())
                break;
        }
        p.setFont(f);
        p.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
        p.drawText(area, flags, text());
    }
};

QString textOf(const Recordset &rs, const char *column)
{
    const QVariant v = rs.Fields()(QString::fromLatin1(column)).Value();
    return v.isValid() ? v.toString() : QString();
}
}

frmSplashReports::frmSplashReports() : Form(kForm)
{
    setCaption(QStringLiteral("Scegli Report"));
    const int width = toPixels(kLefts[5] + kButtonWidth + 240);
    const int height = toPixels(kTops[2] + kButtonHeight + 240);
    setFixedSize(width, height);
    OsenXPForm1 = new XPForm(this, QStringLiteral("OsenXPForm1"), QStringLiteral("Scegli Report"));
    OsenXPForm1->setGeometry(0, 0, width, 30);
    QFont small = font();
    small.setPointSizeF(8);
    for (int i = 0; i < int(cmdShowReport.size()); ++i) {
        auto *b = new ReportButton(this, QStringLiteral("cmdShowReport(%1)").arg(i));
        b->Move(kLefts[i % 6], kTops[i / 6], kButtonWidth, kButtonHeight);
        b->setFont(small);
        cmdShowReport[size_t(i)] = b;
        connect(b, &QPushButton::clicked, this, [this, i] { cmdShowReport_Click(short(i)); });
    }
    cmdClose = new XPButton(this, QStringLiteral("cmdClose"), QStringLiteral("Es&ci"));
    cmdClose->Move(kLefts[5], kTops[2], kButtonWidth, kButtonHeight);
    cmdClose->setFont(small);
    web = new WebBrowser(this, QStringLiteral("web"));
    web->setGeometry(width - 5, height - 5, 4, 4);
    connect(cmdClose, &QPushButton::clicked, this, [this] { cmdClose_Click(); });
}

void frmSplashReports::Form_Load()
{
    Procedure p(kForm, QStringLiteral("Form_Load"));
    p.run([this] {
        CenterForm(this);
        gNumReportButtons = 16;
        PopolaArrayReport();
        for (int i = 0; i <= gNumReportButtons; ++i) {
            XPButton *b = cmdShowReport[size_t(i)];
            const ReportDefinition &d = gArrReport[size_t(i)];
            if (!d.sqlreport.isEmpty()) {
                b->setVisible(true);
                b->setCaption(d.titolo);
                b->setToolTip(d.titolo);
            } else {
                b->setVisible(false);
            }
        }
        DisattivaTabstop(this);
    });
}

void frmSplashReports::PopolaArrayReport()
{
    Procedure p(kForm, QStringLiteral("PopolaArrayReport"));
    p.run([] {
        for (int i = 0; i <= gNumReportButtons; ++i)
            gArrReport[size_t(i)].sqlreport = QString();
        releaseRs();
        gRsOpen(QStringLiteral("select * from reportistica order by ordine"));
        Recordset &rs = gRs();
        // A refused query has told its own message: no report can be run.
        if (!rs.isOpen())
            return;
        size_t row = 0;
        while (!rs.EOF_()) {
            if (row >= gArrReport.size())
                throw PlatformError(ErrNo::SubscriptOutOfRange, QStringLiteral("Subscript out of range"));
            ReportDefinition &d = gArrReport[row];
            d.sqlreport = textOf(rs, "sqlreport");
            d.titolo = textOf(rs, "titolo");
            d.numparametri = rs.Fields()(QStringLiteral("numparametri")).Value();
            d.tipopar1 = textOf(rs, "tipopar1");
            d.tipopar2 = textOf(rs, "tipopar2");
            d.promptpar1 = textOf(rs, "promptpar1");
            d.promptpar2 = textOf(rs, "promptpar2");
            ++row;
            rs.MoveNext();
        }
    });
    ignoreErrors([] { gRs().Close(); });
    releaseRs();
}

void frmSplashReports::cmdShowReport_Click(short Index)
{
    Procedure p(kForm, QStringLiteral("cmdShowReport_Click"));
    p.run([&] {
        ReportDefinition &d = gArrReport.at(size_t(Index));
        PlaceholderValues values;
        if (d.titolo == kRiepilogoCliente) {
            FormInstance<frmSelectReportVelmosta>::get()->Show(true);
            values = riepilogoValues(gReportDataDa, gReportDataA, gReportAnagraficaID);
        } else {
            const short count = vb::CInt(d.numparametri);
            for (int n = 1; n <= 2 && n <= count; ++n) {
                const ParameterAnswer answer =
                    askParameter(n, n == 1 ? d.tipopar1 : d.tipopar2, n == 1 ? d.promptpar1 : d.promptpar2);
                if (answer.outcome == ParameterAnswer::Blank)
                    return;
                if (answer.outcome == ParameterAnswer::Refused) {
                    MyMsgBox(answer.message, 48, QStringLiteral("Norvik"));
                    return;
                }
                values += answer.values;
            }
        }
        d.sqlreport = substitutePlaceholders(d.sqlreport, values);
        gReportIndex = Index;
        FormInstance<frmReportistica>::get()->Show(true);
    });
    // Every run starts again from the stored text, however this one ended.
    PopolaArrayReport();
}

void frmSplashReports::cmdClose_Click()
{
    Procedure p(kForm, QStringLiteral("cmdClose_Click"));
    p.run([this] { Unload(); });
}
