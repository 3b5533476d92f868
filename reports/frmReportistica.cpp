#include "reports/frmReportistica.h"
#include "platform/MSFlexGrid.h"
#include "platform/XPControls.h"
#include "reports/basReportistica.h"
#include "shell/basGeneral.h"

namespace {
QString currentTitle() { return gArrReport.at(size_t(gReportIndex)).titolo; }

ListWindowDesc reportList(double *key)
{
    ListWindowDesc d;
    d.caption = QStringLiteral("Report");
    d.key = key;
    d.headerCaptions = {{QStringLiteral("AssegnoNote*"), QStringLiteral("Note")}};
    d.keyHeaders = false;
    d.printSubtitle = [] { return QStringLiteral("Norvik - ") + currentTitle(); };
    d.totalFields = QStringLiteral("*Import*");
    d.totalCaption = QStringLiteral("Importo complessivo degli importi visualizzati: ");
    d.fillHourglass = false;
    d.exportButton = true;
    d.editing = false;
    return d;
}
}

frmReportistica::frmReportistica() : ListWindow(QStringLiteral("frmReportistica"), reportList(&mASSEGNIEMESSIID))
{
    // Designer layout, in twips: the buttons in one row above the grid.
    resize(toPixels(14850), toPixels(8715));
    OsenXPForm1->Move(0, 0, 14880, 450);
    cmdPrintGrid->Move(480, 840, 1095, 375);
    cmdEsportaDati->Move(1680, 840, 1815, 375);
    cmdClose->Move(3600, 840, 1095, 375);
    MSFlexGrid1->Move(480, 1440, 13890, 6555);
}

void frmReportistica::beforeLoad()
{
    const QString caption = OsenXPForm1->Caption() + QStringLiteral(" - ") + currentTitle();
    OsenXPForm1->setCaption(caption);
    setCaption(caption);
}

bool frmReportistica::trapFillErrors() const { return gErrorTrapOn; }

void frmReportistica::FillGrid() { FillGrid(gArrReport.at(size_t(gReportIndex)).sqlreport); }

void frmReportistica::FillGrid(const QString &sql) { fillGridFrom(QStringLiteral("SELECT") + sql); }
