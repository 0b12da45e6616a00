#include "engine/RunPlan.h"

#include "base/AppError.h"
#include "platform/Paths.h"

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
};

constexpr QChar kLetters[2] = {u'A', u'F'};

// The numbers of earlier renames ("A0012.mp3") the folder holds, so new names go on after them.
void NoteHeldNumbers(FolderState& folder, const QStringList& entries)
{
    static const QRegularExpression numbered(QStringLiteral("^([AF])(\\d{4,18})(\\.|$)"),
                                             QRegularExpression::CaseInsensitiveOption);
    for (const QString& entry : entries) {
        const QRegularExpressionMatch match = numbered.match(entry);
        if (!match.hasMatch())
            continue;
        const int letter = match.capturedView(1).compare(u"A", Qt::CaseInsensitive) == 0 ? 0 : 1;
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

} // namespace

RunPlan MakePlan(const RunFacts& facts, const std::function<void()>& afterEach)
{
    const std::size_t count = facts.destinations.size();
    RunPlan plan;
    plan.destinations.resize(count);
    std::vector<DestinationBudget> budgets;
    std::vector<FolderState> folders;
    std::vector<std::size_t> folderOf;
    folders.reserve(count);
    for (std::size_t d = 0; d < count; ++d) {
        const DestinationFacts& destination = facts.destinations[d];
        budgets.push_back(DestinationBudget::Of(destination.megabytes, destination.percentNew));
        if (!destination.playlistProblem.isEmpty())
            RaiseError(ErrorNumber::PathFileAccess, destination.playlistProblem);

        DestinationPlan& planned = plan.destinations[d];
        planned.folder = destination.folder;
        planned.playlist = destination.playlist;
        const auto shared = std::find_if(folders.begin(), folders.end(), [&](const FolderState& f) {
            return f.canonical == destination.canonical;
        });
        folderOf.push_back(static_cast<std::size_t>(shared - folders.begin()));
        if (shared != folders.end())
            continue;
        FolderState& folder = folders.emplace_back();
        folder.canonical = destination.canonical;
        folder.names = DestinationNames(destination.safeNames);
        if (facts.emptying) {
            for (const QString& entry : destination.entries)
                planned.emptied << AddTrailingSlash(destination.folder) + entry;
            planned.emptiedFiles = destination.filesBelow;
            planned.emptiedBytes = destination.bytesBelow;
            continue;
        }
        for (const QString& entry : destination.entries)
            folder.names.Add(entry);
        folder.bytes = destination.bytesInside;
        NoteHeldNumbers(folder, destination.entries);
    }

    std::vector<const DestinationNames*> names;
    for (std::size_t d = 0; d < count; ++d)
        names.push_back(&folders[folderOf[d]].names);
    static const std::vector<qsizetype> none;
    for (int pass = 0; pass < 2; ++pass) {
        for (std::size_t d = 0; d < count; ++d) {
            FolderState& folder = folders[folderOf[d]];
            const DestinationBudget& budget = budgets[d];
            const bool takes = pass == 1 || budget.takesNewFiles;
            PlannedPass& planned = plan.destinations[d].passes[pass];
            planned.budget = pass == 0 ? budget.newFiles : budget.all;
            const StepSelection step =
                SelectFiles(facts.files,
                            !takes      ? none
                            : pass == 0 ? facts.newOrder
                                        : facts.fileOrder,
                            folder.bytes, planned.budget, names, d, afterEach);
            planned.used = folder.bytes = step.used;
            for (const auto& [index, name] : step.chosen) {
                const LibraryFile& file = facts.files[static_cast<std::size_t>(index)];
                folder.names.Add(name);
                QString target = name;
                if (facts.rename)
                    target = NewName(kLetters[pass], ++folder.lastNumber[pass], name,
                                     facts.destinations[d].safeNames);
                else
                    planned.playlist << file.path;
                planned.files.push_back({file.path, name, target, file.size});
            }
        }
    }
    return plan;
}
