#pragma once

#include <QString>
#include <optional>

// "/p": works out what an unattended run of the document would do and prints it on standard
// output, without a window and without changing anything on disk. Returns the exit status:
// 0 when the run would finish, 1 when it would stop or fail.
int RunPreview(const QString& documentPath, std::optional<quint32> seed);

// "/f" with "/q" (or "/c" without a display): loads the document and, with `run` ("/a"), runs
// it unattended, with no main window. Without a display the status line and the seed go to
// standard output. Returns the exit status: 0 when the run finished (or none was asked for),
// 1 when it stopped or failed.
int RunUnattended(const QString& documentPath, bool run, std::optional<quint32> seed);

// "/s:<seed>": a whole number from 0 to 4,294,967,295, digits only; anything else is none.
std::optional<quint32> ParseSeed(const QString& text);
