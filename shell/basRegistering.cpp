#include "shell/basRegistering.h"
#include "platform/VbRuntime.h"
#include "shell/ErrorExit.h"
#include "shell/basGeneral.h"

namespace {
const QString kModule = QStringLiteral("basRegistering");
}

QString FormattaData(const QVariant &d)
{
    Procedure p(kModule, QStringLiteral("FormattaData"), OwnerKind::Modulo);
    QString result;
    p.run([&] {
        if (isSqlLite() || isMySql())
            result = vb::CDate(d).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        else if (isAccess())
            result = vb::Str(QVariant(vb::CDate(d)));
    });
    return result;
}

QString concatSql(const QString &p1, const QString &p2, const QString &p3)
{
    traceProcedure(kModule, QStringLiteral("concatSql"));
    if (isMySql())
        return QStringLiteral(" concat(ifnull(") + p1 + QStringLiteral(",''),ifnull(") + p2
               + QStringLiteral(",''),ifnull(") + p3 + QStringLiteral(",'')) ");
    if (isAccess())
        return QStringLiteral(" ") + p1 + QStringLiteral(" & ") + p2 + QStringLiteral(" & ") + p3 + QStringLiteral(" ");
    if (isSqlLite())
        return QStringLiteral(" (ifnull(") + p1 + QStringLiteral(",'') || ifnull(") + p2
               + QStringLiteral(",'') || ifnull(") + p3 + QStringLiteral(",'')) ");
    return QString();
}

QString BooleanToString(const QVariant &v)
{
    Procedure p(kModule, QStringLiteral("BooleanToString"), OwnerKind::Modulo);
    QString result;
    p.run([&] {
        if (isSqlLite() || isMySql())
            result = vb::CInt(v) != 0 ? QStringLiteral("Vero") : QStringLiteral("Falso");
        else if (isAccess())
            result = vb::Str(v);
    });
    return result;
}
