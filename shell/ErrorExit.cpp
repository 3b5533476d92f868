#include "shell/ErrorExit.h"
#include "platform/Dialogs.h"
#include "platform/VbRuntime.h"
#include "shell/ProgramFolder.h"
#include <QDateTime>
#include <QFile>

QString gCurrentProcedure;
QString gLogStatus;

namespace {
// The modules the log's and the message box's own messages and trace lines name.
const QString kLogModule = QStringLiteral("basGeneralCustom");
const QString kMessageModule = QStringLiteral("basRegistering");
// Set once the user has been told that the log cannot be written; cleared by a line that is
// written again. Meanwhile every traced procedure would show the same message.
bool g_logFailureTold = false;
}

QString errorSentence(long number, const QString &description, const QString &procedure, const QString &owner,
                      OwnerKind kind)
{
    return QStringLiteral("Error ") + QString::number(number) + QStringLiteral(" (") + description
           + QStringLiteral(") in procedure ") + procedure
           + (kind == OwnerKind::Form ? QStringLiteral(" of Form ") : QStringLiteral(" of Modulo ")) + owner;
}

void showErrorExit(const PlatformError &e, const QString &procedure, const QString &owner, OwnerKind kind,
                   ErrorForm form)
{
    const QString sentence = errorSentence(e.number(), e.description(), procedure, owner, kind);
    if (form == ErrorForm::Plain)
        PlainMessageBox(sentence);
    else
        MyMsgBox(sentence, 48, QStringLiteral("Norvik"));
}

Procedure::Procedure(QString owner, QString name, OwnerKind kind, ErrorForm form, bool trace)
    : m_owner(std::move(owner)), m_name(std::move(name)), m_kind(kind), m_form(form)
{
    if (trace)
        traceProcedure(m_owner, m_name);
}

void Procedure::report(const PlatformError &e) const
{
    // An error raised while the exit itself is showing its message is not caught again here.
    try {
        showErrorExit(e, m_name, m_owner, m_kind, m_form);
    } catch (...) {
    }
}

void traceProcedure(const QString &owner, const QString &procedure)
{
    gCurrentProcedure = owner + QStringLiteral("::") + procedure;
    if (gLogStatus == QLatin1String("ON"))
        addToLog(gCurrentProcedure);
}

void addToLog(const QString &text)
{
    if (gLogStatus != QLatin1String("ON"))
        return;
    QFile f(programFolderSlash() + QStringLiteral("brumlet3.log"));
    const QDateTime now = QDateTime::currentDateTime();
    const QString line = QStringLiteral("[") + vb::ShortDate(now.date()) + QStringLiteral(" - ")
                         + vb::LongTime(now.time()) + QStringLiteral("] ") + text + QStringLiteral("\r\n");
    const QByteArray bytes = line.toLatin1();
    if (f.open(QIODevice::WriteOnly | QIODevice::Append) && f.write(bytes) == bytes.size() && f.flush()) {
        f.close();
        g_logFailureTold = false;
        return;
    }
    if (g_logFailureTold)
        return;
    const long number = f.error() == QFileDevice::OpenError ? ErrNo::PermissionDenied : ErrNo::FileIO;
    const PlatformError e(number, f.errorString());
    // Set before the message: the box traces itself, and so does whatever runs while it is open.
    g_logFailureTold = true;
    showErrorExit(e, QStringLiteral("addToLog"), kLogModule, OwnerKind::Modulo);
}

void resetLogForTests() { g_logFailureTold = false; }

int MyMsgBox(const QString &prompt, int buttons, const QString &title)
{
    traceProcedure(kMessageModule, QStringLiteral("MyMsgBox"));
    try {
        return StyledDialogs::MessageBox(prompt, buttons, title);
    } catch (const PlatformError &e) {
        PlainMessageBox(
            errorSentence(e.number(), e.description(), QStringLiteral("MyMsgBox"), kMessageModule, OwnerKind::Modulo));
    } catch (const std::exception &e) {
        PlainMessageBox(errorSentence(ErrNo::InvalidProcedureCall, QString::fromUtf8(e.what()),
                                      QStringLiteral("MyMsgBox"), kMessageModule, OwnerKind::Modulo));
    }
    return 0;
}
