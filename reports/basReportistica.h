#pragma once
// The reports' own state and their parameter engine. A report is a row of the table
// reportistica: a query text that follows "SELECT", a title, and up to two parameters whose
// answers replace the placeholders of the text ("[P1]", "[P1+1M]", "[P1+1A]", "[P1ARR]", "[P2]",
// "[P2+1M]", "[P2+1A]").
#include <QDateTime>
#include <QPair>
#include <QString>
#include <QVariant>
#include <QVector>
#include <array>
#include <optional>

// One definition as read; a NULL column stays a null text (or an invalid variant).
struct ReportDefinition {
    QString sqlreport;
    QString titolo;
    QVariant numparametri;
    QString tipopar1;
    QString tipopar2;
    QString promptpar1;
    QString promptpar2;
};

constexpr int ReportRows = 36;
// The definitions in their order: row i runs from button i (only the first 17 have a button).
// A run rewrites its row's query text; the next load restores it.
extern std::array<ReportDefinition, ReportRows> gArrReport;
// The index of the last report button.
extern short gNumReportButtons;
// The row the report window shows.
extern short gReportIndex;
// The customer-and-period dialog's last confirmation: dates as typed (or their defaults) and the
// customer key, -1 for all customers. Before any confirmation: all customers, the widest period.
extern QString gReportDataDa;
extern QString gReportDataA;
extern qint64 gReportAnagraficaID;

// The title that takes the customer-and-period dialog instead of prompts.
inline const QString kRiepilogoCliente = QStringLiteral("Riepilogo pagamenti cliente per periodo");
// The dialog's defaults for a date left empty.
inline const QString kDataDaVuota = QStringLiteral("31/12/1909");
inline const QString kDataAVuota = QStringLiteral("31/12/2099");

// Placeholder and the text that replaces it.
using PlaceholderValues = QVector<QPair<QString, QString>>;

// What the answers to one parameter gave.
struct ParameterAnswer {
    enum Outcome {
        Accepted, // values hold its placeholders
        Blank,    // an empty or cancelled answer: the run ends without a word
        Refused,  // message tells why: the run ends
    };
    Outcome outcome = Accepted;
    QString message;
    PlaceholderValues values;
};

// Asks parameter n (1 or 2) of the type through the input box(es) and checks the answer. A type
// that is none of the parameter's types asks nothing and fills nothing.
ParameterAnswer askParameter(int n, const QString &type, const QString &phrase);

// The placeholder values of a date: "[Pn]", "[Pn+1M]" and "[Pn+1A]" in the stored form; a month
// or a year later keeps the day, or takes the last day of a shorter month (31/01 gives 28/02).
PlaceholderValues dateValues(int n, const QDateTime &date);
// A "NUMERICO" answer as the SQL number it reads as by the number rule; nothing when it is none.
// A negative number is bracketed, so that no minus before the placeholder turns into "--".
std::optional<QString> numericValue(const QString &answer);
// A "STRINGA" answer as typed, every single quote doubled, for a text between single quotes.
QString textValue(const QString &answer);

// The placeholders of the customer-and-period dialog's values.
PlaceholderValues riepilogoValues(const QString &dataDa, const QString &dataA, qint64 anagraficaID);

// Replaces every placeholder of the text by its value, matched exactly (case-sensitive). The
// text is read once from left to right: an inserted value is never read again, so an answer
// that happens to hold a placeholder is inserted as it was typed.
QString substitutePlaceholders(const QString &text, const PlaceholderValues &values);

// ---- for tests only ----
// Every value of this module back to the start of a run (the program never forgets).
void resetReportStateForTests();
