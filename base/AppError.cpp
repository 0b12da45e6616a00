#include "base/AppError.h"

#include <cerrno>
#include <cstring>

AppError::AppError(int number, QString description, QString source)
    : m_number(number),
      m_description(description.isEmpty() ? StandardDescription(number) : std::move(description)),
      m_source(std::move(source))
{
    m_what = QStringLiteral("Error %1: %2").arg(m_number).arg(m_description).toStdString();
}

QString AppError::StandardDescription(int number)
{
    switch (number) {
    case ErrorNumber::ReturnWithoutGoSub: return QStringLiteral("Return without GoSub");
    case ErrorNumber::InvalidCall: return QStringLiteral("Invalid procedure call or argument");
    case ErrorNumber::Overflow: return QStringLiteral("Overflow");
    case ErrorNumber::OutOfMemory: return QStringLiteral("Out of memory");
    case ErrorNumber::SubscriptOutOfRange: return QStringLiteral("Subscript out of range");
    case ErrorNumber::DivisionByZero: return QStringLiteral("Division by zero");
    case ErrorNumber::TypeMismatch: return QStringLiteral("Type mismatch");
    case ErrorNumber::BadFileName: return QStringLiteral("Bad file name or number");
    case ErrorNumber::FileNotFound: return QStringLiteral("File not found");
    case ErrorNumber::FileAlreadyOpen: return QStringLiteral("File already open");
    case ErrorNumber::DeviceIO: return QStringLiteral("Device I/O error");
    case ErrorNumber::FileAlreadyExists: return QStringLiteral("File already exists");
    case ErrorNumber::DiskFull: return QStringLiteral("Disk full");
    case ErrorNumber::InputPastEnd: return QStringLiteral("Input past end of file");
    case ErrorNumber::TooManyFiles: return QStringLiteral("Too many files");
    case ErrorNumber::DeviceUnavailable: return QStringLiteral("Device unavailable");
    case ErrorNumber::PermissionDenied: return QStringLiteral("Permission denied");
    case ErrorNumber::DiskNotReady: return QStringLiteral("Disk not ready");
    case ErrorNumber::RenameAcrossDrives:
        return QStringLiteral("Can't rename with different drive");
    case ErrorNumber::PathFileAccess: return QStringLiteral("Path/File access error");
    case ErrorNumber::PathNotFound: return QStringLiteral("Path not found");
    case ErrorNumber::InvalidPattern: return QStringLiteral("Invalid pattern string");
    case ErrorNumber::InvalidFileFormat: return QStringLiteral("Invalid file format");
    case ErrorNumber::DuplicateKey:
        return QStringLiteral("This key is already associated with an element of this collection");
    default: return {};
    }
}

AppError AppError::FromErrno(int err, const QString& context)
{
    int number = ErrorNumber::PathFileAccess;
    switch (err) {
    case ENOENT: number = ErrorNumber::FileNotFound; break;
    case EACCES:
    case EPERM:
    case EWOULDBLOCK: number = ErrorNumber::PermissionDenied; break;
    case ENOTDIR: number = ErrorNumber::PathNotFound; break;
    case EEXIST: number = ErrorNumber::FileAlreadyExists; break;
    case ENOSPC:
    case EDQUOT: number = ErrorNumber::DiskFull; break;
    default: break;
    }
    QString text = QString::fromLocal8Bit(std::strerror(err));
    if (!context.isEmpty())
        text = context + QStringLiteral(": ") + text;
    return AppError(number, text);
}

void RaiseError(int number, const QString& description, const QString& source)
{
    throw AppError(number, description, source);
}
