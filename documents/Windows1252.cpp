#include "documents/Windows1252.h"

#include <QStringDecoder>

#include <array>

namespace {

// Characters of the bytes 0x80..0x9F; the rest of the code page equals Latin-1.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool IsContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

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
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype size = bytes.size();
    bool multiByte = false;
    qsizetype i = 0;
    while (i < size) {
        const unsigned char lead = p[i];
        if (lead < 0x80) {
            ++i;
            continue;
        }
        int length = 0;
        unsigned char low = 0x80; // allowed range of the second byte
        unsigned char high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            if (lead == 0xE0)
                low = 0xA0; // overlong
            else if (lead == 0xED)
                high = 0x9F; // surrogates
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            if (lead == 0xF0)
                low = 0x90; // overlong
            else if (lead == 0xF4)
                high = 0x8F; // past U+10FFFF
        } else {
            return false;
        }
        if (size - i < length)
            return false;
        if (p[i + 1] < low || p[i + 1] > high)
            return false;
        for (int k = 2; k < length; ++k)
            if (!IsContinuation(p[i + k]))
                return false;
        multiByte = true;
        i += length;
    }
    return multiByte;
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
