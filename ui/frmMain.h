#pragma once

#include "engine/ShuffleHost.h"
#include "engine/ShuffleJob.h"

#include <QMainWindow>
#include <QMap>
#include <QStyle>
#include <memory>

class CBinaryINI;
class QAction;
class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class InputBlocker;
class SortedList;

// The program's window: the job being edited (libraries, file types, destinations, the rename
// switch), the Start button, the status line and the progress box. It hosts the run and owns
// the current settings document, which stays open and locked until it is replaced.
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

    // The job and the run.
    ShuffleJob CurrentJob() const;
    ShuffleOutcome StartShuffle(bool bAutoMode);

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

    QAction* MenuItem(const QString& name) const;

    static int Twips(int twips);

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct EntryControls
    {
        SortedList* list = nullptr;
        QPushButton* add = nullptr;
        QPushButton* edit = nullptr;
        QPushButton* remove = nullptr;
    };

    void BuildControls();
    EntryControls BuildEntryControls(QWidget* panel, const QString& kind, int listTop,
                                     const char* icon, QStyle::StandardPixmap fallback);
    void BuildMenus();
    void ApplyRecentMenu();
    void SetModified() { m_modified = true; }
    // The rename box as stored: 0 clear, 1 ticked, 2 partly ticked.
    int RenameValue() const;
    void SetCaption(const QString& simpleName);
    void FillFromDocument();
    void OnFileMenu(int index);
    void OnHelpMenu(const QString& name);
    void ToggleAutoLoad();
    void ShowAbout();
    void RunArchiveBitHelper();
    void OnStartClicked();
    void OnEntryButton(bool library, int action);

    QWidget* m_picMain = nullptr;
    QPushButton* m_cmdOK = nullptr;
    SortedList* m_lstLibrary = nullptr;
    QLineEdit* m_txtFiletypes = nullptr;
    SortedList* m_lstDestination = nullptr;
    QCheckBox* m_chkRenameFiles = nullptr;
    QLabel* m_lblStatus = nullptr;
    QFrame* m_picProgressBar = nullptr;
    QWidget* m_boxProgressBar = nullptr;
    QMenu* m_tmnuFile = nullptr;
    QMenu* m_tmnuHelp = nullptr;
    QMap<QString, QAction*> m_menuItems;
    InputBlocker* m_inputBlocker = nullptr;
    bool m_placeOnScreen = true;

    std::unique_ptr<CBinaryINI> m_document;
    bool m_busy = false;
    bool m_cancelRequested = false;
    bool m_modified = false;
    bool m_waitCursor = false;
    // A close asked for during a run: the window closes once the run has ended.
    bool m_closeAfterRun = false;
};

// Places the window (keeping its size) in the middle of the reference, or of the screen.
void CenterForm(QWidget* window, const QWidget* reference);
// Re-centres a window that lies partly off the screen.
void EnsureOnScreen(QWidget* window);
