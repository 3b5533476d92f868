#include "app/Windows.h"
#include "customers/frmAnagrafica.h"
#include "customers/frmTipologiaPersone.h"
#include "platform/Form.h"
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
        {QStringLiteral("frmTipologiaPersone"), modal<frmTipologiaPersone>()},
    });
}
