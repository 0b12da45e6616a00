#pragma once

#include "platform/Paths.h"
#include "tests/common/ScriptedDialogAnswerer.h"

#include <QMap>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <optional>

// Installs a scripted answerer for the lifetime of the object; any request the test did not
// queue an answer for fails the test. On destruction, answers left unused fail it too, and the
// answerer that was there before comes back (scripts nest).
class ScriptedDialogs
{
public:
    ScriptedDialogs();
    ~ScriptedDialogs();
    Q_DISABLE_COPY(ScriptedDialogs)

    ScriptedDialogAnswerer* operator->() { return m_answerer; }

private:
    ScriptedDialogAnswerer* m_answerer;
    std::unique_ptr<DialogAnswerer> m_previous;
};

// A temporary folder with helpers to make files in it; `folder / name` is a path inside it.
class TempFolder
{
public:
    TempFolder() { EXPECT_TRUE(m_dir.isValid()); }
    QString path() const { return m_dir.path(); }
    QString operator/(const QString& name) const { return m_dir.filePath(name); }
    // Writes the bytes (creating parent folders); returns the full path.
    QString Write(const QString& name, const QByteArray& bytes) const;
    QString MakeFolder(const QString& name) const;

private:
    QTemporaryDir m_dir;
};

// Sets an environment variable while the object lives; then the old value (or none) is back.
class ScopedEnv
{
public:
    ScopedEnv(const char* name, const QString& value);
    ~ScopedEnv() { m_old ? qputenv(m_name, *m_old) : qunsetenv(m_name); }
    Q_DISABLE_COPY(ScopedEnv)

private:
    const char* m_name;
    std::optional<QByteArray> m_old;
};

// A fresh configuration folder, with the data-folder switch on, for the life of the object: the
// data folder (made) and the preferences file are inside it; `data / name` is in the data folder.
class TempDataFolder
{
public:
    TempDataFolder();
    ~TempDataFolder() { SetDataFolderSwitch(m_savedSwitch); }
    Q_DISABLE_COPY(TempDataFolder)

    QString config() const { return m_root.path(); }
    QString operator/(const QString& name) const { return GetDataFolder() + u'/' + name; }

private:
    TempFolder m_root;
    ScopedEnv m_env;
    bool m_savedSwitch;
};

// Checks a message box request: its text, icon and buttons.
void ExpectBox(const DialogRequest& request, const QString& text, MsgIcon icon,
               MsgButtons buttons = MsgButtons::OK);

// Why extended attributes of the "user." kind cannot be set in the folder, or empty when they
// can; tests of the archive mark skip with it.
QString NoUserXattrs(const QString& folder);

// A small file system in an image file, mounted through FUSE while the object lives: FAT32
// (fusefat), or ext4 (fuse2fs, which unlike fusefat tells its free space); where that cannot be
// done, unavailable() says why and the test should skip.
class FuseStick
{
public:
    enum class Kind
    {
        Fat32,
        Ext4
    };
    explicit FuseStick(int megabytes, Kind kind = Kind::Fat32);
    ~FuseStick() { Unmount(); }
    Q_DISABLE_COPY(FuseStick)

    QString unavailable() const { return m_unavailable; }
    QString path() const { return m_dir / QStringLiteral("stick"); }
    QString image() const { return m_dir / QStringLiteral("stick.img"); }
    void Unmount();
    // The stick pulled out: its driver dies at once and everything on it fails from then on.
    // Unmount() tidies up after it, Plug() puts it back (FAT32).
    void Pull();
    QString Plug();
    // FAT32, once unmounted: a folder's names ("/Music") in directory order, or what went wrong
    // (mdir reads 40 MB or more as FAT32); what fsck.vfat finds wrong, empty when the image is
    // clean.
    QStringList Listing(const QString& folder) const;
    QString Check() const;

private:
    // Starts the driver; empty once the image is mounted, otherwise what went wrong.
    QString Mount(const QString& driver, QStringList arguments);

    TempFolder m_dir;
    QString m_unavailable;
    std::unique_ptr<QProcess> m_driver;
};

QByteArray ReadAll(const QString& path);

// Everything below the folder, hidden entries too: each file's relative path with its bytes,
// each folder's with "/". Two equal trees hold the same names and the same bytes.
QMap<QString, QByteArray> TreeOf(const QString& folder);

// The number of the error the action raised, 0 when it raised none.
int ErrorOf(const std::function<void()>& action);

// Runs the action in a forked child, with writes past `fileSizeLimit` bytes failing as on a full
// disk when a limit is given. Returns what the action returned, the low byte of the number of
// the error it raised, or -1 when the child did not exit. The child may not touch gtest.
int InChild(const std::function<int()>& action, qint64 fileSizeLimit = -1);

// Lets tests write QString values in expectations.
void PrintTo(const QString& text, std::ostream* os);
