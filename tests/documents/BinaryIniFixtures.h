#pragma once

#include <QByteArray>
#include <QList>

// Builders for settings-document bytes, so tests can describe files the program never writes
// itself (reserved strings with content, duplicates, damaged counts).
namespace fixtures {

inline QByteArray Int16(int value)
{
    QByteArray out;
    out.append(static_cast<char>(value & 0xFF));
    out.append(static_cast<char>((value >> 8) & 0xFF));
    return out;
}

inline QByteArray Str(const QByteArray& bytes)
{
    return Int16(static_cast<int>(bytes.size())) + bytes;
}

// One record; `reserved` fills the ten reserved strings from the first on.
inline QByteArray Record(const QByteArray& key, const QByteArray& value, const QByteArray& section,
                         const QList<QByteArray>& reserved = {})
{
    QByteArray out = Str(key) + Str(value) + Str(section);
    for (int i = 0; i < 10; ++i)
        out += Str(i < reserved.size() ? reserved.at(i) : QByteArray());
    return out;
}

inline QByteArray Document(int count, const QByteArray& records = {})
{
    return QByteArrayLiteral("KOVIRBININI_100") + Int16(count) + records;
}

// One record, key "RenameFiles", value "0", section "settings": the 63-byte reference file,
// spelled out byte by byte rather than built with the helpers above.
inline QByteArray RenameFilesDocument()
{
    const char bytes[] = "KOVIRBININI_100"
                         "\x01\x00"
                         "\x0B\x00"
                         "RenameFiles"
                         "\x01\x00"
                         "0"
                         "\x08\x00"
                         "settings"
                         "\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0";
    return QByteArray(bytes, 63);
}

inline QByteArray EmptyDocument()
{
    return QByteArray("KOVIRBININI_100\0\0", 17);
}

} // namespace fixtures
