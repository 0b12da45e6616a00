#include "documents/Windows1252.h"
#include "tests/common/TestSupport.h"

TEST(Windows1252, BoundaryAndSpecialBytesBothWays)
{
    // The ends of ASCII and of the 0x80..0x9F table, the five bytes the code page leaves
    // undefined (kept as their C1 controls), and the first and last Latin-1 bytes.
    const int pairs[][2] = {{0x00, 0x00},  {0x7F, 0x7F},  {0x80, 0x20AC}, {0x81, 0x81},
                            {0x8A, 0x160}, {0x8D, 0x8D},  {0x8F, 0x8F},   {0x90, 0x90},
                            {0x9D, 0x9D},  {0x9F, 0x178}, {0xA0, 0xA0},   {0xFF, 0xFF}};
    QByteArray bytes;
    for (const auto& [byte, code] : pairs) {
        const QByteArray one(1, static_cast<char>(byte));
        EXPECT_EQ(DecodeWindows1252(one), QString(QChar(code))) << byte;
        EXPECT_TRUE(EncodeWindows1252(QString(QChar(code)), bytes) && bytes == one) << byte;
    }
    // The C1 controls the code page gives other characters, and anything past it.
    for (const char16_t code : {u'\u0080', u'\u0083', u'\u009F', u'\u0100', u'\u20AD', u'\uFFFD'})
        EXPECT_FALSE(EncodeWindows1252(QString(QChar(code)), bytes)) << int(code);
}

TEST(Windows1252, DocumentTextIsTheCodePageUnlessItReadsAsUtf8)
{
    // Only well-formed UTF-8 with a multi-byte sequence counts: not ASCII, a lone Windows-1252
    // letter, a cut sequence, a stray continuation or an overlong form.
    for (const char* good : {"\xC3\xA9", "x\xE2\x82\xAC", "\xF4\x8F\xBF\xBF"})
        EXPECT_TRUE(IsMultiByteUtf8(good)) << QByteArray(good).toHex().constData();
    for (const char* bad : {"", "plain ascii", "\xE9", "\xC3\xA9\xC3", "\x80", "\xC0\x80"})
        EXPECT_FALSE(IsMultiByteUtf8(bad)) << QByteArray(bad).toHex().constData();

    // Text that fits is stored in the code page unless those bytes would read back as UTF-8
    // ("Ã©"); the rest as UTF-8, a leading U+FEFF kept. Each reads back as it was.
    for (const auto& [text, stored] :
         {std::pair{QStringLiteral("Se\u00f1or \u20ac"), QByteArray("Se\xf1or \x80")},
          {QStringLiteral("\u00c3\u00a9"), QByteArray("\xC3\x83\xC2\xA9")},
          {QStringLiteral("\u0101"), QByteArray("\xC4\x81")},
          {QStringLiteral("\uFEFF\U0001F3B5"), QByteArray("\xEF\xBB\xBF\xF0\x9F\x8E\xB5")}}) {
        EXPECT_EQ(EncodeDocumentText(text), stored);
        EXPECT_EQ(DecodeDocumentText(stored), text);
    }
    // Bytes that are not UTF-8 read as the code page, even when they start like it.
    EXPECT_EQ(DecodeDocumentText("\xC3\xA9\xE9"), QStringLiteral("\u00c3\u00a9\u00e9"));
}
