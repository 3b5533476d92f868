#include "app/Windows.h"
#include "banking/frmAssegniEmessi.h"
#include "banking/frmMieiContiCorrenti.h"
#include "customers/frmAnagrafica.h"
#include "customers/frmTipologiaPersone.h"
#include "payments/frmPagamenti.h"
#include "platform/Form.h"
#include "reports/frmSplashReports.h"
#include "shell/WindowRegistry.h"
#include "shell/frmAbout.h"

namespace {
template <class T>
WindowRegistry::Opener modal()
{
    return [] { FormInstance<T>::get()->Show(true); };
}
}

void registerWindows()
{
    WindowRegistry::setWindows({
        {QStringLiteral("frmAbout"), modal<frmAbout>()},
        {QStringLiteral("frmAnagrafica"), modal<frmAnagrafica>()},
        {QStringLiteral("frmAssegniEmessi"), modal<frmAssegniEmessi>()},
        {QStringLiteral("frmMieiContiCorrenti"), modal<frmMieiContiCorrenti>()},
        {QStringLiteral("frmPagamenti"), &frmPagamenti::showAllCustomers},
        {QStringLiteral("frmSplashReports"), modal<frmSplashReports>()},
        {QStringLiteral("frmTipologiaPersone"), modal<frmTipologiaPersone>()},
    });
    WindowRegistry::setCustomerPayments(&frmPagamenti::showCustomer);
}
