#pragma once
#include <QString>
#include <QVariant>

QString FormattaData(const QVariant &d);
QString concatSql(const QString &p1, const QString &p2, const QString &p3);
QString BooleanToString(const QVariant &v);
