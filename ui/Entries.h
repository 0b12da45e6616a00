#pragma once

#include <QString>

class QWidget;
class SortedList;

// The two kinds of entries the job holds.
enum class EntryKind
{
    Library = 1,
    Destination = 2
};

// The add and edit flow through the folder entry dialog; true when the list changed.
// owner = the main window. Adding opens the folder browser at once; editing fills the dialog
// from the list's selected item and replaces its text. Failures are reported here.
bool EditEntry(QWidget* owner, SortedList* list, EntryKind kind, bool isNew);

// Removes the item and selects the one now at its place, or the new last one.
void RemoveListItem(SortedList* list, int index);
