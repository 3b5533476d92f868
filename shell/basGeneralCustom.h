#pragma once
// Trace, log, settings, existence tests and small checks.
#include <QString>
#include <QVariant>

class MSFlexGrid;

extern QString gCurrentProcedure;
extern QString gLogStatus;
extern short gPrtCSize;
extern short gFaseUpdate;

void traceProcedure(const QString &owner, const QString &procedure);
void addToLog(const QString &text);
QString getSetting(const QString &key);
void aggiornaFaseUpdate(short n);
bool fileExists(const QString &path);

QString Punto(const QVariant &value);
QString wrapbooleanchk(const QVariant &value);
bool esisteRecord(const QString &table, const QString &field, const QVariant &value,
                  const QString &kind, const QString &exclField = QString(),
                  const QVariant &exclValue = QVariant());
bool esisteRecordSQL(const QString &sql);
QString checkABICAB(const QString &code, const QString &name);
void sortGridByDate(MSFlexGrid *grid, int column, int order);
