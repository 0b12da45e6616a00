#pragma once

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
    ShuffleOutcome StartShuffle(bool bAutoMode);
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

    // The host side of a run and of the Archive Bit Helper.
    void SetStatus(const QString& text) override;
    void ShowProgress(bool visible) override;
    void SetProgress(qint32 value, qint32 maximum) override;
    void SetWaitCursor(bool waiting) override;
    void ClearCancelRequest() override;
    bool CheckCancel() override;
    void ShowSeed(quint32 seed) override;

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

    void ShowAbout();
    void OpenHomePage();
    void RunArchiveBitHelper();

    JobPanel* m_picMain = nullptr;
    QLabel* m_lblStatus = nullptr;
    ProgressBox* m_picProgressBar = nullptr;
    MainMenu m_menu;
    InputBlocker* m_inputBlocker = nullptr;

    DocumentSession m_session;
    bool m_busy = false;
    bool m_cancelRequested = false;
    bool m_waitCursor = false;
    bool m_placeOnScreen = true;
    std::optional<quint32> m_seed;
    // A close asked for during a run: the window closes once the run has ended.
    bool m_closeAfterRun = false;
};
