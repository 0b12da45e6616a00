#pragma once

#include <QListWidget>

// A list that keeps its items in ascending order of their text without regard to case, the
// way the job's lists are shown and stored. Items go in at their sorted place; an item whose
// text is replaced keeps its place until the list is filled again. Single selection.
class SortedList : public QListWidget
{
    Q_OBJECT

public:
    explicit SortedList(QWidget* parent = nullptr);

    // Inserts at the sorted place (after items that compare equal) and returns the index.
    int AddItem(const QString& text);
    void SetItemText(int index, const QString& text);
    QString ItemText(int index) const;
    QStringList Items() const;
    // The selected row, or -1.
    int SelectedIndex() const;
    void SelectIndex(int index);
};
