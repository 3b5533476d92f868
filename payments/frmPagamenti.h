#pragma once
#include "shell/EditDialog.h"
#include "shell/ListWindow.h"
#include <functional>

class Field;
class XPLabel;

// The customer whose payments the list shows when the customer list opened it; an empty name
// means every customer.
extern double gPagamentiClienteID;
extern QString gPagamentiClienteNome;

// The payments register's list: the payments joined with their customers, with the total of
// the amounts shown. Opened from the main window it lists every customer's payments; opened
// from the customer list (gPagamentiClienteNome set) only that customer's, with no filter.
class frmPagamenti : public ListWindow {
    Q_OBJECT
public:
    frmPagamenti();

    // The two ways the list is opened, both through the window table: every customer's
    // payments (the main window's button, which has cleared the filter slots), or one
    // customer's (the customer list), which sets the customer and the list's filter slot to
    // that customer.
    static void showAllCustomers();
    static void showCustomer(double customerId, const QString &customerName);

    // The payment edited or deleted, or the one just added.
    double mPagamentiID = 0;

    void FillGrid() override;
    void AddGridRow() override;
    // Shows under the grid what became of the cheque of the current row (endorsed, deposited);
    // called after every move in the grid and after every fill, which selects no row.
    virtual void ToggleGiraVersa();
    // Whether the payment's cheque has an endorsement, a deposit; false when it cannot be read.
    bool isGirato(double id);
    bool isVersato(double id);
    // The endorsement and the deposit in a sentence each; "" when there is none or it cannot be
    // read. None of these shows a message.
    QString getGiratoMessage(double id);
    QString getVersatoMessage(double id);

    // Endorse or deposit the cheque of the selected payment; nothing while no row is selected.
    void cmdGira_Click();
    void cmdVersa_Click();

    void cmdSelect_Click() override;
    void MSFlexGrid1_DblClick() override;
    virtual void MSFlexGrid1_KeyUp(int KeyCode, int Shift);
    void MSFlexGrid1_MouseDown(int Button, int Shift, double X, double Y) override;
    void MSFlexGrid1_MouseUp(int Button, int Shift, double X, double Y) override;
    void MSFlexGrid1_SelChange() override;

    void Form_Resize() override;

    // One customer's payments: the list the customer list opened.
    static bool oneCustomer();
    // The key of the payment the list has selected, as a statement writes it.
    static QString selectedPaymentKey();
    // That payment, as the row an endorsement or a deposit refers to: a write finds it still
    // there, or is refused.
    static EditDialogDesc::Reference selectedPaymentReference();

    XPButton *cmdGira;
    XPButton *cmdVersa;
    // The endorsement and deposit of the current row, between the grid and the total.
    XPLabel *lblGiraVersa;

protected:
    void beforeLoad() override;
    void afterDelete() override;

private:
    // A field of the row read, by name.
    using FieldOf = std::function<Field(const char *name)>;
    // Whether the query finds a row, read on a result of its own and traced as the named
    // procedure; read is given that row. A query that fails finds none, and says nothing.
    bool readFirstRow(const QString &procedure, const QString &sql,
                      const std::function<void(const FieldOf &)> &read = nullptr);
    // Whether table has a row of the payment.
    bool hasRow(const QString &procedure, const QString &table, double id);
    // The sentence made from the first row of the query, traced as the named procedure; "" when
    // there is no row.
    QString firstRowSentence(const QString &procedure, const QString &sql,
                             const std::function<QString(const FieldOf &)> &sentence);
    void showForSelectedPayment(const QString &procedure, const std::function<Form *()> &dialog);
};
