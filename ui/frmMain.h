#pragma once

#include "base/CancelRequest.h"
#include "documents/DocumentSession.h"
#include "documents/ShuffleJob.h"
#include "engine/ShuffleHost.h"
#include "engine/ShuffleRun.h"
#include "ui/MainMenu.h"

#include <QMainWindow>
#include <memory>

class InputBlocker;
class JobPanel;
class ProgressBox;
class QLabel;

// The program's window: the job being edited, the Start button, the status line and the
// progress box. It hosts the run and shows the document session's job, name and recent list.
class frmMain : public QMainWindow, public ShuffleHost
{
    Q_OBJECT

public:
    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    // The start-up sequence: recent-files menu, preferences, a blank job, the last document
    // when asked for, then the placement on the screen. Failures other than the last document
    // are reported and passed on. A window that will never be seen (no display, or "/q")
    // leaves the desktop's window alone: it is neither placed nor does it store its place.
    void Load(bool placeOnScreen = true);

    bool Busy() const { return m_busy; }
    void SetBusy(bool busy) override;

    ShuffleJob CurrentJob() const;
    // The run of the job on the controls, with the window answering while its file work goes
    // on another thread; returns when the run is over. `seed` is for this run only.
    ShuffleOutcome StartShuffle(bool bAutoMode, std::optional<quint32> seed = std::nullopt);
    // Shows what an unattended run would do in the preview dialog; its Start makes the run.
    void PreviewRun();
    // Runs draw their random orders from this seed; none: from the clock.
    void SetSeed(std::optional<quint32> seed) { m_seed = seed; }

    // Settings documents, through the session; each shows what it leaves.
    void ResetSettings();
    void LoadSettings(const QString& sFile);
    bool SaveSettings(bool saveAs);
    bool ConfirmSaveChanges();
    const DocumentSession& Session() const { return m_session; }
    bool IsModified() const { return m_session.IsModified(); }

    QString GetWindowTitle() const;

    // The host side of a run and of the Archive Bit Helper. A run calls them from its own
    // thread; what they show is shown on the window's.
    void SetStatus(const QString& text) override;
    void ShowProgress(bool visible) override;
    void SetProgress(qint32 value, qint32 maximum) override;
    void SetWaitCursor(bool waiting) override;
    void ClearCancelRequest() override;
    bool CheckCancel() override;
    void ShowSeed(quint32 seed) override;
    std::unique_ptr<FileOperationObserver> NewFileObserver() override;

    // A menu item by its control name (mnuFile_10...).
    QAction* MenuItem(const QString& name) const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void BuildStatusArea(QWidget* client);
    void ConnectMenus();
    // The caption and the recent-files menu as the session has them.
    void ShowDocumentName();
    // A job the session gave out: the controls show it unmodified.
    void ShowDocument(const std::optional<ShuffleJob>& job);

    void ShowBusy(bool busy);
    void ShowWaitCursor(bool waiting);
    // Runs the work on a thread of its own while this thread keeps the window going.
    void RunAside(const std::function<void()>& work);
    // The user asked to cancel the run (closing the window, or Cancel in a progress window):
    // the question comes at once, whatever the run is doing.
    void RequestCancel(bool thenClose);

    void EditPlayerSettings();
    void RunArchiveBitHelper();

    JobPanel* m_picMain = nullptr;
    QLabel* m_lblStatus = nullptr;
    ProgressBox* m_picProgressBar = nullptr;
    MainMenu m_menu;
    InputBlocker* m_inputBlocker = nullptr;

    DocumentSession m_session;
    bool m_busy = false;
    CancelRequest m_cancel;
    bool m_waitCursor = false;
    bool m_placeOnScreen = true;
    std::optional<quint32> m_seed;
    // The document's player settings, edited in their own dialog.
    PlayerSettings m_player;
    // A close asked for during a run: the window closes once the run has ended.
    bool m_closeAfterRun = false;
};
