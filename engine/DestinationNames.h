#pragma once

#include <QSet>
#include <QString>

// The names a destination folder holds, compared as its file system compares them: without
// regard to case (FAT, the usual stick, folds case). A destination that refuses some names
// holds every file under its safe name.
class DestinationNames
{
public:
    explicit DestinationNames(bool safeNames = false) : m_safeNames(safeNames) {}

    // The name a file of this name gets in this destination.
    QString NameFor(const QString& fileName) const;
    bool Contains(const QString& nameHere) const;
    void Add(const QString& nameHere);

private:
    bool m_safeNames;
    QSet<QString> m_folded;
};

// A file name that FAT can hold: each of " * : < > ? \ | and every control character becomes
// "_", and trailing dots and spaces are dropped.
QString SafeFileName(const QString& fileName);
