#include "support/AppError.h"

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
    case 3: return QStringLiteral("Return without GoSub");
    case 5: return QStringLiteral("Invalid procedure call or argument");
    case 6: return QStringLiteral("Overflow");
    case 7: return QStringLiteral("Out of memory");
    case 9: return QStringLiteral("Subscript out of range");
    case 11: return QStringLiteral("Division by zero");
    case 13: return QStringLiteral("Type mismatch");
    case 52: return QStringLiteral("Bad file name or number");
    case 53: return QStringLiteral("File not found");
    case 55: return QStringLiteral("File already open");
    case 57: return QStringLiteral("Device I/O error");
    case 58: return QStringLiteral("File already exists");
    case 61: return QStringLiteral("Disk full");
    case 62: return QStringLiteral("Input past end of file");
    case 67: return QStringLiteral("Too many files");
    case 68: return QStringLiteral("Device unavailable");
    case 70: return QStringLiteral("Permission denied");
    case 71: return QStringLiteral("Disk not ready");
    case 74: return QStringLiteral("Can't rename with different drive");
    case 75: return QStringLiteral("Path/File access error");
    case 76: return QStringLiteral("Path not found");
    case 93: return QStringLiteral("Invalid pattern string");
    case 321: return QStringLiteral("Invalid file format");
    case 457:
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
    case EEXIST: number = 58; break;
    case ENOSPC:
    case EDQUOT: number = 61; break;
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
