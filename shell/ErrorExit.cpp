#include "shell/ErrorExit.h"
#include "platform/Dialogs.h"
#include "shell/basGeneralCustom.h"
#include "shell/basRegistering.h"

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
