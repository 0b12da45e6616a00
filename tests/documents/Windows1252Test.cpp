#include "documents/Windows1252.h"
#include "tests/common/TestSupport.h"

TEST(Windows1252, EveryByteHasACharacterAndBack)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(static_cast<char>(b));
    const QString text = DecodeWindows1252(all);
    ASSERT_EQ(text.size(), 256);
    const int pairs[][2] = {{0x80, 0x20AC}, {0x81, 0x81},  {0x8D, 0x8D}, {0x8F, 0x8F}, {0x90, 0x90},
                            {0x9D, 0x9D},   {0x9F, 0x178}, {0xA0, 0xA0}, {0xFF, 0xFF}};
    for (const auto& [byte, code] : pairs)
        EXPECT_EQ(text.at(byte), QChar(code)) << byte;
    QByteArray back;
    ASSERT_TRUE(EncodeWindows1252(text, back));
    EXPECT_EQ(back, all);
    // The C1 controls the code page gives other characters, and anything past it.
    for (const char16_t code : {u'\u0080', u'\u0083', u'\u009F', u'\u0100', u'\u20AD', u'\uFFFD'})
        EXPECT_FALSE(EncodeWindows1252(QString(QChar(code)), back)) << int(code);
}

TEST(Windows1252, RecognisesOnlyWellFormedMultiByteUtf8)
{
    // é, €, U+1F3B5, U+10FFFF, U+D7FF (just below the surrogates), U+0800 (the first of three).
    for (const char* good : {"\xC3\xA9", "x\xE2\x82\xAC", "\xF0\x9F\x8E\xB5", "\xF4\x8F\xBF\xBF",
                             "\xED\x9F\xBF", "\xE0\xA0\x80"})
        EXPECT_TRUE(IsMultiByteUtf8(good)) << QByteArray(good).toHex().constData();
    // Plain ASCII; é in Windows-1252; cut short; bad or stray continuations; overlong forms;
    // a surrogate; past U+10FFFF; no such lead byte.
    for (const char* bad :
         {"", "plain ascii", "\xE9", "\xC3", "\xC3\xA9\xC3", "\xE2\x82", "\xC3(", "\x80",
          "\xE2\x82\xAC\x80", "\xC0\x80", "\xC1\xBF", "\xE0\x80\xAF", "\xF0\x8F\xBF\xBF",
          "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xF5\x80\x80\x80"})
        EXPECT_FALSE(IsMultiByteUtf8(bad)) << QByteArray(bad).toHex().constData();
}

TEST(Windows1252, DocumentTextGivesEveryCharacterBack)
{
    // Every character of the basic plane, alone and after a Windows-1252 letter that could pair
    // with it into something that looks like UTF-8.
    for (char32_t code = 1; code < 0x10000; ++code) {
        if (code >= 0xD800 && code < 0xE000)
            continue;
        const QString alone(QChar(static_cast<char16_t>(code)));
        for (const QString& text : {alone, QString(QStringLiteral("\u00C3") + alone)})
            ASSERT_EQ(DecodeDocumentText(EncodeDocumentText(text)), text) << int(code);
    }
    const QString astral = QStringLiteral("a\U0001F3B5b\U0010FFFF");
    EXPECT_EQ(DecodeDocumentText(EncodeDocumentText(astral)), astral);

    // Text that fits stays byte-identical to Windows-1252; the rest is UTF-8.
    for (const auto& [text, bytes] :
         {std::pair{QStringLiteral("Se\u00f1or \u20ac"), QByteArray("Se\xf1or \x80")},
          {QStringLiteral("\u00c3\u00a9"), QByteArray("\xC3\x83\xC2\xA9")},
          {QStringLiteral("\u0101"), QByteArray("\xC4\x81")}})
        EXPECT_EQ(EncodeDocumentText(text), bytes);
    EXPECT_EQ(DecodeDocumentText("\xC3\xA9\xE9"), QStringLiteral("\u00c3\u00a9\u00e9"));

    // Every string of up to two bytes and every three-byte one with a three-byte UTF-8 lead:
    // the text read gives the same bytes back, in the code page or as the UTF-8 it was, so no
    // two stored strings read alike.
    auto check = [](const QByteArray& bytes) {
        const QString text = DecodeDocumentText(bytes);
        return EncodeDocumentText(text) == bytes || text.toUtf8() == bytes;
    };
    for (int a = 0; a < 256; ++a) {
        ASSERT_TRUE(check(QByteArray(1, static_cast<char>(a)))) << a;
        for (int b = 0; b < 256; ++b)
            for (int c = -1; c < (a >= 0xE0 && a <= 0xEF ? 256 : 0); ++c) {
                QByteArray bytes = QByteArray(1, static_cast<char>(a)) + static_cast<char>(b);
                if (c >= 0)
                    bytes += static_cast<char>(c);
                ASSERT_TRUE(check(bytes)) << bytes.toHex().constData();
            }
    }
}
