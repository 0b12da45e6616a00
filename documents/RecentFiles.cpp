#include "documents/RecentFiles.h"

#include "base/Text.h"
#include "documents/Preferences.h"

#include <QStringList>

namespace {

constexpr qsizetype kShownTail = 30;
// One past the positions kept, as the list has always been read.
constexpr int kCapacity = 5;

} // namespace

void AddRecentFile(const QString& path)
{
    const QString& key = kRecentFilesKey;
    const int capacity = kCapacity;
    QStringList entries(1); // entries[j] is position j
    for (int j = 1; j <= capacity; ++j)
        entries.append(ReadPreference(key + QString::number(j)));

    int match = 0;
    for (int j = 1; j <= capacity; ++j)
        if (SameText(entries.at(j), path))
            match = j;

    WritePreference(key + QStringLiteral("1"), path);
    int next = 2;
    for (int j = 1; j <= capacity; ++j) {
        if (j != match) {
            // Empty entries are written too: they keep the end of the list in place.
            WritePreference(key + QString::number(next), entries.at(j));
            ++next;
        }
        if (next == capacity)
            break;
    }
}

std::array<RecentMenuItem, kRecentMenuItems> BuildRecentMenu()
{
    std::array<RecentMenuItem, kRecentMenuItems> items;
    for (int i = 1; i < kRecentMenuItems; ++i)
        items[i] = RecentMenuItem{QString::number(i + 1), false, true};
    items[0] = RecentMenuItem{QStringLiteral("Recent Files"), true, false};

    for (int i = 1; i <= kRecentMenuItems; ++i) {
        const QString name = TrimSpaces(ReadPreference(kRecentFilesKey + QString::number(i)));
        if (name.isEmpty())
            break;
        const QString shown =
            name.size() > kShownTail ? QStringLiteral("...") + name.right(kShownTail) : name;
        items[i - 1] = RecentMenuItem{u'&' + QString::number(i) + u' ' + shown, true, true};
    }
    return items;
}
