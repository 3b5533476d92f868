#include "shell/WindowRegistry.h"

namespace {
QHash<QString, WindowRegistry::Opener> &table()
{
    static QHash<QString, WindowRegistry::Opener> windows;
    return windows;
}

WindowRegistry::CustomerOpener &customerPayments()
{
    static WindowRegistry::CustomerOpener opener;
    return opener;
}
}

void WindowRegistry::setWindows(QHash<QString, Opener> windows) { table() = std::move(windows); }

bool WindowRegistry::show(const QString &name)
{
    // A copy: the window shown may run long enough for the table to be refilled meanwhile.
    const Opener open = table().value(name);
    if (!open)
        return false;
    open();
    return true;
}

bool WindowRegistry::exists(const QString &name) { return table().contains(name); }

void WindowRegistry::setCustomerPayments(CustomerOpener opener) { customerPayments() = std::move(opener); }

bool WindowRegistry::showCustomerPayments(double customerId, const QString &customerName)
{
    const CustomerOpener open = customerPayments();
    if (!open)
        return false;
    open(customerId, customerName);
    return true;
}
