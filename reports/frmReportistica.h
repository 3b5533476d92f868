#pragma once
#include "shell/ListWindow.h"

// The result of one report: the chosen definition's query in a read-only list with the sum of
// its amounts, printed and exported like the registers' lists.
class frmReportistica : public ListWindow {
    Q_OBJECT
public:
    frmReportistica();

    // The list-window key member; a report edits nothing, so nothing reads it.
    double mASSEGNIEMESSIID = 0;

    // Runs the report of the chosen row.
    void FillGrid() override;
    // Runs "SELECT" followed by the text, with no blank between them.
    void FillGrid(const QString &sql);

protected:
    void beforeLoad() override;
    bool trapFillErrors() const override;
};
