#include "media/AudioConversion.h"
#include "base/AppError.h"
#include "media/AudioInfo.h"
#include "tests/common/MediaTestSupport.h"
#include "tests/common/TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

using namespace Qt::StringLiterals;

namespace {

const QStringList kStereo = {u"-ac"_s, u"2"_s};
const QStringList kTags = {
    u"-metadata"_s, u"title=Ünder the Sea"_s, u"-metadata"_s, u"artist=Böb"_s,
    u"-metadata"_s, u"album=Depths"_s,        u"-metadata"_s, u"album_artist=Various"_s,
    u"-metadata"_s, u"track=3/12"_s,          u"-metadata"_s, u"date=2019"_s,
    u"-metadata"_s, u"genre=Ambient"_s};

// The same tags named in capitals, as most taggers write them into FLAC files.
QStringList Capitals(QStringList tags)
{
    for (QString& tag : tags)
        if (const qsizetype eq = tag.indexOf(u'='); eq > 0)
            tag = tag.left(eq).toUpper() + tag.mid(eq);
    return tags;
}

// A lavfi source with the pictures attached.
QStringList Tone(const QString& source, const QStringList& options,
                 const QStringList& pictures = {})
{
    QStringList arguments = {u"-f"_s, u"lavfi"_s, u"-i"_s, source};
    QStringList maps = {u"-map"_s, u"0"_s};
    for (qsizetype i = 0; i < pictures.size(); ++i) {
        arguments << u"-i"_s << pictures[i];
        maps << u"-map"_s << QString::number(i + 1);
    }
    if (!pictures.isEmpty())
        maps << u"-c:v"_s << u"copy"_s << u"-disposition:v"_s << u"attached_pic"_s;
    return arguments + maps + options;
}

} // namespace

TEST(AudioConversion, EverySourceToEveryFormatKeepsLengthTagsAndCoverWithinTheExpectedSize)
{
    TempFolder dir;
    const QString jpeg = dir / u"cover.jpg"_s;
    const QString png = dir / u"cover.png"_s;
    MakeAudio(jpeg, {u"-f"_s, u"lavfi"_s, u"-i"_s, u"testsrc=s=96x96"_s, u"-frames:v"_s, u"1"_s});
    MakeAudio(png, {u"-f"_s, u"lavfi"_s, u"-i"_s, u"testsrc=s=64x48"_s, u"-frames:v"_s, u"1"_s});
    const struct
    {
        QString name;
        QStringList arguments;
        double seconds;
        QString cover;
        int probeSlackMs; // the MP3 header's length counts the encoder's padding
    } sources[] = {
        {u"tagged.flac"_s,
         Tone(u"anoisesrc=d=2.5:c=pink:r=44100"_s, kStereo + Capitals(kTags), {jpeg}), 2.5, jpeg,
         1},
        // The front cover is the second picture.
        {u"tagged.mp3"_s,
         Tone(u"sine=f=330:d=2:r=48000"_s,
              kStereo + kTags +
                  QStringList{u"-metadata:s:v:0"_s, u"comment=Cover (back)"_s, u"-metadata:s:v:1"_s,
                              u"comment=Cover (front)"_s},
              {jpeg, png}),
         2, png, 50},
        {u"mono.opus"_s, Tone(u"sine=f=550:d=2"_s, kTags.mid(0, 4)), 2, {}, 10},
        {u"hires.wav"_s,
         Tone(u"anoisesrc=d=2:r=96000"_s, kStereo + QStringList{u"-c:a"_s, u"pcm_s24le"_s}),
         2,
         {},
         1},
    };
    const struct
    {
        TargetFormat format;
        QString codec;
        double slack; // MP4 leaves the end of the padding to the player
    } targets[] = {{TargetFormat::Mp3, u"mp3"_s, 0.001},
                   {TargetFormat::Aac, u"aac"_s, 0.01},
                   {TargetFormat::Opus, u"opus"_s, 0.001}};
    for (const auto& source : sources) {
        const QString path = dir / source.name;
        MakeAudio(path, source.arguments);
        const AudioInfo in = ProbeAudio(path, true);
        EXPECT_NEAR(static_cast<double>(in.durationMs), source.seconds * 1000, source.probeSlackMs);
        EXPECT_EQ(in.cover, source.cover.isEmpty() ? QByteArray() : ReadAll(source.cover));
        EXPECT_EQ(in.coverSize, in.cover.size());
        if (source.name.startsWith(u"tagged"_s)) {
            const AudioTags tagged{u"Ünder the Sea"_s, u"Böb"_s,  u"Depths"_s, u"Various"_s,
                                   u"3/12"_s,          u"2019"_s, u"Ambient"_s};
            EXPECT_TRUE(in.tags == tagged) << in.tags.title.toStdString();
        }
        for (const auto& target : targets) {
            const ConvertSettings settings{target.format, 160, false};
            const QString out = dir / source.name + u'.' + TargetExtension(target.format);
            SCOPED_TRACE(out.toStdString());
            ASSERT_TRUE(ConvertAudio(path, out, settings));
            const Decoded decoded = DecodeWithFfmpeg(out);
            EXPECT_TRUE(decoded.clean);
            EXPECT_NEAR(decoded.seconds, source.seconds, target.slack);
            const AudioInfo converted = ProbeAudio(out, true);
            EXPECT_EQ(converted.codec, target.codec);
            EXPECT_EQ(converted.channels, in.channels);
            EXPECT_TRUE(converted.tags == in.tags) << converted.tags.title.toStdString();
            EXPECT_EQ(converted.cover, in.cover);
            const qint64 expected = ExpectedConvertedSize(in, settings);
            EXPECT_LE(QFileInfo(out).size(), expected);
            EXPECT_GE(QFileInfo(out).size(), expected * 0.87);
            if (target.format == TargetFormat::Mp3) {
                EXPECT_EQ(ReadAll(out).left(4), QByteArray("ID3\x03", 4));
            }
        }
    }
}

TEST(AudioConversion, DamagedOrMissingSourcesFailWithTheirReasonAndLeaveNothing)
{
    TempFolder dir;
    const QString good = dir / u"good.flac"_s;
    MakeAudio(good, Tone(u"sine=d=100"_s, {}));
    const QByteArray flac = ReadAll(good);
    QByteArray noise(4096, 0);
    QRandomGenerator random(7);
    for (char& byte : noise)
        byte = static_cast<char>(random.bounded(256));
    QByteArray scrambled = flac;
    scrambled.replace(flac.size() * 4 / 5, noise.size(), noise);
    const struct
    {
        QString name;
        QByteArray bytes;
        int number;
        QString reason;
    } cases[] = {
        {u"noise.flac"_s, noise, ErrorNumber::InvalidFileFormat, u"Invalid data"_s},
        {u"cut.flac"_s, flac.left(60), ErrorNumber::InvalidFileFormat, u"Cannot open the file"_s},
        {u"scrambled.flac"_s, scrambled, ErrorNumber::InvalidFileFormat, u"damaged at 1:19"_s},
        {u"missing.flac"_s, {}, ErrorNumber::PathFileAccess, u"No such file"_s},
    };
    const QString out = dir.MakeFolder(u"out"_s);
    for (const auto& item : cases) {
        SCOPED_TRACE(item.name.toStdString());
        const QString source =
            item.bytes.isEmpty() ? dir / item.name : dir.Write(item.name, item.bytes);
        try {
            ConvertAudio(source, out + u"/song.mp3"_s, ConvertSettings{});
            ADD_FAILURE() << "converted";
        } catch (const AppError& error) {
            EXPECT_EQ(error.number(), item.number);
            EXPECT_TRUE(error.description().contains(item.reason)) << error.what();
        }
        EXPECT_EQ(QDir(out).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                  QStringList());
    }
    std::stop_source stop;
    stop.request_stop();
    EXPECT_FALSE(ConvertAudio(good, out + u"/song.mp3"_s, {}, 0, stop.get_token()));
    EXPECT_EQ(QDir(out).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList());
}
