#include "engine/RunPlan.h"

#include "base/AppError.h"
#include "base/PathText.h"
#include "base/Text.h"

#include <QRegularExpression>

namespace {

// One folder as the plan sees it while it fills: destinations that name the same folder
// share it.
struct FolderState
{
    QString canonical;
    DestinationNames names;
    qint64 bytes = 0;
    qint64 lastNumber[2] = {0, 0}; // the highest A and F numbers it holds
    int subfolder = 0;             // the numbered subfolder being filled
    int inSubfolder = 0;           // and the files planned for it
    qint64 blockSize = 1;          // what each file's size counts as a multiple of
    qint64 freed = 0;              // what emptying frees on its file system
};

// What a "free" destination leaves unused of its file system.
constexpr qint64 kFreeReserve = 1048576;

constexpr QChar kLetters[2] = {u'A', u'F'};

// The numbers of earlier renames ("A0012.mp3") the folder holds, so new names go on after them.
void NoteHeldNumbers(FolderState& folder, const QStringList& names)
{
    static const QRegularExpression numbered(QStringLiteral("^([AF])(\\d{4,18})(\\.|$)"),
                                             QRegularExpression::CaseInsensitiveOption);
    for (const QString& entry : names) {
        const QRegularExpressionMatch match = numbered.match(entry);
        if (!match.hasMatch())
            continue;
        const int letter = EqualNoCase(match.capturedView(1), u"A") ? 0 : 1;
        folder.lastNumber[letter] =
            std::max(folder.lastNumber[letter], match.capturedView(2).toLongLong());
    }
}

QString NewName(QChar letter, qint64 number, const QString& name, bool safeNames)
{
    const QString newName = letter + QStringLiteral("%1").arg(number, 4, 10, QChar(u'0')) + u'.' +
                            ParsePath(name, PathPart::Extension);
    return safeNames ? SafeFileName(newName) : newName;
}

class Planner
{
public:
    Planner(const RunFacts& facts, const std::function<void()>& afterEach)
        : m_facts(facts), m_afterEach(afterEach)
    {
    }

    RunPlan Make()
    {
        const std::size_t count = m_facts.destinations.size();
        m_plan.destinations.resize(count);
        m_folders.reserve(count);
        for (std::size_t d = 0; d < count; ++d)
            Open(d);
        for (std::size_t d = 0; d < count; ++d) {
            m_names.push_back(&m_folders[m_folderOf[d]].names);
            m_budgets.push_back(Budget(d));
        }
        for (int pass = 0; pass < 2; ++pass)
            for (std::size_t d = 0; d < count; ++d)
                Step(pass, d);
        for (std::size_t d = 0; d < count; ++d)
            Finish(d);
        return std::move(m_plan);
    }

private:
    // A destination as it stands: its budgets, and the folder it shares with earlier ones.
    void Open(std::size_t d)
    {
        const DestinationFacts& destination = m_facts.destinations[d];
        if (!destination.playlistProblem.isEmpty())
            RaiseError(ErrorNumber::PathFileAccess, destination.playlistProblem);
        DestinationPlan& planned = m_plan.destinations[d];
        planned.folder = destination.folder;
        planned.playlist = destination.playlist;
        const auto shared = std::find_if(m_folders.begin(), m_folders.end(), [&](const auto& f) {
            return f.canonical == destination.canonical;
        });
        m_folderOf.push_back(static_cast<std::size_t>(shared - m_folders.begin()));
        if (shared != m_folders.end())
            return;
        FolderState& folder = m_folders.emplace_back();
        folder.canonical = destination.canonical;
        folder.names = DestinationNames(destination.safeNames);
        folder.inSubfolder = m_facts.filesPerFolder; // the first file opens a subfolder
        // Only room the run can count on is filled: every file takes whole blocks.
        const bool tree = m_facts.filesPerFolder > 0;
        if (destination.freeSize) {
            folder.blockSize = destination.space.blockSize;
            if (m_facts.emptying && !destination.space.trashes)
                folder.freed = destination.blocksBelow;
        }
        if (m_facts.emptying) {
            for (const QString& entry : destination.entries)
                planned.emptied << AddTrailingSlash(destination.folder) + entry;
            planned.emptiedFiles = destination.filesBelow;
            planned.emptiedBytes = destination.bytesBelow;
            return;
        }
        // With subfolders, the whole tree is the destination's.
        const QStringList& held = tree ? destination.namesBelow : destination.entries;
        for (const QString& name : held)
            folder.names.Add(name);
        if (destination.freeSize)
            folder.bytes = tree ? destination.blocksBelow : destination.blocksInside;
        else
            folder.bytes = tree ? destination.bytesBelow : destination.bytesInside;
        NoteHeldNumbers(folder, held);
        // New files go into new subfolders, after those already there.
        folder.subfolder = destination.lastSubfolder;
    }

    // A "free" destination gets what its file system will have after emptying, shared with the
    // other "free" folders there, plus what stays in it, less a reserve.
    DestinationBudget Budget(std::size_t d) const
    {
        const DestinationFacts& destination = m_facts.destinations[d];
        if (!destination.freeSize)
            return DestinationBudget::Of(destination.megabytes, destination.percentNew);
        qint64 freed = 0;
        qint64 sharing = 0;
        for (std::size_t f = 0; f < m_folders.size(); ++f) {
            const auto first = std::find(m_folderOf.begin(), m_folderOf.end(), f);
            const DestinationFacts& other = m_facts.destinations[first - m_folderOf.begin()];
            if (other.freeSize && other.space.device == destination.space.device) {
                freed += m_folders[f].freed;
                ++sharing;
            }
        }
        const qint64 share = (destination.space.available + freed) / std::max<qint64>(1, sharing);
        const FolderState& folder = m_folders[m_folderOf[d]];
        return DestinationBudget::OfBytes(std::max<qint64>(0, share + folder.bytes - kFreeReserve),
                                          destination.percentNew);
    }

    void Step(int pass, std::size_t d)
    {
        static const std::vector<qsizetype> none;
        FolderState& folder = m_folders[m_folderOf[d]];
        const DestinationBudget& budget = m_budgets[d];
        const bool takes = pass == 1 || budget.takesNewFiles;
        PlannedPass& planned = m_plan.destinations[d].passes[pass];
        planned.budget = pass == 0 ? budget.newFiles : budget.all;
        const std::vector<qsizetype>& order = !takes      ? none
                                              : pass == 0 ? m_facts.newOrder
                                                          : m_facts.fileOrder;
        const StepSelection step = SelectFiles(m_facts.files, order, folder.bytes, planned.budget,
                                               m_names, d, m_afterEach, folder.blockSize);
        planned.used = folder.bytes = step.used;
        for (const auto& [index, name] : step.chosen) {
            const LibraryFile& file = m_facts.files[static_cast<std::size_t>(index)];
            folder.names.Add(name);
            QString target = name;
            if (m_facts.rename)
                target = NewName(kLetters[pass], ++folder.lastNumber[pass], name,
                                 m_facts.destinations[d].safeNames);
            else
                planned.playlist << file.path;
            if (m_facts.filesPerFolder > 0) {
                if (folder.inSubfolder >= m_facts.filesPerFolder) {
                    ++folder.subfolder;
                    folder.inSubfolder = 0;
                }
                ++folder.inSubfolder;
            }
            planned.files.push_back({file.path, name, target, file.size,
                                     m_facts.filesPerFolder > 0 ? folder.subfolder : 0,
                                     file.convert});
        }
    }

    // The subfolders' names, once it is known how many there are, and the device playlist.
    void Finish(std::size_t d)
    {
        DestinationPlan& planned = m_plan.destinations[d];
        planned.blockSize = m_folders[m_folderOf[d]].blockSize;
        const int width = m_folders[m_folderOf[d]].subfolder > 99 ? 3 : 2;
        for (PlannedPass& pass : planned.passes) {
            for (PlannedFile& file : pass.files) {
                if (file.subfolder > 0)
                    file.target =
                        QStringLiteral("%1/").arg(file.subfolder, width, 10, QChar(u'0')) +
                        file.target;
                planned.devicePlaylistLines << file.target;
            }
        }
        if (m_facts.devicePlaylist)
            planned.devicePlaylist = AddTrailingSlash(planned.folder) +
                                     ParsePath(planned.folder, PathPart::FileName) +
                                     QStringLiteral(".m3u");
        else
            planned.devicePlaylistLines.clear();
    }

    const RunFacts& m_facts;
    const std::function<void()>& m_afterEach;
    RunPlan m_plan;
    std::vector<DestinationBudget> m_budgets;
    std::vector<FolderState> m_folders;
    std::vector<std::size_t> m_folderOf;
    std::vector<const DestinationNames*> m_names;
};

} // namespace

RunPlan MakePlan(const RunFacts& facts, const std::function<void()>& afterEach)
{
    return Planner(facts, afterEach).Make();
}
