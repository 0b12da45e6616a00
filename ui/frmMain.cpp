#include "ui/frmMain.h"

#include "documents/CBinaryINI.h"
#include "documents/JobDocument.h"
#include "documents/Preferences.h"
#include "documents/RecentFiles.h"
#include "engine/ArchiveBitHelper.h"
#include "support/AppError.h"
#include "support/ConsoleMode.h"
#include "support/Dialogs.h"
#include "support/ErrorReport.h"
#include "support/Events.h"
#include "support/Numbers.h"
#include "support/Paths.h"
#include "support/Text.h"
#include "ui/AppInfo.h"
#include "ui/CommandLineHelp.h"
#include "ui/FileDialogs.h"
#include "ui/InputBlocker.h"
#include "ui/JobPanel.h"
#include "ui/ProgressBox.h"
#include "ui/QtDialogAnswerer.h"
#include "ui/Twips.h"
#include "ui/WindowPlacement.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFrame>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStyle>
#include <QUrl>
#include <cstdio>

frmMain::frmMain(QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                              Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmMain"));
    m_menu = MainMenu::Build(menuBar());
    ConnectMenus();

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(Twips(5880), Twips(4980));
    setCentralWidget(client);
    m_picMain = new JobPanel(client);
    m_picMain->setGeometry(TwipsRect(0, 0, 5865, 4605));
    m_inputBlocker = new InputBlocker(m_picMain);
    BuildStatusArea(client);
    connect(m_picMain, &JobPanel::modified, this, [this] { m_modified = true; });
    connect(m_picMain->StartButton(), &QPushButton::clicked, this, [this] { StartShuffle(false); });

    QtDialogAnswerer::SetOwner(this);
    // A fixed border: the client area and the menu bar, nothing to resize.
    adjustSize();
    setFixedSize(sizeHint());
}

frmMain::~frmMain()
{
    if (m_waitCursor)
        QApplication::restoreOverrideCursor();
}

void frmMain::BuildStatusArea(QWidget* client)
{
    m_lblStatus = new QLabel(client);
    m_lblStatus->setObjectName(QStringLiteral("lblStatus"));
    m_lblStatus->setIndent(Twips(60));
    m_lblStatus->setGeometry(TwipsRect(0, 4680, 5860, 285));

    m_picProgressBar = new ProgressBox(client);
    m_picProgressBar->setGeometry(TwipsRect(4275, 4725, 1500, 195));
    m_picProgressBar->hide();
}

void frmMain::ConnectMenus()
{
    // One command per menu item; a command's failure is reported and ends only that command.
    const auto on = [this](QAction* action, auto command) {
        connect(action, &QAction::triggered, this, [command] {
            try {
                command();
            } catch (...) {
                ReportCurrentError(QString());
            }
        });
    };
    on(m_menu.newDocument, [this] { NewDocument(); });
    on(m_menu.open, [this] { OpenDocument(); });
    on(m_menu.save, [this] { SaveSettings(false); });
    on(m_menu.saveAs, [this] { SaveSettings(true); });
    on(m_menu.autoLoad, [this] { ToggleAutoLoad(); });
    for (int i = 0; i < 4; ++i)
        on(m_menu.recent[static_cast<std::size_t>(i)], [this, i] { OpenRecent(i + 1); });
    on(m_menu.exit, [this] { close(); });
    on(m_menu.homePage, [] { QDesktopServices::openUrl(QUrl(kHomePageUrl)); });
    on(m_menu.commandLineOptions, [] { ShowCommandLineHelp(); });
    on(m_menu.archiveBitHelper, [this] { RunArchiveBitHelper(); });
    on(m_menu.about, [this] { ShowAbout(); });
}

QAction* frmMain::MenuItem(const QString& name) const
{
    return findChild<QAction*>(name);
}

void frmMain::ApplyRecentMenu()
{
    const auto items = BuildRecentMenu();
    for (std::size_t i = 0; i < items.size(); ++i) {
        QAction* action = m_menu.recent[i];
        action->setText(items[i].caption);
        action->setVisible(items[i].visible);
        action->setEnabled(items[i].enabled);
    }
}

void frmMain::Load(bool placeOnScreen)
{
    m_placeOnScreen = placeOnScreen;
    try {
        ApplyRecentMenu();
        m_menu.autoLoad->setChecked(LeadingNumber(ReadPreference(QStringLiteral("AutoLoadFile"))) !=
                                    0);
        ResetSettings(false);
        if (m_menu.autoLoad->isChecked()) {
            const QString last = ReadPreference(QStringLiteral("LoadFile"));
            if (PathExists(last, true)) {
                try {
                    LoadSettings(last);
                } catch (...) {
                    ReportCurrentError(QStringLiteral(
                        "Error loading last cfg file. The file may be in use by another "
                        "process. The program will start with a blank configuration."));
                    m_menu.autoLoad->setChecked(false);
                    ResetSettings(false);
                    return;
                }
            }
        }
        if (m_placeOnScreen)
            RestorePlacement(this);
    } catch (...) {
        ReportCurrentError(QStringLiteral("Error loading main window."));
        throw;
    }
}

void frmMain::closeEvent(QCloseEvent* event)
{
    if (m_busy) {
        // The run cannot go on while this handler waits, so the close is refused for now: the
        // run asks "Are you sure you want to cancel?" at its next check, and on Yes it runs
        // its finish sequence and the window closes then. On No the window stays.
        m_cancelRequested = true;
        m_closeAfterRun = true;
        event->ignore();
        return;
    }
    bool accept = true;
    try {
        if (m_modified)
            accept = ConfirmSaveChanges();
    } catch (...) {
        ReportCurrentError(QString());
        accept = false;
    }
    try {
        if (m_placeOnScreen)
            StorePlacement(this);
    } catch (...) {
        ReportCurrentError(QString());
    }
    if (accept)
        event->accept();
    else
        event->ignore();
}

void frmMain::keyPressEvent(QKeyEvent* event)
{
    // Enter presses Start, as a dialog's default button would. The other buttons take Enter
    // themselves when they have the focus, so it never reaches here from them.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (!m_busy)
            m_picMain->StartButton()->click();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void frmMain::SetBusy(bool busy)
{
    m_busy = busy;
    m_inputBlocker->SetBlocking(busy);
    m_menu.file->menuAction()->setEnabled(!busy);
    m_menu.help->menuAction()->setEnabled(!busy);
    repaint();
    if (busy) {
        SetWaitCursor(true);
    } else {
        m_lblStatus->setText(QString());
        m_lblStatus->repaint();
        m_picProgressBar->hide();
        SetWaitCursor(false);
    }
}

void frmMain::SetWaitCursor(bool waiting)
{
    if (waiting && !m_waitCursor)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else if (!waiting && m_waitCursor)
        QApplication::restoreOverrideCursor();
    m_waitCursor = waiting;
}

void frmMain::SetStatus(const QString& text)
{
    m_lblStatus->setText(text);
    m_lblStatus->repaint();
    // Without a display the console is where the status line is read.
    if (!text.isEmpty() && ConsoleMode()) {
        std::fprintf(stdout, "%s\n", text.toLocal8Bit().constData());
        std::fflush(stdout);
    }
}

void frmMain::ShowProgress(bool visible)
{
    m_picProgressBar->setVisible(visible);
}

void frmMain::SetProgress(qint32 value, qint32 maximum)
{
    m_picProgressBar->SetProgress(value, maximum);
}

void frmMain::ClearCancelRequest()
{
    m_cancelRequested = false;
}

bool frmMain::CheckCancel()
{
    DoEventsThrottled();
    bool result = false;
    if (m_cancelRequested) {
        result =
            Dialogs::MsgBox(QStringLiteral("Are you sure you want to cancel?"), MsgButtons::YesNo,
                            MsgIcon::Question, kApplicationTitle) == MsgResult::Yes;
        if (!result)
            m_closeAfterRun = false;
    }
    m_cancelRequested = false;
    return result;
}

void frmMain::ShowSeed(quint32 seed)
{
    if (ConsoleMode()) {
        std::fprintf(stdout, "seed: %u\n", seed);
        std::fflush(stdout);
    }
}

QString frmMain::GetWindowTitle() const
{
    const QString title = TrimSpaces(ReadPreference(QStringLiteral("WindowTitle")));
    return title.isEmpty() ? kApplicationTitle : title;
}

ShuffleJob frmMain::CurrentJob() const
{
    return m_picMain->Job();
}

ShuffleOutcome frmMain::StartShuffle(bool bAutoMode)
{
    // The controls take no input while the run is busy, so reading them once is the same as
    // reading them at every step.
    const ShuffleOutcome outcome =
        ::StartShuffle(CurrentJob(), *this, bAutoMode, nullptr, {m_seed, false});
    if (m_closeAfterRun) {
        m_closeAfterRun = false;
        close();
    }
    return outcome;
}

// Settings documents ---------------------------------------------------------------------

void frmMain::SetCaption(const QString& simpleName)
{
    setWindowTitle(simpleName + QStringLiteral(" - ") + GetWindowTitle());
}

void frmMain::ResetSettings(bool bPrompt)
{
    Q_UNUSED(bPrompt);
    m_picMain->ShowJob(ShuffleJob{});
    m_document.reset();
    SetCaption(QStringLiteral("New Settings"));
    m_modified = false;
}

void frmMain::LoadSettings(const QString& sFile)
{
    if (!PathExists(sFile, true))
        RaiseError(ErrorNumber::FileNotFound);
    auto document = std::make_unique<CBinaryINI>();
    document->SetFile(sFile);
    ResetSettings(false);
    m_document = std::move(document);
    SetCaption(ParsePath(sFile, PathPart::BaseName));
    m_picMain->ShowJob(ReadJob(*m_document));
    AddRecentFile(sFile);
    if (m_menu.autoLoad->isChecked())
        WritePreference(QStringLiteral("LoadFile"), sFile);
    m_modified = false;
    ApplyRecentMenu();
}

bool frmMain::SaveSettings(bool saveAs)
{
    if (saveAs || !m_document) {
        QString path;
        if (!ShowFileDialog(path, FileDialogMode::Save, this, QStringLiteral("Save As"),
                            GetDataFolder(), QStringLiteral("cfg,*.cfg"), QStringLiteral(".cfg")))
            return false;
        if (PathExists(path, true) &&
            Dialogs::MsgBox(path + QStringLiteral(" already exists. Do you want to overwrite it?"),
                            MsgButtons::YesNo, MsgIcon::Exclamation) != MsgResult::Yes)
            return false;
        // The old store lets go of its file first, so Save As onto the current document works.
        m_document.reset();
        m_document = std::make_unique<CBinaryINI>();
        m_document->SetFile(path);
    }
    WriteJob(*m_document, CurrentJob());
    m_document->Commit();

    const QString path = m_document->File();
    AddRecentFile(path);
    if (m_menu.autoLoad->isChecked())
        WritePreference(QStringLiteral("LoadFile"), path);
    ApplyRecentMenu();
    SetCaption(ParsePath(path, PathPart::BaseName));
    m_modified = false;
    return true;
}

bool frmMain::ConfirmSaveChanges()
{
    const QString name = m_document ? m_document->File() : QStringLiteral("New Settings");
    if (Dialogs::MsgBox(QStringLiteral("Save ") + name + u'?', MsgButtons::YesNo,
                        MsgIcon::Question) == MsgResult::Yes)
        return SaveSettings(false);
    return true;
}

bool frmMain::MayDropChanges()
{
    return !m_modified || ConfirmSaveChanges();
}

// Menu commands -----------------------------------------------------------------------------

void frmMain::NewDocument()
{
    if (MayDropChanges())
        ResetSettings(false);
}

void frmMain::OpenDocument()
{
    if (!MayDropChanges())
        return;
    QString path;
    if (ShowFileDialog(path, FileDialogMode::Open, this, QStringLiteral("Open"), GetDataFolder(),
                       QStringLiteral("cfg,*.cfg")))
        LoadSettings(path);
}

void frmMain::OpenRecent(int position)
{
    if (MayDropChanges())
        LoadSettings(ReadPreference(kRecentFilesKey + QString::number(position)));
}

void frmMain::ToggleAutoLoad()
{
    // The action has already flipped its check when it reports the click.
    const bool on = m_menu.autoLoad->isChecked();
    WritePreference(QStringLiteral("AutoLoadFile"),
                    on ? QStringLiteral("-1") : QStringLiteral("0"));
    if (on && m_document)
        WritePreference(QStringLiteral("LoadFile"), m_document->File());
}

void frmMain::ShowAbout()
{
    Dialogs::MsgBox(kApplicationTitle + QStringLiteral("\r\nVersion: ") + VersionText() +
                        QStringLiteral("\r\n") + kAuthorLine,
                    MsgButtons::OK, MsgIcon::None, QStringLiteral("About ") + kApplicationTitle);
}

void frmMain::RunArchiveBitHelper()
{
    const ShuffleJob job = CurrentJob();
    ArchiveBitHelper(job.libraries, job.fileTypes, *this);
}
