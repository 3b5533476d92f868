#include "reports/basReportistica.h"
#include "platform/Dialogs.h"
#include "platform/NumberRule.h"
#include "platform/TypedDate.h"
#include "shell/basGeneral.h"
#include "shell/basRegistering.h"

std::array<ReportDefinition, ReportRows> gArrReport;
short gNumReportButtons = 16;
short gReportIndex = 0;
QString gReportDataDa = kDataDaVuota;
QString gReportDataA = kDataAVuota;
qint64 gReportAnagraficaID = -1;

void resetReportStateForTests()
{
    gArrReport.fill(ReportDefinition());
    gNumReportButtons = 16;
    gReportIndex = 0;
    gReportDataDa = kDataDaVuota;
    gReportDataA = kDataAVuota;
    gReportAnagraficaID = -1;
}

namespace {
QString ask(const QString &prompt) { return StyledDialogs::InputBox(prompt, QStringLiteral("Norvik"), QString()); }

bool blank(const QString &answer) { return answer.trimmed().isEmpty(); }

ParameterAnswer refused(const QString &message) { return {ParameterAnswer::Refused, message, {}}; }
ParameterAnswer blankAnswer() { return {ParameterAnswer::Blank, QString(), {}}; }
ParameterAnswer accepted(PlaceholderValues values) { return {ParameterAnswer::Accepted, QString(), std::move(values)}; }

QString placeholder(int n, const char *suffix = "")
{
    return QStringLiteral("[P%1%2]").arg(n).arg(QLatin1String(suffix));
}

// A date typed by the user, in the stored form.
QString typedDateSql(const QString &typed) { return FormattaData(TypedDate::read(typed)); }
}

PlaceholderValues dateValues(int n, const QDateTime &date)
{
    return {{placeholder(n), FormattaData(date)},
            {placeholder(n, "+1M"), FormattaData(date.addMonths(1))},
            {placeholder(n, "+1A"), FormattaData(date.addYears(1))}};
}

std::optional<QString> numericValue(const QString &answer)
{
    const std::optional<double> v = NumberRule::readTyped(answer);
    if (!v)
        return std::nullopt;
    const QString sql = NumberRule::toSql(*v);
    return *v < 0 ? QStringLiteral("(") + sql + QStringLiteral(")") : sql;
}

QString textValue(const QString &answer) { return QString(answer).replace(QLatin1Char('\''), QStringLiteral("''")); }

PlaceholderValues riepilogoValues(const QString &dataDa, const QString &dataA, qint64 anagraficaID)
{
    // All customers: the key is compared with its own column, which every payment matches.
    return {{QStringLiteral("[P1]"), typedDateSql(dataDa)},
            {QStringLiteral("[P1ARR]"), typedDateSql(dataA)},
            {QStringLiteral("[P2]"),
             anagraficaID == -1 ? QStringLiteral("b.anagraficaid") : QString::number(anagraficaID)}};
}

ParameterAnswer askParameter(int n, const QString &type, const QString &phrase)
{
    const QString prompt = QStringLiteral("Inserisci ") + phrase;
    if (type == QLatin1String("DATAMESE")) {
        const QString answer = ask(prompt);
        if (blank(answer))
            return blankAnswer();
        const QDate firstDay = TypedDate::readMonth(answer);
        if (!firstDay.isValid())
            return refused(QStringLiteral("Formato del mese non valido"));
        return accepted(dateValues(n, QDateTime(firstDay, QTime(0, 0), Qt::UTC)));
    }
    if (type == QLatin1String("DATAPRECISA")) {
        const QString answer = ask(prompt);
        if (blank(answer))
            return blankAnswer();
        const QDateTime date = TypedDate::read(answer);
        if (!date.isValid())
            return refused(n == 1 ? QStringLiteral("Formato data non valida")
                                  : QStringLiteral("Formato della data non valido"));
        return accepted(dateValues(n, date));
    }
    if (type == QLatin1String("DUEDATEPRECISE") && n == 1) {
        const QString fromAnswer = ask(QStringLiteral("Inserisci la data di partenza (GG/MM/AAAA)"));
        if (blank(fromAnswer))
            return blankAnswer();
        const QDateTime from = TypedDate::read(fromAnswer);
        if (!from.isValid())
            return refused(QStringLiteral("Formato data non valida"));
        const QString toAnswer = ask(QStringLiteral("Inserisci la data di arrivo (GG/MM/AAAA)"));
        if (blank(toAnswer))
            return blankAnswer();
        const QDateTime to = TypedDate::read(toAnswer);
        if (!to.isValid())
            return refused(QStringLiteral("Formato data non valida"));
        return accepted({{placeholder(n), FormattaData(from)}, {placeholder(n, "ARR"), FormattaData(to)}});
    }
    if (type == QLatin1String("STRINGA")) {
        const QString answer = ask(prompt);
        if (blank(answer))
            return blankAnswer();
        return accepted({{placeholder(n), textValue(answer)}});
    }
    if (type == QLatin1String("NUMERICO")) {
        const QString answer = ask(prompt);
        if (blank(answer))
            return blankAnswer();
        const std::optional<QString> number = numericValue(answer);
        if (!number)
            return refused(QStringLiteral("Formato numerico non valido"));
        return accepted({{placeholder(n), *number}});
    }
    return accepted({});
}

QString substitutePlaceholders(const QString &text, const PlaceholderValues &values)
{
    QString out;
    out.reserve(text.size());
    int i = 0;
    while (i < text.size()) {
        const int open = int(text.indexOf(QLatin1Char('['), i));
        if (open < 0) {
            out += QStringView(text).mid(i);
            break;
        }
        out += QStringView(text).mid(i, open - i);
        i = open + 1;
        bool replaced = false;
        for (const auto &v : values) {
            if (QStringView(text).mid(open).startsWith(v.first)) {
                out += v.second;
                i = open + int(v.first.size());
                replaced = true;
                break;
            }
        }
        if (!replaced)
            out += QLatin1Char('[');
    }
    return out;
}
