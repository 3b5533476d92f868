#pragma once
#include <QString>
#include <QVariant>

// Shows every message of the program; returns the code of the button pressed.
int MyMsgBox(const QString &prompt, int buttons, const QString &title);
QString FormattaData(const QVariant &d);
QString concatSql(const QString &p1, const QString &p2, const QString &p3);
QString BooleanToString(const QVariant &v);
