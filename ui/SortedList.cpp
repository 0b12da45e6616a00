#include "ui/SortedList.h"

#include "base/Text.h"

#include <algorithm>

SortedList::SortedList(QWidget* parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    // Sorting stays off: Qt's own sort is case-sensitive and would also move edited items.
    setSortingEnabled(false);
}

int SortedList::AddItem(const QString& text)
{
    // After the items that compare equal, as the rows are searched in order.
    const QStringList texts = Items();
    const auto place = std::upper_bound(texts.begin(), texts.end(), text, LessNoCase);
    const int row = static_cast<int>(place - texts.begin());
    insertItem(row, text);
    return row;
}

void SortedList::SetItemText(int index, const QString& text)
{
    if (QListWidgetItem* it = item(index))
        it->setText(text);
}

QString SortedList::ItemText(int index) const
{
    const QListWidgetItem* it = item(index);
    return it ? it->text() : QString();
}

QStringList SortedList::Items() const
{
    QStringList texts;
    for (int i = 0; i < count(); ++i)
        texts << item(i)->text();
    return texts;
}

int SortedList::SelectedIndex() const
{
    const QList<QListWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? -1 : row(selected.constFirst());
}

void SortedList::SelectIndex(int index)
{
    if (index < 0 || index >= count()) {
        clearSelection();
        setCurrentRow(-1);
        return;
    }
    setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
}
