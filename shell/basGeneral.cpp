#include "shell/basGeneral.h"
#include "platform/Dialogs.h"
#include "platform/Form.h"
#include "platform/MSFlexGrid.h"
#include "platform/ShellLaunch.h"
#include "platform/VbRuntime.h"
#include "platform/WebBrowser.h"
#include "platform/XPControls.h"
#include "shell/ErrorExit.h"
#include "shell/ProgramFolder.h"
#include <QFile>
#include <QHash>
#include <QPointer>

QString gDbType;
std::unique_ptr<SqliteDbComponent> gSqliteDb;
QString gDbPath;
QString gDbFileName;
bool gIsNewRecord = false;
QString gWhereAnagrafica, gWhereTipologiaPersone, gWherePagamenti, gWhereAssegniEmessi, gWhereMieiContiCorrenti,
    gWhereUnused1, gWhereUnused2;
bool gErrorTrapOn = false;
QVariant gGridMouseDownY;
double gGridLeftCol = 0;

namespace {
const QString kModule = QStringLiteral("basGeneral");
std::unique_ptr<Recordset> g_rs;
}

Recordset &gRs()
{
    if (!g_rs)
        g_rs = std::make_unique<Recordset>();
    return *g_rs;
}

void releaseRs() { g_rs.reset(); }

bool isSqlLite() { return gDbType == QLatin1String("SqlLite"); }
bool isAccess() { return gDbType == QLatin1String("Access"); }
bool isMySql() { return gDbType == QLatin1String("MySql"); }

namespace {
QPointer<Form> g_startWindow;

void failOpen(const QString &message)
{
    MyMsgBox(message, 16, QStringLiteral("Norvik"));
    if (g_startWindow)
        g_startWindow->Unload();
}
}

void setStartWindow(Form *window) { g_startWindow = window; }

void OpenDb()
{
    traceProcedure(kModule, QStringLiteral("OpenDb"));
    // Only the SQLite kind is built: the program always runs on its own database file.
    if (isSqlLite())
        OpenSqlLiteDb();
}

void OpenSqlLiteDb()
{
    traceProcedure(kModule, QStringLiteral("OpenSqlLiteDb"));
    if (gSqliteDb)
        return;
    try {
        gSqliteDb = std::make_unique<SqliteDbComponent>();
        gDbFileName = QStringLiteral("norvik.db3");
        gDbPath = programFolderSlash() + gDbFileName;
        gSqliteDb->open(gDbPath, QString());
    } catch (const PlatformError &e) {
        // Held by another program so that not even reading is possible: the user is told why.
        if (SqliteDbComponent::isLock(e))
            failOpen(QStringLiteral("Impossibile connettersi al database: è bloccato da un altro programma (")
                     + e.description()
                     + QStringLiteral(").\nAttendere che l'altro programma lo liberi, poi avviare di nuovo Norvik."));
        else
            failOpen(QStringLiteral("Impossibile connettersi al database"));
    } catch (const std::exception &) {
        failOpen(QStringLiteral("Impossibile connettersi al database"));
    }
}

void resetDatabaseForTests()
{
    g_rs.reset();
    gSqliteDb.reset();
}

SqliteDbComponent &gDb()
{
    if (!gSqliteDb || !gSqliteDb->isOpen())
        throw PlatformError(3709, QStringLiteral("The connection cannot be used to perform this operation. It is "
                                                 "either closed or invalid in this context."));
    return *gSqliteDb;
}

void CloseDb()
{
    traceProcedure(kModule, QStringLiteral("CloseDb"));
    ignoreErrors([] { gRs().Close(); });
}

void gRsOpen(const QString &sql)
{
    Procedure p(kModule, QStringLiteral("gRsOpen"), OwnerKind::Modulo);
    p.run([&] { g_rs = gDb().query(sql); });
}

bool gDbExecute(const QString &sql) { return gDbExecute(sql, false); }

bool isAlreadyApplied(const QString &sql, const PlatformError &e)
{
    return gSqliteDb && gSqliteDb->isOpen() && gSqliteDb->alreadyApplied(sql, e);
}

bool gDbExecute(const QString &sql, bool passOverApplied)
{
    Procedure p(kModule, QStringLiteral("gDbExecute"), OwnerKind::Modulo);
    try {
        gDb().execute(sql);
        return true;
    } catch (const PlatformError &e) {
        if (!(passOverApplied && isAlreadyApplied(sql, e)))
            p.report(e);
    }
    return false;
}

bool gDbExecute(const QStringList &statements)
{
    return gDbWrite([&](SqliteDbComponent &db) {
        for (const QString &sql : statements)
            db.execute(sql);
        return true;
    });
}

bool gDbWrite(const std::function<bool(SqliteDbComponent &db)> &write)
{
    Procedure p(kModule, QStringLiteral("gDbExecute"), OwnerKind::Modulo);
    bool committed = false;
    // The error exit speaks only after the transaction has been taken back.
    p.run([&] {
        SqliteDbComponent &db = gDb();
        Transaction transaction(db);
        if (!write(db))
            return;
        transaction.commit();
        committed = true;
    });
    return committed;
}

// ---- SQL literal helpers ----

QString StringReplace(const QString &text, const QString &find, const QString &repl)
{
    Procedure p(kModule, QStringLiteral("StringReplace"), OwnerKind::Modulo);
    QString s = text;
    p.run([&] {
        if (find.isEmpty())
            return;
        int pos = s.indexOf(find, 0, Qt::CaseInsensitive);
        while (pos >= 0) {
            s = s.left(pos) + repl + s.mid(pos + find.size());
            pos = s.indexOf(find, pos + repl.size(), Qt::CaseInsensitive);
        }
    });
    return s;
}

QString Pad(const QString &text)
{
    traceProcedure(kModule, QStringLiteral("Pad"));
    return StringReplace(text, QStringLiteral("'"), QStringLiteral("''"));
}

QString PutTicksIn(const QString &text)
{
    traceProcedure(kModule, QStringLiteral("PutTicksIn"));
    QString s = text;
    s.replace(QStringLiteral(","), QStringLiteral(", "));
    s.replace(QStringLiteral("  "), QStringLiteral(" "));
    s.replace(QStringLiteral(", "), QStringLiteral("', '"));
    return QStringLiteral("'") + s + QStringLiteral("'");
}

bool isBooleanField(const Field &field)
{
    traceProcedure(kModule, QStringLiteral("isBooleanField"));
    const QString n = field.Name();
    return n == QLatin1String("SuPiazza") || n == QLatin1String("GirataPiena") || n == QLatin1String("Trasferibile")
           || n == QLatin1String("Sbarrato");
}

// ---- form helpers ----

void CenterForm(Form *form)
{
    Procedure p(kModule, QStringLiteral("CenterForm"), OwnerKind::Modulo);
    p.run([&] {
        const double top = vb::RoundHalfEven(Screen::Height() - form->Height());
        form->setTop(double(qint64(top) / 2));
        const double left = vb::RoundHalfEven(Screen::Width() - form->Width());
        form->setLeft(double(qint64(left) / 2));
    });
}

void DisattivaTabstop(Form *form)
{
    Procedure p(kModule, QStringLiteral("DisattivaTabstop"), OwnerKind::Modulo);
    p.run([&] {
        const QList<Control *> controls = form->Controls();
        for (Control *c : controls) {
            switch (c->Kind()) {
            case ControlKind::Label:
            case ControlKind::Browser:
                c->setTabStop(false);
                break;
            case ControlKind::ComboBox:
                static_cast<XPComboBox *>(c)->DropDownList = true;
                static_cast<XPComboBox *>(c)->setEditable(false);
                break;
            case ControlKind::Frame: {
                auto *frame = static_cast<XPForm *>(c);
                frame->DrawGradientForm = true;
                frame->setIcon(mainWindowIcon());
                break;
            }
            default:
                break;
            }
        }
        static const QHash<QString, QString> keys = {
            {QStringLiteral("Stampa"), QStringLiteral("S&tampa")},
            {QStringLiteral("Esci"), QStringLiteral("E&sci")},
            {QStringLiteral("Elimina"), QStringLiteral("&Elimina")},
            {QStringLiteral("Aggiungi"), QStringLiteral("&Aggiungi")},
            {QStringLiteral("Cerca"), QStringLiteral("&Cerca")},
            {QStringLiteral("Esporta CSV"), QStringLiteral("Espo&rta CSV")},
            {QStringLiteral("Versa"), QStringLiteral("&Versa")},
            {QStringLiteral("Ok"), QStringLiteral("&Ok")},
            {QStringLiteral("Annulla"), QStringLiteral("A&nnulla")},
            {QStringLiteral("Reimposta"), QStringLiteral("&Reimposta")},
        };
        for (Control *c : controls) {
            if (c->Kind() != ControlKind::Button)
                continue;
            auto *b = static_cast<XPButton *>(c);
            const auto it = keys.constFind(b->Caption());
            if (it != keys.constEnd())
                b->setCaption(it.value());
        }
    });
}

QString PutSpacesInLabels(const QString &name)
{
    traceProcedure(kModule, QStringLiteral("PutSpacesInLabels"));
    QString out;
    out.reserve(name.size() + 8);
    auto isCapital = [](QChar c) { return c.unicode() >= 65 && c.unicode() <= 96; };
    for (int i = 0; i < name.size(); ++i) {
        const QChar c = name.at(i);
        if (i > 0 && isCapital(c) && !isCapital(name.at(i - 1)))
            out += QLatin1Char(' ');
        out += c;
    }
    Screen::setMousePointer(0);
    return out;
}

void LaunchBrowser(const QString &address, Form *window)
{
    Procedure p(kModule, QStringLiteral("LaunchBrowser"), OwnerKind::Modulo);
    Q_UNUSED(window);
    p.run([&] {
        if (address.isEmpty())
            return;
        const QString probe = programFolderSlash() + QStringLiteral("test.htm");
        {
            QFile f(probe);
            if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
                throw PlatformError(ErrNo::PermissionDenied, f.errorString());
            if (f.write("\"<HTML> <\\HTML>\"\r\n") < 0 || !f.flush()) {
                const PlatformError e(ErrNo::FileIO, f.errorString());
                f.close();
                QFile::remove(probe);
                throw e;
            }
        }
        const QString browser = ShellLaunch::FindExecutable(probe);
        if (browser.isEmpty())
            MyMsgBox(QStringLiteral("Could not find associated Browser"), 48, QStringLiteral("Browser Not Found"));
        else if (!ShellLaunch::ShellExecute(browser, address))
            MyMsgBox(QStringLiteral("Unable to open Web Page."), 48, QStringLiteral("Norvik"));
        QFile::remove(probe);
    });
}

void doEnglishGrid(MSFlexGrid *)
{
    // The English interface is never switched on.
}
