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

// Adds every piece of the text cut at the delimiter (empty pieces too); nothing for a text of
// spaces only.
void FillList(SortedList* list, const QString& text, const QString& delimiter);

// The item texts in list order with the delimiter between them.
QString JoinList(const SortedList* list, const QString& delimiter);
