#pragma once
#include <QString>
#include <exception>

// The one error type of the program: a number and a description, as the failing layer reports them
// (for SQLite, its primary result code and message). Every error exit reads these two; the finer
// code (SQLite's extended result code) is kept for the callers that tell causes apart.
class PlatformError : public std::exception {
public:
    PlatformError(long number, QString description, long extendedCode = -1)
        : m_number(number), m_extended(extendedCode < 0 ? number : extendedCode), m_description(std::move(description)),
          m_utf8(m_description.toUtf8())
    {
    }
    long number() const { return m_number; }
    // The failing layer's finer code; the number where the layer gives none.
    long extendedCode() const { return m_extended; }
    const QString &description() const { return m_description; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    long m_number;
    long m_extended;
    QString m_description;
    QByteArray m_utf8;
};

// Numbers used where no outside layer gives one (they follow the classic runtime's numbering).
namespace ErrNo {
constexpr long TypeMismatch = 13;
constexpr long SubscriptOutOfRange = 9;
constexpr long InvalidProcedureCall = 5;
constexpr long ObjectRequired = 424;
constexpr long FileNotFound = 53;
constexpr long PermissionDenied = 70;
constexpr long PathNotFound = 76;
constexpr long DiskFull = 61;
constexpr long FileIO = 75;
constexpr long InvalidRowValue = 30009; // grid: row past the last one
}
