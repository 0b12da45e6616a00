#include "media/Loudness.h"
#include "media/ConversionCache.h"
#include "tests/common/MediaTestSupport.h"
#include "tests/common/TestSupport.h"

#include <QDir>
#include <cmath>

using namespace Qt::StringLiterals;

TEST(Loudness, MeasureAgreesWithFfmpeg)
{
    TempFolder dir;
    const QString sources[] = {
        u"anoisesrc=d=3:c=pink:a=0.5:r=44100"_s,
        u"sine=f=60:d=3:r=48000"_s,   // below the high-pass's knee
        u"sine=f=8000:d=2:r=96000"_s, // on the shelf, upsampled twice for the peak
        u"aevalsrc=0.02*sin(2*PI*440*t)+0.9*lt(mod(t\\,1)\\,0.0005):d=3:s=22050"_s, // clicks
        // Loud, then 25 dB softer: the relative gate leaves the soft part out.
        u"aevalsrc=(0.5-0.47*gte(t\\,1.5))*sin(2*PI*440*t):d=4:s=44100"_s,
    };
    for (const QString& source : sources) {
        SCOPED_TRACE(source.toStdString());
        const QString path = dir / u"source.flac"_s;
        MakeAudio(path, {u"-f"_s, u"lavfi"_s, u"-i"_s, source});
        const std::optional<Loudness> ours = MeasureLoudness(path);
        const Decoded theirs = DecodeWithFfmpeg(path);
        ASSERT_TRUE(ours);
        EXPECT_NEAR(ours->integratedLufs, theirs.lufs, 0.15);
        EXPECT_NEAR(ours->truePeakDb, theirs.truePeakDb, 0.2);
    }
    const QString silence = dir / u"silence.wav"_s;
    MakeAudio(silence, {u"-f"_s, u"lavfi"_s, u"-i"_s, u"anullsrc=d=1"_s});
    const std::optional<Loudness> nothing = MeasureLoudness(silence);
    ASSERT_TRUE(nothing);
    EXPECT_TRUE(std::isinf(nothing->integratedLufs));
    EXPECT_EQ(LevellingGainDb(*nothing), 0);
}

TEST(Loudness, GainReachesTheTargetUnlessThePeakWouldPassMinusOne)
{
    EXPECT_DOUBLE_EQ(LevellingGainDb({-30, -20}), 14);
    EXPECT_DOUBLE_EQ(LevellingGainDb({-30, -15}), 14);
    EXPECT_DOUBLE_EQ(LevellingGainDb({-30, -14.5}), 13.5);
    EXPECT_DOUBLE_EQ(LevellingGainDb({-8, -0.5}), -8);
}

TEST(Loudness, LevelledConversionsReachMinus16AndReuseTheMeasure)
{
    TempFolder dir;
    const QString quiet = dir / u"quiet.flac"_s;
    MakeAudio(quiet,
              {u"-f"_s, u"lavfi"_s, u"-i"_s, u"sine=f=440:d=3,volume=0.05"_s, u"-ac"_s, u"2"_s});
    ConversionCache cache(dir / u"cache"_s);
    for (const TargetFormat format : {TargetFormat::Mp3, TargetFormat::Aac, TargetFormat::Opus}) {
        const std::optional<CachedFile> levelled = cache.Convert(quiet, {format, 192, true});
        ASSERT_TRUE(levelled);
        EXPECT_NEAR(DecodeWithFfmpeg(levelled->path).lufs, -16, 1) << levelled->path.toStdString();
    }
    // One measure serves every format; a kept figure is used as it stands: here its peak
    // allows 4 dB less than its loudness.
    const QStringList figures = QDir(cache.folder()).entryList({u"*.r128"_s});
    ASSERT_EQ(figures.size(), 1);
    const double source = DecodeWithFfmpeg(quiet).lufs;
    dir.Write(u"cache/"_s + figures.front(),
              QByteArray::number(source) + ' ' + QByteArray::number(source + 19));
    const std::optional<CachedFile> again = cache.Convert(quiet, {TargetFormat::Mp3, 128, true});
    ASSERT_TRUE(again);
    EXPECT_NEAR(DecodeWithFfmpeg(again->path).lufs, -20, 1);
}
