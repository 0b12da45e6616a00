#pragma once

#include <QString>
#include <memory>

enum class MsgIcon
{
    None,
    Critical,
    Question,
    Exclamation,
    Information
};
enum class MsgButtons
{
    OK,
    OKCancel,
    YesNo,
    YesNoCancel
};
enum class MsgResult
{
    OK,
    Cancel,
    Yes,
    No
};

// One request for a modal window, as the program asked for it.
struct DialogRequest
{
    enum class Kind
    {
        Message,
        Input,
        OpenFile,
        SaveFile,
        Folder
    };

    Kind kind = Kind::Message;
    QString caption;
    QString text; // message text, input prompt or browser prompt
    MsgIcon icon = MsgIcon::None;
    MsgButtons buttons = MsgButtons::OK;
    MsgResult defaultButton = MsgResult::OK;
    QString defaultText;      // input box
    QString filter;           // file dialogs: "name,pattern[,name,pattern...]"
    QString initialFolder;    // file dialogs and folder browser
    QString defaultExtension; // file dialogs, with or without the leading "."
};

// Whoever answers modal requests: the real windows, a test script or the console.
class DialogAnswerer
{
public:
    virtual ~DialogAnswerer() = default;
    virtual MsgResult Message(const DialogRequest& request) = 0;
    // Input box, file dialogs and folder browser; an empty text means cancelled.
    virtual QString Text(const DialogRequest& request) = 0;
};

// The one service through which the program shows modal windows.
class Dialogs
{
public:
    // Takes ownership and hands back the previous answerer, so that it can be put back.
    static std::unique_ptr<DialogAnswerer> SetAnswerer(std::unique_ptr<DialogAnswerer> answerer);
    // The answerer installed at start-up; until there is one, the console answers.
    static DialogAnswerer& Answerer();

    // Without a default button the first button of the set is the default.
    static MsgResult MsgBox(const QString& text, MsgButtons buttons = MsgButtons::OK,
                            MsgIcon icon = MsgIcon::None, const QString& caption = {},
                            MsgResult defaultButton = MsgResult::OK);
    static QString InputBox(const QString& prompt, const QString& title,
                            const QString& defaultText = {});
    static QString OpenFile(const QString& title, const QString& filter,
                            const QString& initialFolder, const QString& defaultExtension);
    static QString SaveFile(const QString& title, const QString& filter,
                            const QString& initialFolder, const QString& defaultExtension);
    static QString BrowseFolder(const QString& prompt, const QString& initialPath);
};

// The default button of a set when none is named.
MsgResult FirstButton(MsgButtons buttons);
bool ButtonInSet(MsgResult button, MsgButtons buttons);
QString ButtonWord(MsgResult button);
