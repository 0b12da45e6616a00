#include "documents/DocumentSession.h"

#include "base/AppError.h"
#include "base/Dialogs.h"
#include "base/ErrorReport.h"
#include "base/Numbers.h"
#include "documents/CBinaryINI.h"
#include "documents/FileDialogs.h"
#include "documents/JobDocument.h"
#include "documents/Preferences.h"
#include "documents/RecentFiles.h"
#include "platform/Paths.h"

namespace {

const QString kAutoLoadKey = QStringLiteral("AutoLoadFile");
const QString kLoadFileKey = QStringLiteral("LoadFile");
const QString kBlankName = QStringLiteral("New Settings");
const QString kFilter = QStringLiteral("cfg,*.cfg");

} // namespace

DocumentSession::DocumentSession() = default;
DocumentSession::~DocumentSession() = default;

std::optional<ShuffleJob> DocumentSession::Start()
{
    m_autoLoad = LeadingNumber(ReadPreference(kAutoLoadKey)) != 0;
    const ShuffleJob blank = Reset();
    if (!m_autoLoad)
        return blank;
    const QString last = ReadPreference(kLoadFileKey);
    if (!PathExists(last, true))
        return blank;
    try {
        return Load(last);
    } catch (...) {
        ReportCurrentError(QStringLiteral(
            "Error loading last cfg file. The file may be in use by another process. The "
            "program will start with a blank configuration."));
        m_autoLoad = false;
        Reset();
        return std::nullopt;
    }
}

ShuffleJob DocumentSession::Reset()
{
    m_document.reset();
    m_modified = false;
    return ShuffleJob{};
}

ShuffleJob DocumentSession::Load(const QString& path)
{
    if (!PathExists(path, true))
        RaiseError(ErrorNumber::FileNotFound);
    auto document = std::make_unique<CBinaryINI>();
    // The open document's own lock must not refuse it being opened again.
    if (m_document)
        document->SetFileSharing(path, *m_document);
    else
        document->SetFile(path);
    ShuffleJob job = ReadJob(*document);
    m_document = std::move(document);
    Opened();
    return job;
}

bool DocumentSession::Save(const ShuffleJob& job, bool saveAs)
{
    std::unique_ptr<CBinaryINI> target;
    if (saveAs || !m_document) {
        QString path;
        if (!ShowFileDialog(path, FileDialogMode::Save, QStringLiteral("Save As"), GetDataFolder(),
                            kFilter, QStringLiteral(".cfg")))
            return false;
        if (PathExists(path, true) &&
            Dialogs::MsgBox(path + QStringLiteral(" already exists. Do you want to overwrite it?"),
                            MsgButtons::YesNo, MsgIcon::Exclamation) != MsgResult::Yes)
            return false;
        // An existing document is read first so that its other keys survive. The open one
        // stays until the new one is written.
        target = std::make_unique<CBinaryINI>();
        if (m_document)
            target->SetFileSharing(path, *m_document);
        else
            target->SetFile(path);
    }
    CBinaryINI& document = target ? *target : *m_document;
    WriteJob(document, job);
    document.Commit();
    if (target)
        m_document = std::move(target);
    Opened();
    return true;
}

bool DocumentSession::ConfirmSaveChanges(const ShuffleJob& job)
{
    const QString name = m_document ? m_document->File() : kBlankName;
    if (Dialogs::MsgBox(QStringLiteral("Save ") + name + u'?', MsgButtons::YesNo,
                        MsgIcon::Question) == MsgResult::Yes)
        return Save(job, false);
    return true;
}

bool DocumentSession::MayDropChanges(const ShuffleJob& current)
{
    return !m_modified || ConfirmSaveChanges(current);
}

std::optional<ShuffleJob> DocumentSession::New(const ShuffleJob& current)
{
    if (!MayDropChanges(current))
        return std::nullopt;
    return Reset();
}

std::optional<ShuffleJob> DocumentSession::Open(const ShuffleJob& current)
{
    if (!MayDropChanges(current))
        return std::nullopt;
    QString path;
    if (!ShowFileDialog(path, FileDialogMode::Open, QStringLiteral("Open"), GetDataFolder(),
                        kFilter))
        return std::nullopt;
    return Load(path);
}

std::optional<ShuffleJob> DocumentSession::OpenRecent(int position, const ShuffleJob& current)
{
    if (!MayDropChanges(current))
        return std::nullopt;
    return Load(ReadPreference(kRecentFilesKey + QString::number(position)));
}

QString DocumentSession::Path() const
{
    return m_document ? m_document->File() : QString();
}

QString DocumentSession::Name() const
{
    return m_document ? m_document->GetSimpleFileName() : kBlankName;
}

void DocumentSession::SetAutoLoad(bool on)
{
    m_autoLoad = on;
    WritePreference(kAutoLoadKey, on ? QStringLiteral("-1") : QStringLiteral("0"));
    if (on && m_document)
        WritePreference(kLoadFileKey, m_document->File());
}

void DocumentSession::Opened()
{
    const QString path = m_document->File();
    AddRecentFile(path);
    if (m_autoLoad)
        WritePreference(kLoadFileKey, path);
    m_modified = false;
}
