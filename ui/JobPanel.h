#pragma once

#include "documents/ShuffleJob.h"

#include <QWidget>

class QCheckBox;
class QLineEdit;
class QPushButton;
class SortedList;

// The main window's job area (picMain): the Start button, the library and destination lists
// with their Add, Edit and Remove buttons, the file types and the rename box. Every change the
// user makes is reported through modified().
class JobPanel : public QWidget
{
    Q_OBJECT

public:
    explicit JobPanel(QWidget* parent);

    ShuffleJob Job() const;
    // Fills the controls with a job; the fill itself reports modified() like any edit.
    void ShowJob(const ShuffleJob& job);
    QPushButton* StartButton() const { return m_cmdOK; }

Q_SIGNALS:
    void modified();

private:
    struct EntrySection
    {
        SortedList* list = nullptr;
        QPushButton* add = nullptr;
        QPushButton* edit = nullptr;
        QPushButton* remove = nullptr;
    };

    EntrySection BuildEntrySection(const QString& kind, int listTop, const char* icon,
                                   int fallbackIcon);
    void AddEntry(SortedList* list);
    void EditSelectedEntry(SortedList* list);
    void RemoveSelectedEntry(SortedList* list);

    QPushButton* m_cmdOK = nullptr;
    SortedList* m_lstLibrary = nullptr;
    QLineEdit* m_txtFiletypes = nullptr;
    SortedList* m_lstDestination = nullptr;
    QCheckBox* m_chkRenameFiles = nullptr;
};
