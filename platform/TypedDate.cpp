#include "platform/TypedDate.h"
#include <QRegularExpression>

namespace {
// [0-9], not \d: digits of other scripts are no date.
const QRegularExpression &italianForm()
{
    static const QRegularExpression re(QStringLiteral("^([0-9]{1,2})([/.-])([0-9]{1,2})\\2([0-9]{4}|[0-9]{2})$"));
    return re;
}

const QRegularExpression &digitsOnlyForm()
{
    static const QRegularExpression re(QStringLiteral("^([0-9]{2})([0-9]{2})([0-9]{4}|[0-9]{2})$"));
    return re;
}

const QRegularExpression &storedForm()
{
    static const QRegularExpression re(
        QStringLiteral("^([0-9]{4})-([0-9]{2})-([0-9]{2})(?: ([0-9]{2}):([0-9]{2}):([0-9]{2}))?$"));
    return re;
}

const QRegularExpression &monthForm()
{
    static const QRegularExpression re(QStringLiteral("^([0-9]{1,2})[/.-]([0-9]{4}|[0-9]{2})$"));
    return re;
}

int number(const QRegularExpressionMatch &m, int group) { return m.capturedView(group).toInt(); }

int fullYear(const QRegularExpressionMatch &m, int group)
{
    const int year = number(m, group);
    if (m.capturedLength(group) != 2)
        return year;
    return year + (year < 30 ? 2000 : 1900);
}

// Invalid for a day the month does not have and for a year before the first.
QDate dateOf(int year, int month, int day) { return year < TypedDate::FirstYear ? QDate() : QDate(year, month, day); }

// Dates carry no zone: UTC spares the gaps of daylight saving time.
QDateTime at(const QDate &date, const QTime &time = QTime(0, 0))
{
    return date.isValid() && time.isValid() ? QDateTime(date, time, Qt::UTC) : QDateTime();
}
}

QDateTime TypedDate::read(const QString &text)
{
    const QString t = text.trimmed();
    QRegularExpressionMatch m = italianForm().match(t);
    if (m.hasMatch())
        return at(dateOf(fullYear(m, 4), number(m, 3), number(m, 1)));
    m = digitsOnlyForm().match(t);
    if (m.hasMatch())
        return at(dateOf(fullYear(m, 3), number(m, 2), number(m, 1)));
    m = storedForm().match(t);
    if (m.hasMatch()) {
        const QTime time = m.capturedLength(4) ? QTime(number(m, 4), number(m, 5), number(m, 6)) : QTime(0, 0);
        return at(dateOf(number(m, 1), number(m, 2), number(m, 3)), time);
    }
    return QDateTime();
}

QDate TypedDate::readMonth(const QString &text)
{
    const QRegularExpressionMatch m = monthForm().match(text.trimmed());
    return m.hasMatch() ? dateOf(fullYear(m, 2), number(m, 1), 1) : QDate();
}
