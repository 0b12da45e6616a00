#include "engine/Selection.h"

#include "support/Numbers.h"
#include "support/Paths.h"

DestinationBudget DestinationBudget::Of(const DestinationEntry& entry)
{
    DestinationBudget budget;
    budget.folder = entry.folder;
    const qint16 percent = entry.PercentNew();
    budget.all = CheckedMul(entry.MaxSizeMegabytes(), 1048576);
    budget.takesNewFiles = percent > 0;
    if (budget.takesNewFiles)
        budget.newFiles = ToInt32(percent / 100.0 * static_cast<double>(budget.all));
    return budget;
}

StepSelection SelectFiles(const std::vector<Candidate>& candidates, qint32 used, qint32 budget,
                          const std::vector<const DestinationNames*>& destinations,
                          std::size_t self, QChar renameLetter,
                          const std::function<void()>& afterEach)
{
    StepSelection step;
    step.used = used;
    // Two library files of one name would overwrite each other in this step's copy.
    DestinationNames chosenHere;
    for (std::size_t k = 0; k < candidates.size(); ++k) {
        const Candidate& candidate = candidates[k];
        if (CheckedAdd(step.used, candidate.size) <= budget) {
            const QString fileName = ParsePath(candidate.path, PathPart::FileName);
            const QString nameHere = destinations[self]->NameFor(fileName);
            bool taken = chosenHere.Contains(nameHere);
            for (std::size_t d = 0; d < destinations.size() && !taken; ++d)
                taken = destinations[d]->Contains(destinations[d]->NameFor(fileName));
            if (!taken) {
                chosenHere.Add(nameHere);
                step.used += candidate.size;
                ChosenFile file{static_cast<qsizetype>(k), nameHere, {}};
                if (!renameLetter.isNull())
                    file.newName =
                        renameLetter +
                        QStringLiteral("%1").arg(step.chosen.size() + 1, 4, 10, QChar(u'0')) +
                        u'.' + ParsePath(nameHere, PathPart::Extension);
                step.chosen.push_back(std::move(file));
            }
        }
        if (afterEach)
            afterEach();
    }
    return step;
}
