#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// Reads the entries of one folder in the order the file system returns them, with each
// entry's directory flag. The type comes from the listing itself; only entries of unknown
// type and symbolic links cost a stat (a link to a folder counts as a folder). "." and "..",
// and links whose target is missing, are skipped. A folder that cannot be opened reads as
// empty; isOpen() and openError() tell why.
class DirectoryReader
{
public:
    // Followed: as above. NotFollowed: every entry as it is, for work that must stay inside the
    // folder (emptying it): a link is never a folder, dangling ones are listed too, and a
    // subfolder opened from this reader refuses to be a link.
    enum class Links
    {
        Followed,
        NotFollowed
    };

    explicit DirectoryReader(const QString& folder, Links links = Links::Followed);
    // Opens the entry `name` of an open parent relative to it, so deep trees need no long
    // paths and no repeated path lookups.
    DirectoryReader(const DirectoryReader& parent, const QByteArray& name);
    // The same relative to an open folder's descriptor (AT_FDCWD: the current folder).
    DirectoryReader(int parentFd, const QByteArray& name, Links links);
    ~DirectoryReader();
    DirectoryReader(const DirectoryReader&) = delete;
    DirectoryReader& operator=(const DirectoryReader&) = delete;

    bool isOpen() const { return m_dir != nullptr; }
    int openError() const { return m_openError; }

    // Identifies the folder itself (device and inode), so callers can tell when two readers
    // see the same folder through different paths.
    struct Identity
    {
        quint64 device = 0;
        quint64 inode = 0;
        bool operator==(const Identity&) const = default;
    };
    Identity identity() const { return m_identity; }

    // Moves to the next entry; false at the end. A failing read raises the system's error.
    bool Next();

    // The current entry. name() is decoded into a buffer that the next call reuses: copy it
    // to keep it.
    const QByteArray& rawName() const { return m_rawName; }
    const QString& name() const { return m_name; }
    bool isDirectory() const { return m_isDirectory; }

    // The descriptor of the open folder, for calls relative to it (-1 when closed).
    int fd() const;
    void Close();

private:
    void Open(int parentFd, const QByteArray& path, int flags);
    void DecodeName(const char* bytes, qsizetype length);

    Links m_links = Links::Followed;
    void* m_dir = nullptr;
    int m_openError = 0;
    Identity m_identity;
    QByteArray m_rawName;
    QString m_name;
    bool m_isDirectory = false;
};
