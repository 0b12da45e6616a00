#include "documents/JobDocument.h"

#include "base/Numbers.h"
#include "base/Text.h"
#include "documents/CBinaryINI.h"

namespace {

const QString kSection = QStringLiteral("settings");
const QString kLibrary = QStringLiteral("Library");
const QString kFiletypes = QStringLiteral("Filetypes");
const QString kDestination = QStringLiteral("Destination");
const QString kRenameFiles = QStringLiteral("RenameFiles");
const QChar kDelimiter = u'|';
const QString kDevicePlaylist = QStringLiteral("DevicePlaylist");
const QString kFilesPerFolder = QStringLiteral("FilesPerFolder");
const QString kConvertTo = QStringLiteral("ConvertTo");
const QString kConvertKbps = QStringLiteral("ConvertKbps");
const QString kPlayerPlays = QStringLiteral("PlayerPlays");
const QString kLevelLoudness = QStringLiteral("LevelLoudness");
const QStringList kFormats = {QStringLiteral("mp3"), QStringLiteral("aac"), QStringLiteral("opus")};

QStringList SplitList(const QString& text)
{
    if (TrimSpaces(text).isEmpty())
        return {};
    return text.split(kDelimiter);
}

// A whole number from `low` up to 2^31 - 1, or the default.
int NumberOr(const QString& text, int low, int fallback)
{
    const double value = LeadingNumber(text);
    return value >= low && value <= 2147483647.0 && !TrimSpaces(text).isEmpty()
               ? static_cast<int>(value)
               : fallback;
}

PlayerSettings ReadPlayer(const CBinaryINI& document)
{
    const PlayerSettings defaults;
    const auto value = [&](const QString& key) { return document.GetValue(key, {}, kSection); };
    PlayerSettings player;
    player.devicePlaylist = NumberOr(value(kDevicePlaylist), 0, 0) == 1;
    player.filesPerFolder = NumberOr(value(kFilesPerFolder), 0, defaults.filesPerFolder);
    const QString format = TrimSpaces(value(kConvertTo)).toLower();
    player.convertTo = kFormats.contains(format) ? format : QString();
    player.convertKbps = NumberOr(value(kConvertKbps), 1, defaults.convertKbps);
    if (const QString plays = value(kPlayerPlays); !TrimSpaces(plays).isEmpty())
        player.playerPlays = plays;
    player.levelLoudness = NumberOr(value(kLevelLoudness), 0, 0) == 1;
    return player;
}

void WritePlayer(CBinaryINI& document, const PlayerSettings& player)
{
    const PlayerSettings defaults;
    // A key at its default is removed (an empty value removes it): the document stays as a
    // job without these settings has always been.
    const auto write = [&](const QString& key, bool isDefault, const QString& text) {
        document.WriteValue(key, isDefault ? QString() : text, kSection);
    };
    write(kDevicePlaylist, !player.devicePlaylist, QStringLiteral("1"));
    write(kFilesPerFolder, player.filesPerFolder == defaults.filesPerFolder,
          QString::number(player.filesPerFolder));
    write(kConvertTo, player.convertTo.isEmpty(), player.convertTo);
    write(kConvertKbps, player.convertKbps == defaults.convertKbps,
          QString::number(player.convertKbps));
    write(kPlayerPlays, player.playerPlays == defaults.playerPlays, player.playerPlays);
    write(kLevelLoudness, !player.levelLoudness, QStringLiteral("1"));
}

} // namespace

ShuffleJob ReadJob(const CBinaryINI& document)
{
    ShuffleJob job;
    job.libraries = SplitList(document.GetValue(kLibrary, {}, kSection));
    job.fileTypes = document.GetValue(kFiletypes, kDefaultFileTypes, kSection);
    job.destinations = SplitList(document.GetValue(kDestination, {}, kSection));
    const double rename =
        LeadingNumber(document.GetValue(kRenameFiles, QStringLiteral("0"), kSection));
    job.renameFiles = rename == 1 || rename == 2 ? static_cast<int>(rename) : 0;
    job.player = ReadPlayer(document);
    return job;
}

void WriteJob(CBinaryINI& document, const ShuffleJob& job)
{
    document.WriteValue(kLibrary, job.libraries.join(kDelimiter), kSection);
    document.WriteValue(kFiletypes, job.fileTypes, kSection);
    document.WriteValue(kDestination, job.destinations.join(kDelimiter), kSection);
    document.WriteValue(kRenameFiles, QString::number(job.renameFiles), kSection);
    WritePlayer(document, job.player);
}
