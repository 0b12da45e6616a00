#pragma once

#include "base/AppError.h"

#include <QString>

// The two lines of an error report: the message (or the generic text) and the error.
QString ErrorReportText(const AppError& error, const QString& message);

// Shows the report in a critical box with OK, captioned with the program's title.
void ReportError(const AppError& error, const QString& message);

// For use inside a catch block: reports the exception being handled, whatever its type.
void ReportCurrentError(const QString& message);

// The exception being handled as an AppError (out of memory 7, anything else 5).
AppError CurrentError();
