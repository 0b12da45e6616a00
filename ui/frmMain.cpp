#include "ui/frmMain.h"

#include "base/Dialogs.h"
#include "base/ErrorReport.h"
#include "base/Events.h"
#include "base/Text.h"
#include "documents/Preferences.h"
#include "documents/RecentFiles.h"
#include "engine/ArchiveBitHelper.h"
#include "platform/ConsoleFileOperationObserver.h"
#include "platform/ConsoleMode.h"
#include "ui/AppInfo.h"
#include "ui/HelpMenu.h"
#include "ui/InputBlocker.h"
#include "ui/JobPanel.h"
#include "ui/ProgressBox.h"
#include "ui/ProgressWindowObserver.h"
#include "ui/QtDialogAnswerer.h"
#include "ui/RunOffThread.h"
#include "ui/Twips.h"
#include "ui/WindowPlacement.h"
#include "ui/frmPlayerSettings.h"
#include "ui/frmPreview.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScopeGuard>

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
    connect(m_picMain, &JobPanel::modified, this, [this] { m_session.SetModified(); });
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
    // The caption and the recent list then show whatever the session was left with.
    const auto on = [this](QAction* action, auto command) {
        connect(action, &QAction::triggered, this, [this, command] {
            try {
                command();
            } catch (...) {
                ReportCurrentError(QString());
            }
            ShowDocumentName();
        });
    };
    on(m_menu.newDocument, [this] { ShowDocument(m_session.New(CurrentJob())); });
    on(m_menu.open, [this] { ShowDocument(m_session.Open(CurrentJob())); });
    on(m_menu.save, [this] { SaveSettings(false); });
    on(m_menu.saveAs, [this] { SaveSettings(true); });
    on(m_menu.preview, [this] { PreviewRun(); });
    on(m_menu.playerSettings, [this] { EditPlayerSettings(); });
    // The action has already flipped its check when it reports the click.
    on(m_menu.autoLoad, [this] { m_session.SetAutoLoad(m_menu.autoLoad->isChecked()); });
    for (int i = 0; i < 4; ++i)
        on(m_menu.recent[static_cast<std::size_t>(i)],
           [this, i] { ShowDocument(m_session.OpenRecent(i + 1, CurrentJob())); });
    on(m_menu.exit, [this] { close(); });
    on(m_menu.homePage, [] { OpenHomePage(); });
    on(m_menu.commandLineOptions, [] { ShowCommandLineHelp(); });
    on(m_menu.archiveBitHelper, [this] { RunArchiveBitHelper(); });
    on(m_menu.about, [] { ShowAbout(); });
}

QAction* frmMain::MenuItem(const QString& name) const
{
    return findChild<QAction*>(name);
}

void frmMain::Load(bool placeOnScreen)
{
    m_placeOnScreen = placeOnScreen;
    try {
        const std::optional<ShuffleJob> job = m_session.Start();
        m_menu.autoLoad->setChecked(m_session.AutoLoad());
        ShowDocument(job.value_or(ShuffleJob{}));
        // A last document that failed to load (reported) leaves the window where it is.
        if (job && m_placeOnScreen)
            RestorePlacement(this);
    } catch (...) {
        ReportCurrentError(QStringLiteral("Error loading main window."));
        throw;
    }
}

void frmMain::closeEvent(QCloseEvent* event)
{
    if (m_busy) {
        // The close waits for the run: on Yes to "Are you sure you want to cancel?" the run
        // ends its current file cleanly and runs its finish sequence, and the window closes
        // then. On No the window stays and the run goes on.
        event->ignore();
        RequestCancel(true);
        return;
    }
    bool accept = true;
    try {
        if (m_session.IsModified())
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
    OnMainThread([this, busy] { ShowBusy(busy); });
}

void frmMain::ShowBusy(bool busy)
{
    m_busy = busy;
    m_inputBlocker->SetBlocking(busy);
    m_menu.file->menuAction()->setEnabled(!busy);
    m_menu.options->menuAction()->setEnabled(!busy);
    m_menu.help->menuAction()->setEnabled(!busy);
    repaint();
    if (busy) {
        ShowWaitCursor(true);
    } else {
        m_lblStatus->setText(QString());
        m_lblStatus->repaint();
        m_picProgressBar->hide();
        ShowWaitCursor(false);
    }
}

void frmMain::SetWaitCursor(bool waiting)
{
    OnMainThread([this, waiting] { ShowWaitCursor(waiting); });
}

void frmMain::ShowWaitCursor(bool waiting)
{
    if (waiting && !m_waitCursor)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else if (!waiting && m_waitCursor)
        QApplication::restoreOverrideCursor();
    m_waitCursor = waiting;
}

void frmMain::SetStatus(const QString& text)
{
    OnMainThread([this, &text] {
        m_lblStatus->setText(text);
        m_lblStatus->repaint();
    });
    ConsoleLine(text);
}

void frmMain::ShowProgress(bool visible)
{
    OnMainThread([this, visible] { m_picProgressBar->setVisible(visible); });
}

void frmMain::SetProgress(qint32 value, qint32 maximum)
{
    OnMainThread([this, value, maximum] { m_picProgressBar->SetProgress(value, maximum); });
}

void frmMain::ClearCancelRequest()
{
    m_cancel.Clear();
}

bool frmMain::CheckCancel()
{
    return m_cancel.Check();
}

void frmMain::RequestCancel(bool thenClose)
{
    if (thenClose)
        m_closeAfterRun = true;
    m_cancel.Ask([this] {
        const bool yes =
            Dialogs::MsgBox(QStringLiteral("Are you sure you want to cancel?"), MsgButtons::YesNo,
                            MsgIcon::Question, kApplicationTitle) == MsgResult::Yes;
        if (!yes)
            m_closeAfterRun = false;
        return yes;
    });
}

std::unique_ptr<FileOperationObserver> frmMain::NewFileObserver()
{
    if (ConsoleMode())
        return std::make_unique<ConsoleFileOperationObserver>();
    return std::make_unique<ProgressWindowObserver>(
        this, [this] { RequestCancel(false); }, &m_cancel);
}

void frmMain::ShowSeed(quint32 seed)
{
    ConsoleLine(QStringLiteral("seed: %1").arg(seed));
}

QString frmMain::GetWindowTitle() const
{
    const QString title = TrimSpaces(ReadPreference(QStringLiteral("WindowTitle")));
    return title.isEmpty() ? kApplicationTitle : title;
}

ShuffleJob frmMain::CurrentJob() const
{
    ShuffleJob job = m_picMain->Job();
    job.player = m_player;
    return job;
}

void frmMain::RunAside(const std::function<void()>& work)
{
    // Busy from here, so that nothing starts a second run before the run says so itself.
    ShowBusy(true);
    const auto notBusy = qScopeGuard([this] {
        if (m_busy) // the work ended before it could say so
            ShowBusy(false);
    });
    RunOffThread(work);
}

ShuffleOutcome frmMain::StartShuffle(bool bAutoMode, std::optional<quint32> seed)
{
    // The controls take no input while the run is busy, so reading them once is the same as
    // reading them at every step.
    const ShuffleJob job = CurrentJob();
    ShuffleOutcome outcome = ShuffleOutcome::Stopped;
    RunAside([&] {
        outcome = ::StartShuffle(job, *this, bAutoMode, nullptr, {seed ? seed : m_seed, false});
    });
    if (m_closeAfterRun) {
        m_closeAfterRun = false;
        close();
    }
    return outcome;
}

void frmMain::PreviewRun()
{
    // Planned as an unattended run plans, destinations emptied; nothing is asked or touched.
    const ShuffleJob job = CurrentJob();
    std::optional<RunPlan> plan;
    std::optional<quint32> seed;
    RunAside([&] {
        ShuffleRun run(job, *this, true, {m_seed, true});
        if (run.Run() == ShuffleOutcome::Finished) {
            plan = run.Plan();
            seed = run.Seed();
        }
    });
    const bool closing = m_closeAfterRun;
    m_closeAfterRun = false;
    if (closing) {
        close();
        return;
    }
    if (!plan || !seed)
        return;
    frmPreview dialog(*plan, *seed, this);
    if (dialog.exec() == QDialog::Accepted)
        StartShuffle(false, seed);
}

// Settings documents ---------------------------------------------------------------------

void frmMain::ShowDocumentName()
{
    setWindowTitle(m_session.Name() + QStringLiteral(" - ") + GetWindowTitle());
    const auto items = BuildRecentMenu();
    for (std::size_t i = 0; i < items.size(); ++i) {
        QAction* action = m_menu.recent[i];
        action->setText(items[i].caption);
        action->setVisible(items[i].visible);
        action->setEnabled(items[i].enabled);
    }
}

void frmMain::ShowDocument(const std::optional<ShuffleJob>& job)
{
    if (job) {
        // Filling the controls is no edit.
        const QSignalBlocker quiet(m_picMain);
        m_picMain->ShowJob(*job);
        m_player = job->player;
    }
    ShowDocumentName();
}

void frmMain::ResetSettings()
{
    ShowDocument(m_session.Reset());
}

void frmMain::LoadSettings(const QString& sFile)
{
    ShowDocument(m_session.Load(sFile));
}

bool frmMain::SaveSettings(bool saveAs)
{
    const bool saved = m_session.Save(CurrentJob(), saveAs);
    ShowDocumentName();
    return saved;
}

bool frmMain::ConfirmSaveChanges()
{
    const bool proceed = m_session.ConfirmSaveChanges(CurrentJob());
    ShowDocumentName();
    return proceed;
}

void frmMain::EditPlayerSettings()
{
    frmPlayerSettings dialog(m_player, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const PlayerSettings edited = dialog.Settings();
    if (edited == m_player)
        return;
    m_player = edited;
    m_session.SetModified();
}

// Help menu ----------------------------------------------------------------------------------

void frmMain::RunArchiveBitHelper()
{
    const ShuffleJob job = CurrentJob();
    ArchiveBitHelper(job.libraries, job.fileTypes, *this);
}
