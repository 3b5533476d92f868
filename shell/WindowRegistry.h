#pragma once
#include <QHash>
#include <QString>
#include <functional>

// The windows opened by name (the main window's buttons, one register opening another), so that
// neither the shell nor a subsystem depends on the registers it opens. The program fills the
// table once at start; until then no window is known.
namespace WindowRegistry {
using Opener = std::function<void()>;
// Replaces the table: each name with what shows that window modally.
void setWindows(QHash<QString, Opener> windows);
// Shows the named window modally; false when no such window is built.
bool show(const QString &name);
bool exists(const QString &name);

// The payments list on one customer's payments, as the customer list opens it: the payments
// register supplies what that sets and shows, the customer list only names the customer.
using CustomerOpener = std::function<void(double customerId, const QString &customerName)>;
void setCustomerPayments(CustomerOpener opener);
// False when no payments list is built.
bool showCustomerPayments(double customerId, const QString &customerName);
}
