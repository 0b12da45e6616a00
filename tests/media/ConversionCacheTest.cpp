#include "media/ConversionCache.h"
#include "media/ParallelConverter.h"
#include "tests/common/MediaTestSupport.h"
#include "tests/common/TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>

using namespace Qt::StringLiterals;

namespace {

const ConvertSettings kMp3{TargetFormat::Mp3, 128, false};

QStringList Entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

void SetModified(const QString& path, const QDateTime& time)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite) &&
                file.setFileTime(time, QFileDevice::FileModificationTime));
}

// `count` copies of one tone of `seconds`, named 0.flac, 1.flac, ...
QStringList Tones(const TempFolder& dir, int count, int seconds)
{
    const QString first = dir / u"0.flac"_s;
    MakeAudio(first, {u"-f"_s, u"lavfi"_s, u"-i"_s, u"anoisesrc=c=pink:d=%1"_s.arg(seconds),
                      u"-ac"_s, u"2"_s});
    QStringList paths = {first};
    for (int i = 1; i < count; ++i) {
        paths << dir / u"%1.flac"_s.arg(i);
        EXPECT_TRUE(QFile::copy(first, paths.back()));
    }
    return paths;
}

} // namespace

TEST(ConversionCache, FolderFollowsXdgCacheHome)
{
    ScopedEnv cacheHome("XDG_CACHE_HOME", u"/tmp/elsewhere"_s);
    EXPECT_EQ(ConversionCache::DefaultFolder(), u"/tmp/elsewhere/pendrift"_s);
    qunsetenv("XDG_CACHE_HOME");
    EXPECT_EQ(ConversionCache::DefaultFolder(), QDir::homePath() + u"/.cache/pendrift"_s);
}

TEST(ConversionCache, HitsUntilTheSourceOrTheSettingsChange)
{
    TempFolder dir;
    const QString source = Tones(dir, 1, 1).front();
    ConversionCache cache(dir / u"cache"_s);
    const std::optional<CachedFile> first = cache.Convert(source, kMp3);
    ASSERT_TRUE(first);
    EXPECT_EQ(QFileInfo(first->path).path(), cache.folder());
    EXPECT_EQ(first->size, QFileInfo(first->path).size());
    // A hit hands over the stored file as it is.
    dir.Write(u"cache/"_s + QFileInfo(first->path).fileName(), "stored");
    const std::optional<CachedFile> hit = cache.Convert(source, kMp3);
    ASSERT_TRUE(hit);
    EXPECT_EQ(hit->path, first->path);
    EXPECT_EQ(hit->size, 6);
    for (const ConvertSettings& other : {ConvertSettings{TargetFormat::Mp3, 192, false},
                                         ConvertSettings{TargetFormat::Mp3, 128, true}})
        EXPECT_NE(cache.Convert(source, other)->path, first->path);
    // A new modification time misses; so does new content under the old time.
    const QDateTime modified = QFileInfo(source).lastModified();
    SetModified(source, modified.addSecs(60));
    EXPECT_NE(ReadAll(cache.Convert(source, kMp3)->path), "stored");
    MakeAudio(source, {u"-f"_s, u"lavfi"_s, u"-i"_s, u"sine=d=2"_s});
    SetModified(source, modified);
    const std::optional<CachedFile> changed = cache.Convert(source, kMp3);
    ASSERT_TRUE(changed);
    EXPECT_NEAR(DecodeWithFfmpeg(changed->path).seconds, 2, 0.05);
}

TEST(ConversionCache, TrimDropsTheLeastRecentlyUsedButNothingHeldOrNotItsOwn)
{
    TempFolder dir;
    const QStringList sources = Tones(dir, 5, 1);
    const qint64 one = ConversionCache(dir / u"sizes"_s).Convert(sources[0], kMp3)->size;
    ConversionCache cache(dir / u"cache"_s, one * 7 / 2);
    const QString notes = dir.Write(u"cache/notes.txt"_s, QByteArray(4 * one, 'n'));
    const QString stale = dir.Write(u"cache/%1.mp3.a1B2c3"_s.arg(QString(40, u'a')), "part");
    const QString fresh = dir.Write(u"cache/%1.mp3.d4E5f6"_s.arg(QString(40, u'b')), "part");
    SetModified(stale, QDateTime::currentDateTime().addDays(-2));
    QStringList paths;
    std::optional<CachedFile> held;
    for (int i = 0; i < 3; ++i) {
        std::optional<CachedFile> file = cache.Convert(sources[i], kMp3);
        ASSERT_TRUE(file);
        paths << file->path;
        if (i == 1)
            held = file;
    }
    cache.Convert(sources[0], kMp3); // used again: now the most recent
    paths << cache.Convert(sources[3], kMp3)->path;
    EXPECT_EQ(QFileInfo::exists(paths[2]), false) << "the least recently used not held";
    EXPECT_TRUE(QFileInfo::exists(paths[0]) && QFileInfo::exists(paths[1]) &&
                QFileInfo::exists(paths[3]));
    held.reset();
    paths << cache.Convert(sources[4], kMp3)->path;
    EXPECT_EQ(QFileInfo::exists(paths[1]), false);
    EXPECT_TRUE(QFileInfo::exists(paths[0]) && QFileInfo::exists(paths[3]) &&
                QFileInfo::exists(paths[4]));
    EXPECT_TRUE(QFileInfo::exists(notes) && QFileInfo::exists(fresh));
    EXPECT_FALSE(QFileInfo::exists(stale));

    // Exactly at its bound the cache keeps everything.
    qint64 kept = 0;
    for (const int i : {0, 3, 4})
        kept += QFileInfo(paths[i]).size();
    ConversionCache(dir / u"cache"_s, kept).Trim();
    EXPECT_TRUE(QFileInfo::exists(paths[0]) && QFileInfo::exists(paths[3]) &&
                QFileInfo::exists(paths[4]));
}

TEST(ParallelConverter, ResultsInSubmitOrderNamingFailuresWithinTheLookAhead)
{
    TempFolder dir;
    QStringList sources = Tones(dir, 6, 1);
    sources.insert(2, dir.Write(u"bad.flac"_s, QByteArray(2048, 'x')));
    ConversionCache cache(dir / u"cache"_s);
    ParallelConverter converter(cache, kMp3);
    converter.Submit(sources);
    QThread::msleep(1500);
    // Two per core start, the failed one among them when there are more than two.
    const qsizetype started = std::min<qsizetype>(sources.size(), 2 * QThread::idealThreadCount());
    EXPECT_EQ(Entries(cache.folder()).size(), started > 2 ? started - 1 : started);
    for (const QString& source : sources) {
        const ConversionResult result = converter.Take();
        EXPECT_EQ(result.source, source);
        EXPECT_FALSE(result.cancelled);
        if (source.endsWith(u"bad.flac"_s)) {
            EXPECT_TRUE(result.error.startsWith(u"Cannot convert \"%1\": "_s.arg(source)))
                << result.error.toStdString();
            EXPECT_TRUE(result.file.path.isEmpty());
        } else {
            EXPECT_EQ(result.error, QString());
            EXPECT_EQ(result.file.size, QFileInfo(result.file.path).size());
        }
    }
    EXPECT_TRUE(converter.Take().cancelled) << "nothing left to take";
    EXPECT_EQ(Entries(cache.folder()).size(), 6);
}

TEST(ParallelConverter, CancelStopsAtOnceAndLeavesNothingPartial)
{
    TempFolder dir;
    const QStringList sources = Tones(dir, 3, 60);
    ConversionCache cache(dir / u"cache"_s);
    ParallelConverter converter(cache, kMp3, 2);
    converter.Submit(sources);
    QThread::msleep(200);
    QElapsedTimer timer;
    timer.start();
    converter.Cancel();
    EXPECT_LT(timer.elapsed(), 500);
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(converter.Take().cancelled);
    EXPECT_EQ(Entries(cache.folder()), QStringList());
}
