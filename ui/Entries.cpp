#include "ui/Entries.h"

#include "base/AppError.h"
#include "base/Dialogs.h"
#include "base/ErrorReport.h"
#include "base/Text.h"
#include "engine/JobEntries.h"
#include "platform/Paths.h"
#include "ui/SortedList.h"
#include "ui/frmPickFolder.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <memory>

namespace {

QString EntryText(const frmPickFolder& dialog, EntryKind kind, const QString& folder)
{
    if (kind == EntryKind::Library)
        return LibraryEntry{folder, dialog.chkIncludeSubfolders()->isChecked()}.Format();
    return DestinationEntry{folder, dialog.txtDestinationSize()->text(),
                            dialog.txtPercNewFiles()->text()}
        .Format();
}

void FillFromEntry(frmPickFolder& dialog, EntryKind kind, const QString& text)
{
    if (kind == EntryKind::Library) {
        const LibraryEntry entry = LibraryEntry::Parse(text);
        dialog.txtFolder()->setText(entry.folder);
        dialog.chkIncludeSubfolders()->setChecked(entry.includeSubfolders);
        return;
    }
    const DestinationEntry entry = DestinationEntry::Parse(text);
    dialog.txtFolder()->setText(entry.folder);
    dialog.txtDestinationSize()->setText(entry.maxSize);
    dialog.txtPercNewFiles()->setText(entry.percent);
}

struct Unloader
{
    void operator()(frmPickFolder* dialog) const
    {
        dialog->Unload();
        delete dialog;
    }
};

void SetUpDialog(frmPickFolder& dialog, SortedList* list, EntryKind kind, bool isNew)
{
    const bool library = kind == EntryKind::Library;
    const QString title = library ? QStringLiteral("Library Entry") : QStringLiteral("Dest Entry");
    dialog.setOptionMaxSize(!library);
    dialog.setOptionIncludeSubfolders(library);
    if (isNew) {
        dialog.setWindowTitle(QStringLiteral("New ") + title);
        dialog.cmdAdvanced()->show();
    } else {
        dialog.setWindowTitle(QStringLiteral("Edit ") + title);
        dialog.cmdAdvanced()->hide();
        FillFromEntry(dialog, kind, list->ItemText(list->SelectedIndex()));
    }
}

void ShowDialog(frmPickFolder& dialog, QWidget* owner, bool isNew)
{
    if (!isNew) {
        dialog.exec();
        return;
    }
    // The browser opens over the dialog at once; the dialog then takes over, modally.
    dialog.setModal(false);
    dialog.show();
    dialog.ShowFolderBrowser();
    dialog.hide();
    dialog.exec();
    if (owner) {
        owner->raise();
        owner->activateWindow();
    }
}

// Puts the accepted dialog's entry, or one per ticked subfolder, into the list.
bool StoreEntry(const frmPickFolder& dialog, SortedList* list, EntryKind kind, bool isNew)
{
    const QString folder = TrimSpaces(dialog.txtFolder()->text());
    if (!dialog.Accepted() || folder.isEmpty())
        return false;
    // "|" separates the entries where a document stores them.
    const QStringList ticked =
        isNew && dialog.AdvancedMode() ? dialog.TickedSubfolders() : QStringList();
    if (folder.contains(u'|') || ticked.join(QString()).contains(u'|')) {
        Dialogs::MsgBox(QStringLiteral("A folder name cannot contain |."), MsgButtons::OK,
                        MsgIcon::Exclamation);
        return false;
    }

    if (isNew && dialog.AdvancedMode()) {
        // One entry per ticked subfolder; the selection stays where it was.
        const QString parent = AddTrailingSlash(folder);
        for (const QString& subfolder : ticked)
            list->AddItem(EntryText(dialog, kind, parent + subfolder));
        return true;
    }
    const QString entry = EntryText(dialog, kind, folder);
    if (isNew)
        list->SelectIndex(list->AddItem(entry));
    else
        list->SetItemText(list->SelectedIndex(), entry);
    return true;
}

} // namespace

bool EditEntry(QWidget* owner, SortedList* list, EntryKind kind, bool isNew)
{
    std::unique_ptr<frmPickFolder, Unloader> dialog;
    try {
        dialog.reset(new frmPickFolder(owner));
        SetUpDialog(*dialog, list, kind, isNew);
        ShowDialog(*dialog, owner, isNew);
        return StoreEntry(*dialog, list, kind, isNew);
    } catch (...) {
        ReportCurrentError(QString());
        return false;
    }
}

void RemoveListItem(SortedList* list, int index)
{
    if (index < 0 || index >= list->count())
        RaiseError(ErrorNumber::InvalidCall);
    delete list->takeItem(index);
    const int remaining = list->count();
    if (remaining == 0)
        list->SelectIndex(-1);
    else
        list->SelectIndex(std::min(index, remaining - 1));
}
