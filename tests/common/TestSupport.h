#pragma once

#include "tests/common/ScriptedDialogAnswerer.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <optional>

// Installs a scripted answerer for the lifetime of the object; any request the test did not
// queue an answer for fails the test. On destruction, answers left unused fail it too, and the
// answerer that was there before comes back (scripts nest).
class ScriptedDialogs
{
public:
    ScriptedDialogs();
    ~ScriptedDialogs();
    ScriptedDialogs(const ScriptedDialogs&) = delete;
    ScriptedDialogs& operator=(const ScriptedDialogs&) = delete;

    ScriptedDialogAnswerer* operator->() { return m_answerer; }

private:
    ScriptedDialogAnswerer* m_answerer;
    std::unique_ptr<DialogAnswerer> m_previous;
};

// A temporary folder with helpers to make files in it.
class TempFolder
{
public:
    TempFolder();
    QString path() const { return m_dir.path(); }
    // The full path of a name inside the folder.
    QString operator/(const QString& name) const { return m_dir.filePath(name); }
    // Writes the bytes (creating parent folders); returns the full path.
    QString Write(const QString& name, const QByteArray& bytes) const;
    QString MakeFolder(const QString& name) const;

private:
    QTemporaryDir m_dir;
};

// Sets an environment variable for the life of the object; the old value (or its absence)
// comes back after.
class ScopedEnv
{
public:
    ScopedEnv(const char* name, const QString& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* m_name;
    std::optional<QByteArray> m_old;
};

// A fresh configuration folder for the life of the object, with the data-folder switch on:
// GetDataFolder() and the preferences file live inside it, and the folder exists.
class TempDataFolder
{
public:
    TempDataFolder();
    ~TempDataFolder();
    TempDataFolder(const TempDataFolder&) = delete;
    TempDataFolder& operator=(const TempDataFolder&) = delete;

    QString config() const { return m_root.path(); }
    // A file in the data folder.
    QString operator/(const QString& name) const;

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

// A small FAT32 file system in an image file, mounted through FUSE (fusefat) while the object
// lives. Where it cannot be had (no /dev/fuse, no mkfs.vfat or fusefat, mounting refused),
// unavailable() says why and the test should skip.
class FatStick
{
public:
    explicit FatStick(int megabytes);
    ~FatStick();
    FatStick(const FatStick&) = delete;
    FatStick& operator=(const FatStick&) = delete;

    QString unavailable() const { return m_unavailable; }
    QString path() const { return m_dir / QStringLiteral("stick"); }

private:
    TempFolder m_dir;
    QString m_unavailable;
};

QByteArray ReadAll(const QString& path);

// Everything below the folder, hidden entries too: each file's relative path with its bytes,
// each folder's with "/". Two equal trees hold the same names and the same bytes.
QMap<QString, QByteArray> TreeOf(const QString& folder);

// The number of the error the action raised, 0 when it raised none.
int ErrorOf(const std::function<void()>& action);

// Runs the action in a forked child and returns its exit code: what the action returned, or
// the low byte of the number of the error it raised; -1 when the child did not exit. Nothing in
// the child may touch gtest.
int InChild(const std::function<int()>& action);

// Lets tests write QString values in expectations.
void PrintTo(const QString& text, std::ostream* os);
