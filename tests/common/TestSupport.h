#pragma once

#include "tests/common/ScriptedDialogAnswerer.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

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

// Lets tests write QString values in expectations.
void PrintTo(const QString& text, std::ostream* os);
