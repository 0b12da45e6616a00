#include "media/ConversionCache.h"

#include "base/AppError.h"
#include "media/AudioConversion.h"
#include "media/Loudness.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>
#include <algorithm>
#include <cmath>

namespace {

// Bumped when converted files would come out differently, so old ones are not served.
constexpr int kCacheVersion = 1;
const QString kLoudnessSuffix = QStringLiteral("r128");

QString HashOf(const QString& text)
{
    return QString::fromLatin1(
        QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Sha1).toHex());
}

// The file counts as used now: the trim goes by modification time.
void MarkUsed(const QString& path)
{
    QFile file(path);
    if (file.open(QIODevice::ReadOnly))
        file.setFileTime(QDateTime::currentDateTimeUtc(), QFileDevice::FileModificationTime);
}

} // namespace

QString ConversionCache::DefaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/pendrift");
}

ConversionCache::ConversionCache(QString folder, qint64 maxBytes)
    : m_folder(std::move(folder)), m_maxBytes(maxBytes)
{
}

QString ConversionCache::SourceKey(const QFileInfo& source)
{
    return HashOf(QStringLiteral("%1\n%2\n%3\n%4")
                      .arg(kCacheVersion)
                      .arg(source.absoluteFilePath())
                      .arg(source.size())
                      .arg(source.lastModified().toMSecsSinceEpoch()));
}

QString ConversionCache::FileName(const QString& sourceKey, const ConvertSettings& settings)
{
    return HashOf(QStringLiteral("%1\n%2\n%3\n%4")
                      .arg(sourceKey, TargetFormatName(settings.format))
                      .arg(settings.kbps)
                      .arg(settings.levelLoudness ? 1 : 0)) +
           u'.' + TargetExtension(settings.format);
}

std::optional<qint64> ConversionCache::CachedSize(const QString& source,
                                                  const ConvertSettings& settings) const
{
    const QFileInfo info(source);
    if (!info.isFile())
        return std::nullopt;
    const QFileInfo hit(m_folder + u'/' + FileName(SourceKey(info), settings));
    return hit.isFile() ? std::optional(hit.size()) : std::nullopt;
}

std::optional<CachedFile> ConversionCache::Convert(const QString& source,
                                                   const ConvertSettings& settings,
                                                   const std::stop_token& stop)
{
    const QFileInfo info(source);
    if (!info.isFile()) {
        throw AppError(ErrorNumber::PathFileAccess,
                       QStringLiteral("Cannot read \"%1\": No such file").arg(source));
    }
    const QString sourceKey = SourceKey(info);
    const QString name = FileName(sourceKey, settings);
    const QString path = m_folder + u'/' + name;
    CachedFile cached{path, 0, Hold(name)};
    if (const QFileInfo hit(path); hit.isFile()) {
        MarkUsed(path);
        cached.size = hit.size();
        return cached;
    }
    if (!QDir().mkpath(m_folder)) {
        throw AppError(ErrorNumber::PathFileAccess,
                       QStringLiteral("Cannot make the folder \"%1\"").arg(m_folder));
    }
    double gainDb = 0;
    if (settings.levelLoudness) {
        const std::optional<double> gain = GainDb(source, sourceKey, stop);
        if (!gain)
            return std::nullopt;
        gainDb = *gain;
    }
    if (!ConvertAudio(source, path, settings, gainDb, stop))
        return std::nullopt;
    cached.size = QFileInfo(path).size();
    Trim();
    return cached;
}

// The source's measured loudness is kept as "<integrated LUFS> <true peak dBTP>".
std::optional<double> ConversionCache::GainDb(const QString& source, const QString& sourceKey,
                                              const std::stop_token& stop)
{
    const QString path = m_folder + u'/' + sourceKey + u'.' + kLoudnessSuffix;
    QFile stored(path);
    if (stored.open(QIODevice::ReadOnly)) {
        const QList<QByteArray> figures = stored.readAll().split(' ');
        bool integratedOk = false;
        bool peakOk = false;
        const Loudness loudness{figures.value(0).toDouble(&integratedOk),
                                figures.value(1).toDouble(&peakOk)};
        if (integratedOk && peakOk) {
            stored.close();
            MarkUsed(path);
            return LevellingGainDb(loudness);
        }
    }
    const std::optional<Loudness> measured = MeasureLoudness(source, stop);
    if (!measured)
        return std::nullopt;
    QSaveFile file(path);
    // Silence measures minus infinity, which reads back.
    const QByteArray text = QByteArray::number(measured->integratedLufs, 'g', 10) + ' ' +
                            QByteArray::number(measured->truePeakDb, 'g', 10);
    // Only a shortcut: a figure that cannot be kept is measured again.
    if (file.open(QIODevice::WriteOnly)) {
        file.write(text);
        file.commit();
    }
    return LevellingGainDb(*measured);
}

void ConversionCache::Trim()
{
    QMutexLocker trimming(&m_trimming);
    static const QRegularExpression kEntry(QStringLiteral("^[0-9a-f]{40}\\.(mp3|m4a|opus|r128)$"));
    static const QRegularExpression kTemporary(
        QStringLiteral("^[0-9a-f]{40}\\.(mp3|m4a|opus|r128)\\..+$"));
    const QDateTime dayAgo = QDateTime::currentDateTimeUtc().addDays(-1);
    QFileInfoList entries;
    qint64 total = 0;
    for (const QFileInfo& file : QDir(m_folder).entryInfoList(QDir::Files | QDir::Hidden)) {
        if (kEntry.match(file.fileName()).hasMatch()) {
            entries << file;
            total += file.size();
        } else if (kTemporary.match(file.fileName()).hasMatch() && file.lastModified() < dayAgo) {
            QFile::remove(file.filePath());
        }
    }
    if (total <= m_maxBytes)
        return;
    std::sort(entries.begin(), entries.end(), [](const QFileInfo& a, const QFileInfo& b) {
        return a.lastModified() < b.lastModified();
    });
    QMutexLocker holding(&m_holds->mutex);
    for (const QFileInfo& file : entries) {
        if (total <= m_maxBytes)
            break;
        if (!m_holds->counts.contains(file.fileName()) && QFile::remove(file.filePath()))
            total -= file.size();
    }
}

std::shared_ptr<const void> ConversionCache::Hold(const QString& name)
{
    QMutexLocker locker(&m_holds->mutex);
    ++m_holds->counts[name];
    // The holds outlive this object if a result does.
    return std::shared_ptr<const void>(nullptr, [holds = m_holds, name](const void*) {
        QMutexLocker release(&holds->mutex);
        if (--holds->counts[name] == 0)
            holds->counts.remove(name);
    });
}
