#include "base/ErrorReport.h"

#include "base/Dialogs.h"
#include "base/ProductInfo.h"

#include <exception>
#include <new>

QString ErrorReportText(const AppError& error, const QString& message)
{
    const QString first = message.isEmpty() ? QStringLiteral("An error has occurred.") : message;
    return first + QStringLiteral("\r\n(Error ") + QString::number(error.number()) +
           QStringLiteral(") ") + error.description();
}

void ReportError(const AppError& error, const QString& message)
{
    Dialogs::MsgBox(ErrorReportText(error, message), MsgButtons::OK, MsgIcon::Critical,
                    kProductTitle);
}

AppError CurrentError()
{
    try {
        throw;
    } catch (const AppError& e) {
        return e;
    } catch (const std::bad_alloc&) {
        return AppError(ErrorNumber::OutOfMemory);
    } catch (const std::exception& e) {
        return AppError(ErrorNumber::InvalidCall, QString::fromLocal8Bit(e.what()));
    } catch (...) {
        return AppError(ErrorNumber::InvalidCall);
    }
}

void ReportCurrentError(const QString& message)
{
    ReportError(CurrentError(), message);
}
