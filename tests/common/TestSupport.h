#pragma once

#include "tests/common/ScriptedDialogAnswerer.h"

#include <QByteArray>
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

QByteArray ReadAll(const QString& path);

// The number of the error the action raised, 0 when it raised none.
int ErrorOf(const std::function<void()>& action);

// Lets tests write QString values in expectations.
void PrintTo(const QString& text, std::ostream* os);
