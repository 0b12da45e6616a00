#include "ui/SortedList.h"

SortedList::SortedList(QWidget* parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    // Sorting stays off: Qt's own sort is case-sensitive and would also move edited items.
    setSortingEnabled(false);
}

int SortedList::AddItem(const QString& text)
{
    int low = 0;
    int high = count();
    while (low < high) {
        const int mid = (low + high) / 2;
        if (QString::compare(item(mid)->text(), text, Qt::CaseInsensitive) <= 0)
            low = mid + 1;
        else
            high = mid;
    }
    insertItem(low, text);
    return low;
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
