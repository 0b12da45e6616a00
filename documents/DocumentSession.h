#pragma once

#include "documents/ShuffleJob.h"

#include <QString>
#include <memory>
#include <optional>

class CBinaryINI;

// The open settings document and what goes with it, for the window and the command line
// alike: the document's file, held and locked from load or save until it is replaced; the
// modified flag; the save question; the recent-documents list and the "Load last file on
// startup" switch with its preferences. The job itself lives with the caller: it comes out of
// every load and goes into every save. Questions and file choosers go through the Dialogs
// service; failures are raised for the caller to report.
class DocumentSession
{
public:
    DocumentSession();
    ~DocumentSession();
    DocumentSession(const DocumentSession&) = delete;
    DocumentSession& operator=(const DocumentSession&) = delete;

    // Start-up: reads the switch from "AutoLoadFile" and starts a blank job; with the switch on,
    // loads the document "LoadFile" names when it exists. A failure of that load is reported,
    // turns the switch off for this session only (the preference stays) and gives none: the
    // job is blank.
    std::optional<ShuffleJob> Start();

    // A blank job, no document.
    ShuffleJob Reset();
    // Reads and locks the document (error 53 when the path does not exist); on failure the
    // session is unchanged. The open document itself is read again from disk.
    ShuffleJob Load(const QString& path);
    // Save (saveAs false) writes the job to the open document, or asks for a file as Save As
    // does when there is none. A Save As that fails leaves the open document open, locked and
    // named as before. False: the user cancelled.
    bool Save(const ShuffleJob& job, bool saveAs);
    // "Save " + the document's path (or "New Settings") + "?": Yes saves, No drops the changes.
    // False: the changes are still there (the save was cancelled).
    bool ConfirmSaveChanges(const ShuffleJob& job);

    // The File menu's commands. Each asks ConfirmSaveChanges first while the job is modified;
    // none: nothing changed (the user kept the changes or cancelled).
    std::optional<ShuffleJob> New(const ShuffleJob& current);
    std::optional<ShuffleJob> Open(const ShuffleJob& current);
    // position 1 to 4 of the recent-documents list.
    std::optional<ShuffleJob> OpenRecent(int position, const ShuffleJob& current);

    // The open document's path; empty for a blank job.
    QString Path() const;
    // What the window's caption shows: the document's name without folder and extension, or
    // "New Settings".
    QString Name() const;

    bool IsModified() const { return m_modified; }
    void SetModified() { m_modified = true; }

    bool AutoLoad() const { return m_autoLoad; }
    // Stores the switch ("-1" on, "0" off) and, switched on, the open document as "LoadFile".
    void SetAutoLoad(bool on);

private:
    bool MayDropChanges(const ShuffleJob& current);
    // The bookkeeping of a document just loaded or saved.
    void Opened();

    std::unique_ptr<CBinaryINI> m_document;
    bool m_modified = false;
    bool m_autoLoad = false;
};
