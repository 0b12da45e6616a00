#pragma once

#include <QString>
#include <optional>

// "/s:<seed>": a whole number from 0 to 4,294,967,295, digits only; anything else is none.
std::optional<quint32> ParseSeed(const QString& text);

// "/p": works out what an unattended run of the document would do and prints it on standard
// output, without showing a window or changing anything on disk. The caller has the questions
// and reports answered on the console. Returns the exit status: 0 when the run would finish, 1
// when it would stop or fail.
int RunPreview(const QString& documentPath, std::optional<quint32> seed);
