#include "engine/ScanFolder.h"

#include "base/AppError.h"
#include "base/Text.h"
#include "engine/JobEntries.h"
#include "engine/WildcardPattern.h"
#include "platform/DirectoryReader.h"
#include "platform/Paths.h"

#include <algorithm>
#include <climits>
#include <optional>
#include <vector>

namespace {

constexpr qint32 kMaxSubfolders = 32767;

// Every folder on the current descent path keeps its descriptor open so that its subfolders
// open relative to it. Past this depth they are opened by full path instead, which bounds the
// number of open descriptors however deep a tree goes.
constexpr int kHeldDepth = 64;

struct ScanContext
{
    QStringList& files;
    qint32& count;
    bool includeSubfolders;
    bool listFolders;
    std::optional<WildcardPattern> folderPattern;
    std::vector<WildcardPattern> patterns;
    std::vector<DirectoryReader::Identity> descent;
};

struct Subfolder
{
    QString name;
    QByteArray rawName;
};

void Append(ScanContext& scan, const QString& base, const QString& name)
{
    if (scan.count == INT32_MAX)
        RaiseError(ErrorNumber::Overflow);
    QString path;
    path.reserve(base.size() + name.size());
    path.append(base).append(name);
    scan.files.append(std::move(path));
    ++scan.count;
}

bool FileWanted(const ScanContext& scan, const QString& name)
{
    if (scan.listFolders)
        return scan.folderPattern && scan.folderPattern->Matches(name);
    if (scan.patterns.empty())
        return true;
    return std::any_of(scan.patterns.begin(), scan.patterns.end(),
                       [&name](const WildcardPattern& pattern) { return pattern.Matches(name); });
}

void ScanLevel(ScanContext& scan, DirectoryReader& reader, const QString& base, int depth)
{
    if (!reader.isOpen())
        return;
    // Links to folders are followed like folders, so a link that points back up the tree
    // would lead into the same folders again and again without end. A folder already being
    // scanned higher up on this path is therefore not entered again. One folder reached along
    // separate paths (say, two links to it side by side) is still scanned each time.
    const DirectoryReader::Identity self = reader.identity();
    if (std::find(scan.descent.begin(), scan.descent.end(), self) != scan.descent.end())
        return;
    scan.descent.push_back(self);

    std::vector<Subfolder> subfolders;
    qint32 folderCount = 0;
    while (reader.Next()) {
        const QString& name = reader.name();
        if (reader.isDirectory()) {
            if (folderCount == kMaxSubfolders)
                RaiseError(ErrorNumber::Overflow);
            ++folderCount;
            if (scan.includeSubfolders)
                subfolders.push_back({name, reader.rawName()});
            if (scan.listFolders)
                Append(scan, base, name);
        } else if (FileWanted(scan, name)) {
            Append(scan, base, name);
        }
    }

    const bool holdOpen = depth < kHeldDepth;
    if (!holdOpen)
        reader.Close();
    for (const Subfolder& subfolder : subfolders) {
        const QString subBase = base + subfolder.name + u'/';
        if (holdOpen) {
            DirectoryReader child(reader, subfolder.rawName);
            ScanLevel(scan, child, subBase, depth + 1);
        } else {
            DirectoryReader child(subBase);
            ScanLevel(scan, child, subBase, depth + 1);
        }
    }
    scan.descent.pop_back();
}

} // namespace

void ScanFolder(QStringList& files, qint32& count, const QString& folder, bool includeSubfolders,
                bool listFolders, const QString& folderPattern, const QString& fileTypes)
{
    ScanContext scan{files, count, includeSubfolders, listFolders, std::nullopt, {}, {}};
    if (!fileTypes.isEmpty()) {
        QStringList pieces;
        const qint16 patternCount = SplitString(pieces, fileTypes, QStringLiteral(","), true);
        scan.patterns.reserve(static_cast<size_t>(patternCount));
        for (int i = 1; i <= patternCount; ++i)
            scan.patterns.emplace_back(pieces.at(i));
    }
    if (listFolders && !folderPattern.isEmpty())
        scan.folderPattern.emplace(folderPattern);

    const QString base = AddTrailingSlash(folder);
    DirectoryReader reader(base);
    ScanLevel(scan, reader, base, 0);
}

void ScanLibraryEntries(const QStringList& entries, const QString& fileTypes, QStringList& files,
                        qint32& count)
{
    for (const QString& text : entries) {
        const LibraryEntry entry = LibraryEntry::Parse(text);
        ScanFolder(files, count, entry.folder, entry.includeSubfolders, false, QString(),
                   fileTypes);
    }
}
