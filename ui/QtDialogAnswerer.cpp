#include "ui/QtDialogAnswerer.h"

#include "base/Text.h"
#include "platform/Platform.h"
#include "ui/InputBox.h"
#include "ui/MessageBox.h"

#include <QFileDialog>
#include <QPointer>
#include <QStringList>

namespace {

QPointer<QWidget>& OwnerWindow()
{
    static QPointer<QWidget> owner;
    return owner;
}

// "cfg,*.cfg" -> "cfg (*.cfg)"; pairs of display name and pattern.
QString QtFilter(const QString& filter)
{
    const QStringList parts = filter.split(u',');
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        out << parts.at(i) + QStringLiteral(" (") + parts.at(i + 1) + u')';
    return out.join(QStringLiteral(";;"));
}

} // namespace

void QtDialogAnswerer::SetOwner(QWidget* owner)
{
    OwnerWindow() = owner;
}

QWidget* QtDialogAnswerer::Owner()
{
    return OwnerWindow().data();
}

MsgResult QtDialogAnswerer::Message(const DialogRequest& request)
{
    MessageBox box(request, Owner());
    box.exec();
    return box.Answer();
}

QString QtDialogAnswerer::Text(const DialogRequest& request)
{
    QWidget* owner = Owner();
    switch (request.kind) {
    case DialogRequest::Kind::Input: {
        InputBox box(request, owner);
        return box.exec() == QDialog::Accepted ? box.textValue() : QString();
    }
    case DialogRequest::Kind::OpenFile:
    case DialogRequest::Kind::SaveFile: {
        QFileDialog dialog(owner, request.caption, request.initialFolder, QtFilter(request.filter));
        const bool save = request.kind == DialogRequest::Kind::SaveFile;
        dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        // The overwrite question is the program's own.
        dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
        QString suffix = request.defaultExtension;
        if (suffix.startsWith(u'.'))
            suffix.remove(0, 1);
        dialog.setDefaultSuffix(suffix);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return {};
        return TrimSpaces(dialog.selectedFiles().constFirst());
    }
    case DialogRequest::Kind::Folder: {
        const QString start =
            Platform::IsDirectory(request.initialFolder) ? request.initialFolder : QString();
        return QFileDialog::getExistingDirectory(owner, request.text, start,
                                                 QFileDialog::ShowDirsOnly);
    }
    case DialogRequest::Kind::Message: break;
    }
    return {};
}
