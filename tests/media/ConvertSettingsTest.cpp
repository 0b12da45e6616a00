#include "media/ConvertSettings.h"
#include "base/AppError.h"
#include "tests/common/TestSupport.h"

using namespace Qt::StringLiterals;

TEST(ConvertSettings, DocumentValuesAndExtensions)
{
    EXPECT_EQ(ParseTargetFormat(u""_s), std::nullopt);
    EXPECT_EQ(ParseTargetFormat(u"MP3"_s), TargetFormat::Mp3);
    EXPECT_EQ(ParseTargetFormat(u" Aac"_s), TargetFormat::Aac);
    EXPECT_EQ(ParseTargetFormat(u"opus"_s), TargetFormat::Opus);
    EXPECT_EQ(ErrorOf([] { ParseTargetFormat(u"ogg"_s); }), ErrorNumber::InvalidFileFormat);
    EXPECT_EQ(TargetExtension(TargetFormat::Mp3), u"mp3"_s);
    EXPECT_EQ(TargetExtension(TargetFormat::Aac), u"m4a"_s);
    EXPECT_EQ(TargetExtension(TargetFormat::Opus), u"opus"_s);
}

TEST(ConvertSettings, RatesTheEncodersReallyUse)
{
    const struct
    {
        TargetFormat format;
        int kbps;
        int channels;
        int encoded;
    } rates[] = {
        {TargetFormat::Mp3, 0, 2, 32},     {TargetFormat::Mp3, 144, 2, 160},
        {TargetFormat::Mp3, 176, 1, 192},  {TargetFormat::Mp3, 175, 2, 160},
        {TargetFormat::Mp3, 999, 2, 320},  {TargetFormat::Aac, 4, 2, 16},
        {TargetFormat::Aac, 320, 2, 224},  {TargetFormat::Aac, 224, 1, 192},
        {TargetFormat::Opus, 1, 2, 6},     {TargetFormat::Opus, 600, 2, 512},
        {TargetFormat::Opus, 300, 1, 256}, {TargetFormat::Opus, 96, 1, 96},
    };
    for (const auto& rate : rates) {
        EXPECT_EQ(EncodedKbps(ConvertSettings{rate.format, rate.kbps, false}, rate.channels),
                  rate.encoded)
            << rate.kbps;
    }
    EXPECT_EQ(OutputSampleRate(TargetFormat::Opus, 44100), 48000);
    EXPECT_EQ(OutputSampleRate(TargetFormat::Mp3, 22050), 44100);
    EXPECT_EQ(OutputSampleRate(TargetFormat::Aac, 176400), 44100);
    EXPECT_EQ(OutputSampleRate(TargetFormat::Mp3, 32000), 48000);
    EXPECT_EQ(OutputSampleRate(TargetFormat::Aac, 96000), 48000);
    EXPECT_EQ(OutputChannels(1), 1);
    EXPECT_EQ(OutputChannels(6), 2);
}
