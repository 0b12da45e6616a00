#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

// The folder entry dialog: one library entry (a folder, with or without its subfolders) or one
// destination entry (a folder, a maximum size and a share of new files). In advanced mode it
// lists the folder's subfolders to tick, so that one use can add several entries.
//
// It never closes itself: OK, Cancel, Escape and the title bar's close button only hide it,
// and its creator reads it and then ends it with Unload().
class frmPickFolder : public QDialog
{
    Q_OBJECT

public:
    explicit frmPickFolder(QWidget* owner = nullptr);

    // True when the dialog was left with OK.
    bool Accepted() const { return result() == QDialog::Accepted; }
    void setAccepted(bool accepted) { setResult(accepted ? QDialog::Accepted : QDialog::Rejected); }

    // The include-subfolders box (library entries).
    bool OptionIncludeSubfolders() const;
    void setOptionIncludeSubfolders(bool show);
    // The size and percentage fields (destination entries).
    bool OptionMaxSize() const;
    void setOptionMaxSize(bool show);

    bool AdvancedMode() const { return m_advancedMode; }
    void setAdvancedMode(bool advanced);

    // What the "..." button does: the folder browser, whose choice replaces the folder field.
    void ShowFolderBrowser();

    // The close made by the program: unlike every other close request it goes through.
    void Unload();

    QLineEdit* txtFolder() const { return m_txtFolder; }
    QCheckBox* chkIncludeSubfolders() const { return m_chkIncludeSubfolders; }
    QLineEdit* txtDestinationSize() const { return m_txtDestinationSize; }
    QLineEdit* txtPercNewFiles() const { return m_txtPercNewFiles; }
    QPushButton* cmdAdvanced() const { return m_cmdAdvanced; }
    // The texts of the ticked subfolders, in list order.
    QStringList TickedSubfolders() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildControls();
    void BuildFolderRow();
    void BuildOptionRow();
    void BuildButtons();
    void BuildSubfolderList();
    void LayOutOptionRow();
    void FitButtonColumn();
    void FillSubfolderList();
    QString BrowseForFolder(const QString& prompt, const QString& initialPath);
    void OnOK();
    void OnCancel();
    void OnFolderClicked();
    void OnAdvancedClicked();

    QLabel* m_lblFolder = nullptr;
    QLineEdit* m_txtFolder = nullptr;
    QPushButton* m_cmdFolder = nullptr;
    QCheckBox* m_chkIncludeSubfolders = nullptr;
    QLabel* m_lblDestinationSize = nullptr;
    QLineEdit* m_txtDestinationSize = nullptr;
    QLabel* m_lblPercNewFiles = nullptr;
    QLineEdit* m_txtPercNewFiles = nullptr;
    QPushButton* m_cmdOK = nullptr;
    QPushButton* m_cmdCancel = nullptr;
    QPushButton* m_cmdAdvanced = nullptr;
    QWidget* m_grpSubfolders = nullptr;
    QLabel* m_lblSubfolders = nullptr;
    QListWidget* m_lstSubfolders = nullptr;

    bool m_advancedMode = false;
    bool m_unloading = false;
};
