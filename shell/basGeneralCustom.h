#pragma once
// Trace, log, settings, existence tests and small checks.
#include <QList>
#include <QPair>
#include <QString>
#include <QVariant>

class MSFlexGrid;

extern short gPrtCSize;
extern short gFaseUpdate;

// The settings a new database starts with, in the order the start-up statements insert them;
// getSetting answers them while the database has no settings table.
const QList<QPair<QString, QString>> &settingDefaults();
QString getSetting(const QString &key);
void aggiornaFaseUpdate(short n);
bool fileExists(const QString &path);

QString Punto(const QVariant &value);
QString wrapbooleanchk(const QVariant &value);
// A count that fails shows its message and answers false; *failed tells a caller that must not
// go on as if no row existed (a delete guard, a uniqueness check).
bool esisteRecord(const QString &table, const QString &field, const QVariant &value, const QString &kind,
                  const QString &exclField = QString(), const QVariant &exclValue = QVariant(), bool *failed = nullptr);
bool esisteRecordSQL(const QString &sql, bool *failed = nullptr);
QString checkABICAB(const QString &code, const QString &name);
void sortGridByDate(MSFlexGrid *grid, int column, int order);
