#pragma once

#include <QString>
#include <QtGlobal>

#include <array>

// The recent-documents list lives only in the preferences file, under "RecentCfgs" followed
// by the position (1 is the most recent); an empty value ends the list.

inline const QString kRecentFilesKey = QStringLiteral("RecentCfgs");
inline constexpr int kRecentMenuItems = 4;

// Puts the path at position 1 and moves the other entries down, without a duplicate (paths
// compared with SameText; the form given here is the one kept). Positions 1 to 4 are kept; a
// fifth one, written by hand, only ever counts as a match.
void AddRecentFile(const QString& path);

struct RecentMenuItem
{
    QString caption;
    bool visible = false;
    bool enabled = false;
};

// The four recent items of the File menu, for the indices 21 to 24, from the stored list. With
// an empty list only the first shows, as the disabled placeholder "Recent Files".
std::array<RecentMenuItem, kRecentMenuItems> BuildRecentMenu();
