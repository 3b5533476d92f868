#pragma once
#include "shell/ListWindow.h"

// The payments register's list: the payments joined with their customers, with the total of
// the amounts shown. Opened from the main window it lists every customer's payments; opened
// from the customer list (gPagamentiClienteNome set) only that customer's, with no filter.
class frmPagamenti : public ListWindow {
    Q_OBJECT
public:
    frmPagamenti();

    // The payment edited or deleted, or the one just added.
    double mPagamentiID = 0;

    void AddGridRow() override;
    // Refreshes what the window shows about the endorsement and deposit of the current row;
    // called after every move in the grid.
    virtual void ToggleGiraVersa();

    void cmdSelect_Click() override;
    void MSFlexGrid1_DblClick() override;
    virtual void MSFlexGrid1_KeyUp(int KeyCode, int Shift);
    void MSFlexGrid1_MouseDown(int Button, int Shift, double X, double Y) override;
    void MSFlexGrid1_MouseUp(int Button, int Shift, double X, double Y) override;
    void MSFlexGrid1_SelChange() override;

    // One customer's payments: the list the customer list opened.
    static bool oneCustomer();

protected:
    void beforeLoad() override;
    void afterDelete() override;
};
