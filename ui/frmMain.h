#pragma once

#include "documents/ShuffleJob.h"
#include "engine/ShuffleHost.h"
#include "engine/ShuffleRun.h"
#include "ui/MainMenu.h"

#include <QMainWindow>
#include <memory>

class CBinaryINI;
class InputBlocker;
class JobPanel;
class ProgressBox;
class QLabel;

// The program's window: the job being edited, the Start button, the status line and the
// progress box. It hosts the run and owns the current settings document, which stays open and
// locked until it is replaced.
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

    // Settings documents.
    void ResetSettings(bool bPrompt = false);
    void LoadSettings(const QString& sFile);
    bool SaveSettings(bool saveAs);
    bool ConfirmSaveChanges();
    const CBinaryINI* CurrentDocument() const { return m_document.get(); }
    bool IsModified() const { return m_modified; }

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
    void ApplyRecentMenu();
    void SetCaption(const QString& simpleName);
    // The document commands ask to save unsaved changes first; false: the user kept them.
    bool MayDropChanges();

    void NewDocument();
    void OpenDocument();
    void OpenRecent(int position);
    void ToggleAutoLoad();
    void ShowAbout();
    void RunArchiveBitHelper();

    JobPanel* m_picMain = nullptr;
    QLabel* m_lblStatus = nullptr;
    ProgressBox* m_picProgressBar = nullptr;
    MainMenu m_menu;
    InputBlocker* m_inputBlocker = nullptr;

    std::unique_ptr<CBinaryINI> m_document;
    bool m_busy = false;
    bool m_cancelRequested = false;
    bool m_modified = false;
    bool m_waitCursor = false;
    bool m_placeOnScreen = true;
    std::optional<quint32> m_seed;
    // A close asked for during a run: the window closes once the run has ended.
    bool m_closeAfterRun = false;
};
