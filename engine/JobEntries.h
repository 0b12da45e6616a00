#pragma once

#include <QString>
#include <QtGlobal>

// The two kinds of entries a job holds, as their list items store them. Every reader and writer
// of an entry's text goes through these two types.

// A library folder; "<+>" right after it when its subfolders are included.
struct LibraryEntry
{
    QString folder;
    bool includeSubfolders = false;

    static LibraryEntry Parse(const QString& text);
    QString Format() const;
};

// A destination folder, its maximum size in megabytes and its percentage of new files, joined
// by ",". Read from the right: with three or more fields the last two are the numbers and
// everything before them, commas included, is the folder. The numbers keep the text they were
// stored with, so editing an entry shows what the document holds; they become numbers only
// when a run needs them.
struct DestinationEntry
{
    QString folder;
    QString maxSize;
    QString percent;

    static DestinationEntry Parse(const QString& text);
    // The numbers are written as plain decimals with "." whatever the regional settings; a
    // size of "free" stays "free".
    QString Format() const;

    // A size of "free" (any case): the room its file system will have.
    bool IsFree() const;
    // Error 6 when a value does not fit: megabytes in 64 bits, the percentage in 16.
    qint64 MaxSizeMegabytes() const;
    qint16 PercentNew() const;
};
