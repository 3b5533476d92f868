#include "shell/WindowRegistry.h"
#include "customers/frmAnagrafica.h"
#include "customers/frmTipologiaPersone.h"
#include "payments/frmPagamenti.h"
#include "platform/Form.h"
#include "shell/frmAbout.h"
#include <QHash>
#include <functional>

namespace {
template <class T>
std::function<void()> modal()
{
    return [] { FormInstance<T>::get()->Show(true); };
}

const QHash<QString, std::function<void()>> &windows()
{
    static const QHash<QString, std::function<void()>> map = {
        {QStringLiteral("frmAbout"), modal<frmAbout>()},
        {QStringLiteral("frmAnagrafica"), modal<frmAnagrafica>()},
        {QStringLiteral("frmTipologiaPersone"), modal<frmTipologiaPersone>()},
        {QStringLiteral("frmPagamenti"), modal<frmPagamenti>()},
    };
    return map;
}
}

bool WindowRegistry::show(const QString &name)
{
    const auto it = windows().constFind(name);
    if (it == windows().constEnd())
        return false;
    it.value()();
    return true;
}

bool WindowRegistry::exists(const QString &name) { return windows().contains(name); }
