#include "base/Dialogs.h"

#include "base/ConsoleDialogAnswerer.h"
#include "base/Events.h"
#include "base/ProductInfo.h"

namespace {

std::unique_ptr<DialogAnswerer>& Current()
{
    static std::unique_ptr<DialogAnswerer> answerer;
    return answerer;
}

// The answerer's windows live on the main thread, whichever thread asks.
MsgResult AskMessage(const DialogRequest& request)
{
    MsgResult result = MsgResult::Cancel;
    OnMainThread([&] { result = Dialogs::Answerer().Message(request); });
    return result;
}

QString AskText(const DialogRequest& request)
{
    QString result;
    OnMainThread([&] { result = Dialogs::Answerer().Text(request); });
    return result;
}

} // namespace

MsgResult FirstButton(MsgButtons buttons)
{
    switch (buttons) {
    case MsgButtons::OK:
    case MsgButtons::OKCancel: return MsgResult::OK;
    case MsgButtons::YesNo:
    case MsgButtons::YesNoCancel: return MsgResult::Yes;
    }
    return MsgResult::OK;
}

bool ButtonInSet(MsgResult button, MsgButtons buttons)
{
    switch (buttons) {
    case MsgButtons::OK: return button == MsgResult::OK;
    case MsgButtons::OKCancel: return button == MsgResult::OK || button == MsgResult::Cancel;
    case MsgButtons::YesNo: return button == MsgResult::Yes || button == MsgResult::No;
    case MsgButtons::YesNoCancel:
        return button == MsgResult::Yes || button == MsgResult::No || button == MsgResult::Cancel;
    }
    return false;
}

QString ButtonWord(MsgResult button)
{
    switch (button) {
    case MsgResult::OK: return QStringLiteral("OK");
    case MsgResult::Cancel: return QStringLiteral("Cancel");
    case MsgResult::Yes: return QStringLiteral("Yes");
    case MsgResult::No: return QStringLiteral("No");
    }
    return {};
}

std::unique_ptr<DialogAnswerer> Dialogs::SetAnswerer(std::unique_ptr<DialogAnswerer> answerer)
{
    std::unique_ptr<DialogAnswerer> previous = std::move(Current());
    Current() = std::move(answerer);
    return previous;
}

DialogAnswerer& Dialogs::Answerer()
{
    // Nothing that asks before start-up is done may block on a window nobody installed.
    if (!Current())
        Current() = std::make_unique<ConsoleDialogAnswerer>();
    return *Current();
}

MsgResult Dialogs::MsgBox(const QString& text, MsgButtons buttons, MsgIcon icon,
                          const QString& caption, MsgResult defaultButton)
{
    DialogRequest request;
    request.kind = DialogRequest::Kind::Message;
    request.caption = caption.isEmpty() ? kProductTitle : caption;
    request.text = text;
    request.icon = icon;
    request.buttons = buttons;
    request.defaultButton =
        ButtonInSet(defaultButton, buttons) ? defaultButton : FirstButton(buttons);
    return AskMessage(request);
}

QString Dialogs::InputBox(const QString& prompt, const QString& title, const QString& defaultText)
{
    DialogRequest request;
    request.kind = DialogRequest::Kind::Input;
    request.caption = title.isEmpty() ? kProductTitle : title;
    request.text = prompt;
    request.defaultText = defaultText;
    return AskText(request);
}

namespace {

DialogRequest FileRequest(DialogRequest::Kind kind, const QString& title, const QString& filter,
                          const QString& initialFolder, const QString& defaultExtension)
{
    DialogRequest request;
    request.kind = kind;
    request.caption = title;
    request.filter = filter;
    request.initialFolder = initialFolder;
    request.defaultExtension = defaultExtension;
    return request;
}

} // namespace

QString Dialogs::OpenFile(const QString& title, const QString& filter, const QString& initialFolder,
                          const QString& defaultExtension)
{
    return AskText(
        FileRequest(DialogRequest::Kind::OpenFile, title, filter, initialFolder, defaultExtension));
}

QString Dialogs::SaveFile(const QString& title, const QString& filter, const QString& initialFolder,
                          const QString& defaultExtension)
{
    return AskText(
        FileRequest(DialogRequest::Kind::SaveFile, title, filter, initialFolder, defaultExtension));
}

QString Dialogs::BrowseFolder(const QString& prompt, const QString& initialPath)
{
    DialogRequest request;
    request.kind = DialogRequest::Kind::Folder;
    request.caption = kProductTitle;
    request.text = prompt;
    request.initialFolder = initialPath;
    return AskText(request);
}
