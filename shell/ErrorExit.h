#pragma once
// The bottom of the shell: the procedure trace and its log, the message box, and the error exit
// every procedure shares, which speaks through that box and is traced like any procedure.
#include "platform/PlatformError.h"
#include <QString>
#include <exception>

// ---- trace and log ----
extern QString gCurrentProcedure;
extern QString gLogStatus;

void traceProcedure(const QString &owner, const QString &procedure);
// A log that cannot be written is told once, and told again only after a line got through.
void addToLog(const QString &text);

// ---- messages ----
// Shows every message of the program; returns the code of the button pressed.
int MyMsgBox(const QString &prompt, int buttons, const QString &title);

// ---- the error exit ----
// The error exit every procedure shares: it builds
// "Error <n> (<description>) in procedure <proc> of Form <window>" (or "of Modulo <module>")
// and shows it through MyMsgBox (standard form) or the plain system box (plain form).
enum class OwnerKind { Form, Modulo };
enum class ErrorForm { Standard, Plain };

QString errorSentence(long number, const QString &description, const QString &procedure, const QString &owner,
                      OwnerKind kind);
void showErrorExit(const PlatformError &e, const QString &procedure, const QString &owner, OwnerKind kind,
                   ErrorForm form = ErrorForm::Standard);

// One procedure of a window or module: traces its entry and runs its body behind the error exit.
//   Procedure p("frmMain", "cmdBackup_Click");
//   p.run([&] { ... });
class Procedure {
public:
    Procedure(QString owner, QString name, OwnerKind kind = OwnerKind::Form, ErrorForm form = ErrorForm::Standard,
              bool trace = true);

    // Runs the body; on an error shows the exit's message and returns false.
    template <class F>
    bool run(F &&body)
    {
        try {
            body();
            return true;
        } catch (const PlatformError &e) {
            report(e);
        } catch (const std::bad_alloc &) {
            report(PlatformError(7, QStringLiteral("Out of memory")));
        } catch (const std::exception &e) {
            report(PlatformError(ErrNo::InvalidProcedureCall, QString::fromUtf8(e.what())));
        }
        return false;
    }
    void report(const PlatformError &e) const;

private:
    QString m_owner;
    QString m_name;
    OwnerKind m_kind;
    ErrorForm m_form;
};

// Runs a statement whose failure the procedure passes over (On Error Resume Next).
template <class F>
void ignoreErrors(F &&body) noexcept
{
    try {
        body();
    } catch (...) {
    }
}

// ---- for tests only ----
// The log's failure forgotten, as at the start of a run.
void resetLogForTests();
