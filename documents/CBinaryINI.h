#pragma once

#include "platform/LockedFile.h"

#include <QList>
#include <QString>

class QIODevice;

// The store behind a settings document (.cfg): an ordered list of (key, value, section)
// records kept in a small binary file. While a document is loaded or after it was saved, its
// file stays open and exclusively locked, so no second object or process can use it.
//
// File layout, little-endian: the 15 bytes "KOVIRBININI_100", a signed 16-bit record count,
// then per record thirteen strings (key, value, section and ten reserved ones written empty),
// each a signed 16-bit byte count followed by the bytes.
class CBinaryINI
{
public:
    struct Record
    {
        QString key;
        QString value;
        QString section;
        bool operator==(const Record&) const = default;
    };

    // The key that marks a record as deleted; such records are left out when saving.
    static inline const QString kDeletedKey = QStringLiteral("#DELETED#");
    static constexpr qsizetype kMaxRecords = 32767;
    static constexpr qsizetype kMaxStringBytes = 32767;

    CBinaryINI() = default;
    CBinaryINI(const CBinaryINI&) = delete;
    CBinaryINI& operator=(const CBinaryINI&) = delete;

    QString File() const { return m_file; }
    // A non-empty path loads that file (an empty document when nothing exists there); an
    // empty path releases the held file and forgets path and records.
    void SetFile(const QString& path);
    // SetFile for the file `holder` may hold: when it holds that very file (under any name),
    // the file is read again through a share of holder's lock instead of failing on it, and
    // the lock lasts until the last of the two lets go.
    void SetFileSharing(const QString& path, const CBinaryINI& holder);
    QString GetSimpleFileName() const { return m_simpleFileName; }
    void Commit();
    // Loads the file again, dropping unsaved changes.
    void Refresh();
    QString GetValue(const QString& key, const QString& defaultValue = {},
                     const QString& section = {}) const;
    // An empty value in a named section deletes the key (or, with an empty key, every record
    // of the section); anything else sets the first matching record or appends one.
    void WriteValue(const QString& key, const QString& value, const QString& section = {});

    bool IsHeld() const { return m_held.IsOpen(); }
    // Every record in memory, deleted ones included.
    const QList<Record>& Records() const { return m_records; }

    // Reads a whole document from the device's current position. A wrong magic is error 321,
    // a negative string length 321, running out of bytes inside the declared records 62.
    static QList<Record> ReadRecords(QIODevice& device);
    // The document bytes of the records, deleted ones left out. More than 32,767 records or a
    // string longer than 32,767 bytes is error 6, raised before anything is produced.
    static QByteArray WriteRecords(const QList<Record>& records);

private:
    void LoadFromFile(const CBinaryINI* holder = nullptr);
    void SaveToFile();
    static QString ReadString(QIODevice& device);
    static void SkipString(QIODevice& device);
    static void WriteString(QByteArray& out, const QByteArray& text);
    static bool FileExists(const QString& path);
    qsizetype FindRecord(const QString& key, const QString& section) const;

    QString m_file;
    QString m_simpleFileName;
    QList<Record> m_records;
    LockedFile m_held;
};
