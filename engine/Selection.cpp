#include "engine/Selection.h"

#include "base/Numbers.h"

DestinationBudget DestinationBudget::Of(qint64 megabytes, qint16 percentNew)
{
    return OfBytes(CheckedMul64(megabytes, 1048576), percentNew);
}

DestinationBudget DestinationBudget::OfBytes(qint64 bytes, qint16 percentNew)
{
    DestinationBudget budget;
    budget.all = bytes;
    budget.takesNewFiles = percentNew > 0;
    if (budget.takesNewFiles) {
        // To the nearest byte, in integers: a double would round sizes past 2^53. A megabyte
        // is 2^20 bytes, so a share never ends in exactly half a byte.
        const __int128 share =
            static_cast<__int128>(budget.all) * std::min<qint16>(percentNew, 100);
        budget.newFiles = static_cast<qint64>((share + 50) / 100);
    }
    return budget;
}

StepSelection SelectFiles(const std::vector<LibraryFile>& files,
                          const std::vector<qsizetype>& order, qint64 used, qint64 budget,
                          const std::vector<const DestinationNames*>& destinations,
                          std::size_t self, const std::function<void()>& afterEach,
                          qint64 blockSize)
{
    StepSelection step;
    step.used = used;
    // Two library files of one name would overwrite each other in this step's copy.
    DestinationNames chosenHere;
    for (const qsizetype index : order) {
        const LibraryFile& file = files[static_cast<std::size_t>(index)];
        const qint64 size =
            blockSize > 1 ? (file.size + blockSize - 1) / blockSize * blockSize : file.size;
        // Written so that it cannot overflow: used may already exceed the budget.
        if (size <= budget - step.used) {
            const QString nameHere = destinations[self]->NameFor(file.name);
            bool taken = chosenHere.Contains(nameHere);
            for (std::size_t d = 0; d < destinations.size() && !taken; ++d)
                taken = destinations[d]->Contains(destinations[d]->NameFor(file.name));
            if (!taken) {
                chosenHere.Add(nameHere);
                step.used += size;
                step.chosen.emplace_back(index, nameHere);
            }
        }
        if (afterEach)
            afterEach();
    }
    return step;
}
