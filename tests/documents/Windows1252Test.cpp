#include "Windows1252.h"
#include "TestSupport.h"

TEST(Windows1252, EveryByteHasACharacterAndBack)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(static_cast<char>(b));
    const QString text = DecodeWindows1252(all);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(text.at(0x80), QChar(0x20AC));
    EXPECT_EQ(text.at(0x81), QChar(0x0081));
    EXPECT_EQ(text.at(0x8D), QChar(0x008D));
    EXPECT_EQ(text.at(0x8F), QChar(0x008F));
    EXPECT_EQ(text.at(0x90), QChar(0x0090));
    EXPECT_EQ(text.at(0x9D), QChar(0x009D));
    EXPECT_EQ(text.at(0x9F), QChar(0x0178));
    EXPECT_EQ(text.at(0xA0), QChar(0x00A0));
    EXPECT_EQ(text.at(0xFF), QChar(0x00FF));
    QByteArray back;
    ASSERT_TRUE(EncodeWindows1252(text, back));
    EXPECT_EQ(back, all);

    // The C1 controls the code page gives other characters, and anything past it.
    for (const char16_t code : {u'\u0080', u'\u0083', u'\u009F', u'\u0100', u'\u20AD', u'\uFFFD'})
        EXPECT_FALSE(EncodeWindows1252(QString(QChar(code)), back)) << int(code);
}

TEST(Windows1252, RecognisesOnlyWellFormedMultiByteUtf8)
{
    struct Case
    {
        QByteArray bytes;
        bool utf8;
    };
    const Case cases[] = {
        {"", false},
        {"plain ascii", false},
        {"\xC3\xA9", true},          // é
        {"x\xE2\x82\xAC", true},     // €
        {"\xF0\x9F\x8E\xB5", true},  // U+1F3B5
        {"\xF4\x8F\xBF\xBF", true},  // U+10FFFF
        {"\xED\x9F\xBF", true},      // U+D7FF, just below the surrogates
        {"\xE9", false},             // é in Windows-1252
        {"\xC3", false},             // cut short
        {"\xC3\xA9\xC3", false},     // cut short after a good one
        {"\xC3(", false},            // bad continuation
        {"\xC0\x80", false},         // overlong NUL
        {"\xC1\xBF", false},         // overlong
        {"\xE0\x80\xAF", false},     // overlong
        {"\xE0\xA0\x80", true},      // U+0800, the first three-byte one
        {"\xED\xA0\x80", false},     // surrogate
        {"\xF0\x8F\xBF\xBF", false}, // overlong
        {"\xF4\x90\x80\x80", false}, // past U+10FFFF
        {"\xF5\x80\x80\x80", false}, // no such lead byte
        {"\x80", false},             // lone continuation
        {"\xE2\x82", false},         // cut short
        {"\xE2\x82\xAC\x80", false}, // stray continuation after a good one
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsMultiByteUtf8(c.bytes), c.utf8) << c.bytes.toHex().constData();
}

TEST(Windows1252, DocumentTextGivesEveryCharacterBack)
{
    // Every character of the basic plane, alone and after a Windows-1252 letter that could pair
    // with it into something that looks like UTF-8.
    for (char32_t code = 1; code < 0x10000; ++code) {
        if (code >= 0xD800 && code < 0xE000)
            continue;
        const QString alone(QChar(static_cast<char16_t>(code)));
        const QString pair = QStringLiteral("\u00C3") + alone;
        ASSERT_EQ(DecodeDocumentText(EncodeDocumentText(alone)), alone) << int(code);
        ASSERT_EQ(DecodeDocumentText(EncodeDocumentText(pair)), pair) << int(code);
    }
    const QString astral = QStringLiteral("a\U0001F3B5b\U0010FFFF");
    EXPECT_EQ(DecodeDocumentText(EncodeDocumentText(astral)), astral);

    // Text that fits stays byte-identical to Windows-1252; the rest is UTF-8.
    EXPECT_EQ(EncodeDocumentText(QStringLiteral("Se\u00f1or \u20ac")), QByteArray("Se\xf1or \x80"));
    EXPECT_EQ(EncodeDocumentText(QStringLiteral("\u00c3\u00a9")), QByteArray("\xC3\x83\xC2\xA9"));
    EXPECT_EQ(EncodeDocumentText(QStringLiteral("\u0101")), QByteArray("\xC4\x81"));
    EXPECT_EQ(DecodeDocumentText("\xC3\xA9"), QStringLiteral("\u00e9"));
    EXPECT_EQ(DecodeDocumentText("\xC3\xA9\xE9"), QStringLiteral("\u00c3\u00a9\u00e9"));
}

TEST(Windows1252, NoTwoStoredStringsReadAlike)
{
    // Every string of up to two bytes and every three-byte one with a three-byte UTF-8 lead:
    // the text read gives the same bytes back, in the code page or as the UTF-8 it was.
    auto check = [](const QByteArray& bytes) {
        const QString text = DecodeDocumentText(bytes);
        return EncodeDocumentText(text) == bytes || text.toUtf8() == bytes;
    };
    QByteArray bytes;
    for (int a = 0; a < 256; ++a) {
        bytes = QByteArray(1, static_cast<char>(a));
        ASSERT_TRUE(check(bytes)) << a;
        for (int b = 0; b < 256; ++b) {
            bytes = QByteArray(1, static_cast<char>(a)) + static_cast<char>(b);
            ASSERT_TRUE(check(bytes)) << bytes.toHex().constData();
        }
    }
    bytes = QByteArray(3, '\0');
    for (int a = 0xE0; a <= 0xEF; ++a)
        for (int b = 0; b < 256; ++b)
            for (int c = 0; c < 256; ++c) {
                bytes[0] = static_cast<char>(a);
                bytes[1] = static_cast<char>(b);
                bytes[2] = static_cast<char>(c);
                ASSERT_TRUE(check(bytes)) << bytes.toHex().constData();
            }
}
