#include "engine/RunFacts.h"

#include "base/AppError.h"
#include "engine/JobEntries.h"
#include "engine/Transfer.h"
#include "engine/WildcardPattern.h"
#include "media/AudioInfo.h"
#include "media/ConversionCache.h"
#include "platform/DirectoryReader.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/Platform.h"
#include "platform/ReadFileFacts.h"

#include <QFileInfo>
#include <algorithm>

DestinationFacts ReadDestinationFacts(const QString& entryText)
{
    const DestinationEntry entry = DestinationEntry::Parse(entryText);
    DestinationFacts facts;
    facts.freeSize = entry.IsFree();
    facts.megabytes = facts.freeSize ? 0 : entry.MaxSizeMegabytes();
    facts.percentNew = entry.PercentNew();
    facts.folder = CleanFolderPath(entry.folder);
    facts.canonical = Platform::CanonicalPath(facts.folder);
    facts.safeNames = RefusesAwkwardNames(facts.folder);
    if (facts.freeSize)
        facts.space = SpaceOf(facts.folder);
    facts.playlist = PlaylistPath(facts.folder);
    facts.playlistProblem = WriteProblem(facts.playlist);
    if (!Platform::IsDirectory(facts.folder)) {
        // Made by the run: only whether the nearest folder that exists takes it can be told.
        QString existing = facts.folder;
        while (!Platform::IsDirectory(existing) && existing != QStringLiteral("/"))
            existing = QFileInfo(existing).path();
        if (!facts.playlistProblem.isEmpty())
            facts.playlistProblem = WriteProblem(AddTrailingSlash(existing) + u'x');
        return facts;
    }
    DirectoryReader reader(AddTrailingSlash(facts.folder));
    while (reader.Next()) {
        facts.entries << reader.name();
        bool number = false;
        const int subfolder = reader.name().toInt(&number);
        if (reader.isDirectory() && number && subfolder > facts.lastSubfolder &&
            reader.name().front().isDigit())
            facts.lastSubfolder = subfolder;
    }
    facts.bytesInside = FolderSize(facts.folder);
    const FolderTotals below =
        CountFolderContents(facts.folder, &facts.namesBelow, facts.space.blockSize);
    facts.blocksBelow = below.blocksBytes;
    facts.blocksInside = below.blocksBytesInside;
    facts.filesBelow = below.files;
    facts.bytesBelow = below.bytes;
    return facts;
}

std::vector<LibraryFile> ReadLibraryFiles(const QStringList& paths,
                                          const std::function<void()>& afterEach,
                                          const std::optional<Conversion>& conversion)
{
    std::vector<WildcardPattern> plays;
    if (conversion) {
        for (const QString& pattern : conversion->playerPlays.split(u','))
            plays.emplace_back(pattern.toCaseFolded());
    }
    const std::vector<FileFacts> facts = ReadFileFacts(paths, afterEach);
    std::vector<LibraryFile> files;
    files.reserve(facts.size());
    const ConversionCache cache;
    for (qsizetype i = 0; i < paths.size(); ++i) {
        const QString& path = paths.at(i);
        const FileFacts& fact = facts[static_cast<std::size_t>(i)];
        LibraryFile& file = files.emplace_back(
            LibraryFile{path, ParsePath(path, PathPart::FileName), fact.size, fact.isNew});
        if (!conversion)
            continue;
        const QString folded = file.name.toCaseFolded();
        if (std::none_of(plays.begin(), plays.end(),
                         [&](const auto& p) { return p.Matches(folded); })) {
            file.convert = true;
            file.name = ParsePath(path, PathPart::BaseName) + u'.' +
                        TargetExtension(conversion->settings.format);
            // A conversion kept from an earlier run counts with its real size.
            if (const std::optional<qint64> cached = cache.CachedSize(path, conversion->settings)) {
                file.size = *cached;
            } else {
                try {
                    file.size = ExpectedConvertedSize(ProbeAudio(path), conversion->settings);
                } catch (const AppError&) {
                    // Left to the conversion, which says why it cannot be done.
                }
            }
            // Probing takes long enough to look for a Cancel between files again.
            if (afterEach)
                afterEach();
        }
    }
    return files;
}
