#include "ui/QtDialogAnswerer.h"

#include "support/Text.h"

#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPointer>
#include <QStringList>

namespace {

QPointer<QWidget>& OwnerWindow()
{
    static QPointer<QWidget> owner;
    return owner;
}

QMessageBox::StandardButton ToStandard(MsgResult button)
{
    switch (button) {
    case MsgResult::OK: return QMessageBox::Ok;
    case MsgResult::Cancel: return QMessageBox::Cancel;
    case MsgResult::Yes: return QMessageBox::Yes;
    case MsgResult::No: return QMessageBox::No;
    }
    return QMessageBox::Ok;
}

QMessageBox::StandardButtons ButtonSet(MsgButtons buttons)
{
    switch (buttons) {
    case MsgButtons::OK: return QMessageBox::Ok;
    case MsgButtons::OKCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case MsgButtons::YesNo: return QMessageBox::Yes | QMessageBox::No;
    case MsgButtons::YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

QMessageBox::Icon ToIcon(MsgIcon icon)
{
    switch (icon) {
    case MsgIcon::None: return QMessageBox::NoIcon;
    case MsgIcon::Critical: return QMessageBox::Critical;
    case MsgIcon::Question: return QMessageBox::Question;
    case MsgIcon::Exclamation: return QMessageBox::Warning;
    case MsgIcon::Information: return QMessageBox::Information;
    }
    return QMessageBox::NoIcon;
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
    QMessageBox box(ToIcon(request.icon), request.caption,
                    QString(request.text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")),
                    ButtonSet(request.buttons), Owner());
    box.setDefaultButton(ToStandard(request.defaultButton));
    switch (box.exec()) {
    case QMessageBox::Ok: return MsgResult::OK;
    case QMessageBox::Yes: return MsgResult::Yes;
    case QMessageBox::No: return MsgResult::No;
    default: break;
    }
    // Escape or the close button: the set's cancelling answer.
    if (request.buttons == MsgButtons::YesNo)
        return MsgResult::No;
    return request.buttons == MsgButtons::OK ? MsgResult::OK : MsgResult::Cancel;
}

QString QtDialogAnswerer::Text(const DialogRequest& request)
{
    QWidget* owner = Owner();
    switch (request.kind) {
    case DialogRequest::Kind::Input: {
        bool ok = false;
        const QString prompt =
            QString(request.text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        const QString answer = QInputDialog::getText(owner, request.caption, prompt,
                                                     QLineEdit::Normal, request.defaultText, &ok);
        return ok ? answer : QString();
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
            QDir(request.initialFolder).exists() && !request.initialFolder.isEmpty()
                ? request.initialFolder
                : QString();
        return QFileDialog::getExistingDirectory(owner, request.text, start,
                                                 QFileDialog::ShowDirsOnly);
    }
    case DialogRequest::Kind::Message: break;
    }
    return {};
}
