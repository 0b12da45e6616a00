#pragma once

#include <QString>
#include <exception>
#include <string>

// The one error type of the program: a run-time error number, its description and the
// place that raised it. Handlers show number and description (ReportError).
class AppError : public std::exception
{
public:
    AppError(int number, QString description = {}, QString source = {});

    int number() const noexcept { return m_number; }
    const QString& description() const noexcept { return m_description; }
    const QString& source() const noexcept { return m_source; }
    const char* what() const noexcept override { return m_what.c_str(); }

    // The description the run-time gives a number; empty for numbers it does not know.
    static QString StandardDescription(int number);

    // Maps an errno value to the nearest run-time number (missing 53, denied 70, other 75)
    // and carries the system's message, prefixed with the context when one is given.
    static AppError FromErrno(int err, const QString& context = {});

private:
    int m_number;
    QString m_description;
    QString m_source;
    std::string m_what;
};

// Raises error `number`; without a description the standard one is used.
[[noreturn]] void RaiseError(int number, const QString& description = {},
                             const QString& source = {});

namespace ErrorNumber {
inline constexpr int ReturnWithoutGoSub = 3;
inline constexpr int InvalidCall = 5;
inline constexpr int Overflow = 6;
inline constexpr int OutOfMemory = 7;
inline constexpr int SubscriptOutOfRange = 9;
inline constexpr int DivisionByZero = 11;
inline constexpr int TypeMismatch = 13;
inline constexpr int BadFileName = 52;
inline constexpr int FileNotFound = 53;
inline constexpr int FileAlreadyOpen = 55;
inline constexpr int DeviceIO = 57;
inline constexpr int FileAlreadyExists = 58;
inline constexpr int DiskFull = 61;
inline constexpr int InputPastEnd = 62;
inline constexpr int TooManyFiles = 67;
inline constexpr int DeviceUnavailable = 68;
inline constexpr int PermissionDenied = 70;
inline constexpr int DiskNotReady = 71;
inline constexpr int RenameAcrossDrives = 74;
inline constexpr int PathFileAccess = 75;
inline constexpr int PathNotFound = 76;
inline constexpr int InvalidPattern = 93;
inline constexpr int InvalidFileFormat = 321;
inline constexpr int DuplicateKey = 457;
} // namespace ErrorNumber
