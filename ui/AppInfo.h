#pragma once

#include <QString>

// Facts about the program shown to the user, kept in one place.
inline const QString kApplicationTitle = QStringLiteral("Pendrift");
inline const QString kHomePageUrl = QStringLiteral("https://orlenna.example/pendrift");
inline const QString kAuthorLine = QStringLiteral("Written by the Pendrift team at Orlenna");

// "major.minor.revision" of the program's four-part version.
inline QString VersionText()
{
    return QStringLiteral("%1.%2.%3")
        .arg(PENDRIFT_VERSION_MAJOR)
        .arg(PENDRIFT_VERSION_MINOR)
        .arg(PENDRIFT_VERSION_TWEAK);
}
