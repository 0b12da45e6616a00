#pragma once

#include "media/ConvertSettings.h"

#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QString>
#include <memory>
#include <optional>
#include <stop_token>

// A file of the conversion cache.
struct CachedFile
{
    QString path;
    qint64 size = 0;
    // Keeps the file from this process's trims while it lives (copies share it).
    std::shared_ptr<const void> hold;
};

// Converted files kept for the next run, in one folder, each named after a hash of its
// source's path, size and modification time and of the settings, so a changed source misses.
// The loudness of a source is kept beside them, whatever format it was converted to. Files go
// in complete (a temporary, then a rename), so runs may share the folder: two that convert one
// file at once both write the same bytes. The folder is held to a bound; the files least
// recently used go first. Convert may run on several threads at once.
class ConversionCache
{
public:
    static constexpr qint64 kDefaultMaxBytes = qint64{2} << 30;

    // $XDG_CACHE_HOME/pendrift, by default ~/.cache/pendrift.
    static QString DefaultFolder();

    explicit ConversionCache(QString folder = DefaultFolder(), qint64 maxBytes = kDefaultMaxBytes);

    const QString& folder() const { return m_folder; }

    // The converted file for `source`: the cached one when there is one (then marked as used),
    // else a new conversion, stored. Nothing when `stop` is requested on the way; error 75 or
    // 321 (the source's reason) when the source cannot be converted.
    std::optional<CachedFile> Convert(const QString& source, const ConvertSettings& settings,
                                      const std::stop_token& stop = {});

    // The size of the converted file for `source` when the cache has it, without converting.
    std::optional<qint64> CachedSize(const QString& source, const ConvertSettings& settings) const;

    // Drops the least recently used files until the folder holds at most the bound, keeping
    // those this process holds. Also removes temporaries a killed run left over a day ago.
    void Trim();

private:
    static QString SourceKey(const QFileInfo& source);
    static QString FileName(const QString& sourceKey, const ConvertSettings& settings);

    struct Holds
    {
        QMutex mutex;
        QHash<QString, int> counts;
    };

    std::shared_ptr<const void> Hold(const QString& name);
    std::optional<double> GainDb(const QString& source, const QString& sourceKey,
                                 const std::stop_token& stop);

    QString m_folder;
    qint64 m_maxBytes;
    std::shared_ptr<Holds> m_holds = std::make_shared<Holds>();
    QMutex m_trimming;
};
