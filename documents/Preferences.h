#pragma once

#include <QString>
#include <QtGlobal>

// The preferences file: an INI-layout text file read and written the way the profile
// functions of the original platform do it. Section and key names match without regard to
// case, values come back trimmed and cut to 511 characters, and writing changes one line (or
// adds a section and key) while every other line stays byte for byte as it was. Neither
// operation reports an error: a missing or unreadable file reads as the defaults, and a failed
// write is dropped.

inline const QString kPreferencesSection = QStringLiteral("settings");

// An empty folder means GetDataFolder(), an empty file name the executable's name and ".ini"
// (pendrift.ini).
QString ReadPreference(const QString& key, const QString& defaultValue = {},
                       const QString& section = kPreferencesSection, const QString& folder = {},
                       const QString& fileName = {});

void WritePreference(const QString& key, const QString& value,
                     const QString& section = kPreferencesSection, const QString& folder = {},
                     const QString& fileName = {});

// Numbers are stored as decimal text.
void WritePreference(const QString& key, qint64 value, const QString& section = kPreferencesSection,
                     const QString& folder = {}, const QString& fileName = {});
