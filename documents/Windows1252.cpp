#include "documents/Windows1252.h"

#include <QStringDecoder>

#include <algorithm>
#include <array>

namespace {

// Characters of the bytes 0x80..0x9F; the rest of the code page equals Latin-1.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

} // namespace

QString DecodeWindows1252(const QByteArray& bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        *out++ = (byte >= 0x80 && byte < 0xA0) ? QChar(kHighControls[byte - 0x80])
                                               : QChar(char16_t(byte));
    }
    return text;
}

bool EncodeWindows1252(const QString& text, QByteArray& bytes)
{
    bytes.resize(text.size());
    char* out = bytes.data();
    for (const QChar ch : text) {
        const char16_t code = ch.unicode();
        if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) {
            *out++ = static_cast<char>(code);
            continue;
        }
        int found = -1;
        for (int i = 0; i < static_cast<int>(kHighControls.size()); ++i) {
            if (kHighControls[i] == code) {
                found = i;
                break;
            }
        }
        if (found < 0)
            return false;
        *out++ = static_cast<char>(0x80 + found);
    }
    return true;
}

bool IsMultiByteUtf8(const QByteArray& bytes)
{
    if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) == 0; }))
        return false;
    // Stateless: a sequence cut short at the end is an error, not something to wait for.
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    // The decoding runs when its result is taken.
    [[maybe_unused]] const QString text = utf8.decode(bytes);
    return !utf8.hasError();
}

QByteArray EncodeDocumentText(const QString& text)
{
    QByteArray bytes;
    // Windows-1252 bytes that happen to form UTF-8 (such as "Ã©") would come back as other
    // characters; UTF-8 keeps them.
    if (EncodeWindows1252(text, bytes) && !IsMultiByteUtf8(bytes))
        return bytes;
    return text.toUtf8();
}

QString DecodeDocumentText(const QByteArray& bytes)
{
    if (!IsMultiByteUtf8(bytes))
        return DecodeWindows1252(bytes);
    // A leading U+FEFF is text here, not a byte-order mark to drop.
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    return utf8.decode(bytes);
}
