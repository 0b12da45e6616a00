#include "documents/CBinaryINI.h"

#include "base/AppError.h"
#include "base/Text.h"
#include "documents/Windows1252.h"
#include "platform/Paths.h"
#include "platform/Platform.h"

#include <QFile>
#include <QIODevice>
#include <QtEndian>

#include <algorithm>
#include <array>

namespace {

const QByteArray kMagic = QByteArrayLiteral("KOVIRBININI_100");
constexpr int kReservedStrings = 10;

// Reads exactly `size` bytes into `out`; the device running dry first is error 62.
void ReadExactly(QIODevice& device, char* out, qint64 size)
{
    while (size > 0) {
        const qint64 n = device.read(out, size);
        if (n < 0)
            RaiseError(ErrorNumber::PathFileAccess, device.errorString());
        if (n == 0)
            RaiseError(ErrorNumber::InputPastEnd);
        out += n;
        size -= n;
    }
}

qint16 ReadInt16(QIODevice& device)
{
    std::array<char, 2> bytes{};
    ReadExactly(device, bytes.data(), 2);
    return qFromLittleEndian<qint16>(bytes.data());
}

void AppendInt16(QByteArray& out, qsizetype value)
{
    std::array<char, 2> bytes{};
    qToLittleEndian(static_cast<qint16>(value), bytes.data());
    out.append(bytes.data(), 2);
}

} // namespace

void CBinaryINI::SetFile(const QString& path)
{
    if (path.isEmpty()) {
        m_held.Close();
        m_file.clear();
        m_simpleFileName.clear();
        m_records.clear();
        return;
    }
    m_file = path;
    LoadFromFile();
}

void CBinaryINI::SetFileSharing(const QString& path, const CBinaryINI& holder)
{
    if (path.isEmpty()) {
        SetFile(path);
        return;
    }
    m_file = path;
    LoadFromFile(&holder);
}

void CBinaryINI::Commit()
{
    if (!m_file.isEmpty())
        SaveToFile();
}

void CBinaryINI::Refresh()
{
    if (!m_file.isEmpty())
        LoadFromFile();
}

qsizetype CBinaryINI::FindRecord(const QString& key, const QString& section) const
{
    for (qsizetype i = 0; i < m_records.size(); ++i) {
        const Record& record = m_records.at(i);
        if (EqualNoCase(record.section, section) && EqualNoCase(record.key, key))
            return i;
    }
    return -1;
}

QString CBinaryINI::GetValue(const QString& key, const QString& defaultValue,
                             const QString& section) const
{
    const qsizetype i = FindRecord(key, section);
    return i < 0 ? defaultValue : m_records.at(i).value;
}

void CBinaryINI::WriteValue(const QString& key, const QString& value, const QString& section)
{
    if (value.isEmpty() && !section.isEmpty()) {
        if (key.isEmpty()) {
            for (Record& record : m_records)
                if (EqualNoCase(record.section, section))
                    record.key = kDeletedKey;
        } else if (const qsizetype i = FindRecord(key, section); i >= 0) {
            m_records[i].key = kDeletedKey;
        }
        return;
    }
    if (const qsizetype i = FindRecord(key, section); i >= 0) {
        m_records[i].value = value;
        return;
    }
    // The count is a signed 16-bit number, deleted records included.
    if (m_records.size() >= kMaxRecords)
        RaiseError(ErrorNumber::Overflow);
    m_records.append(Record{key, value, section});
}

void CBinaryINI::LoadFromFile(const CBinaryINI* holder)
{
    m_held.Close();
    m_simpleFileName = ParsePath(m_file, PathPart::BaseName);
    m_records.clear();
    if (!FileExists(m_file))
        return;

    LockedFile file = holder && holder->m_held.IsFileAt(m_file) ? holder->m_held.Share()
                                                                : LockedFile::OpenExclusive(m_file);
    QFile device;
    // A shared descriptor also shares its position, wherever the holder left it.
    if (!device.open(file.Handle(), QIODevice::ReadOnly, QFileDevice::DontCloseHandle) ||
        !device.seek(0))
        RaiseError(ErrorNumber::PathFileAccess, device.errorString());
    // On any error the lock goes with `file` and no records are kept.
    m_records = ReadRecords(device);
    m_held = std::move(file);
}

void CBinaryINI::SaveToFile()
{
    // Limits first: a document that cannot be written leaves everything as it was.
    const QByteArray bytes = WriteRecords(m_records);

    LockedFile guard = std::move(m_held);
    // Nobody else may hold the document we are about to replace.
    if (!guard.IsOpen() && FileExists(m_file))
        guard = LockedFile::OpenExclusive(m_file);
    m_held = LockedFile::ReplaceContents(m_file, bytes);
}

QList<CBinaryINI::Record> CBinaryINI::ReadRecords(QIODevice& device)
{
    QByteArray magic(kMagic.size(), Qt::Uninitialized);
    const qint64 got = device.read(magic.data(), magic.size());
    if (got != magic.size() || magic != kMagic)
        RaiseError(ErrorNumber::InvalidFileFormat);

    const qint16 count = ReadInt16(device);
    QList<Record> records;
    for (qint16 i = 0; i < count; ++i) {
        Record record;
        record.key = ReadString(device);
        record.value = ReadString(device);
        record.section = ReadString(device);
        for (int k = 0; k < kReservedStrings; ++k)
            SkipString(device);
        records.append(std::move(record));
    }
    return records;
}

QByteArray CBinaryINI::WriteRecords(const QList<Record>& records)
{
    QList<std::array<QByteArray, 3>> encoded;
    for (const Record& record : records) {
        if (record.key == kDeletedKey)
            continue;
        std::array<QByteArray, 3> texts = {EncodeDocumentText(record.key),
                                           EncodeDocumentText(record.value),
                                           EncodeDocumentText(record.section)};
        for (const QByteArray& text : texts)
            if (text.size() > kMaxStringBytes)
                RaiseError(ErrorNumber::Overflow);
        encoded.append(std::move(texts));
        if (encoded.size() > kMaxRecords)
            RaiseError(ErrorNumber::Overflow);
    }

    QByteArray out = kMagic;
    AppendInt16(out, encoded.size());
    for (const std::array<QByteArray, 3>& texts : encoded) {
        for (const QByteArray& text : texts)
            WriteString(out, text);
        out.append(2 * kReservedStrings, '\0');
    }
    return out;
}

QString CBinaryINI::ReadString(QIODevice& device)
{
    const qint16 length = ReadInt16(device);
    if (length < 0)
        RaiseError(ErrorNumber::InvalidFileFormat);
    QByteArray bytes(length, Qt::Uninitialized);
    ReadExactly(device, bytes.data(), length);
    return DecodeDocumentText(bytes);
}

void CBinaryINI::SkipString(QIODevice& device)
{
    const qint16 length = ReadInt16(device);
    if (length < 0)
        RaiseError(ErrorNumber::InvalidFileFormat);
    std::array<char, 4096> scratch{};
    for (qint64 left = length; left > 0;) {
        const qint64 part = std::min<qint64>(left, scratch.size());
        ReadExactly(device, scratch.data(), part);
        left -= part;
    }
}

void CBinaryINI::WriteString(QByteArray& out, const QByteArray& text)
{
    AppendInt16(out, text.size());
    out.append(text);
}

bool CBinaryINI::FileExists(const QString& path)
{
    return Platform::IsFile(TrimSpaces(path));
}
