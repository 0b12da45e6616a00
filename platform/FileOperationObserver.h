#pragma once

#include <QString>
#include <QtGlobal>

#include <functional>
#include <memory>

// Watches one copy or delete while it works: the progress window, the console, or a test.
// The operation calls it on its own thread, between pieces of work.
class FileOperationObserver
{
public:
    enum class Kind
    {
        Copy,
        Delete
    };

    virtual ~FileOperationObserver() = default;
    // Once, before the first item; a delete has no byte total (0).
    virtual void Begin(Kind kind, int itemCount, qint64 totalBytes) = 0;
    // `number` counts from 1; `name` is the item's file name. A window shows it at once.
    virtual void StartItem(int number, const QString& name) = 0;
    virtual void AddBytes(qint64 bytes) = 0;
    virtual void AddFailure(const QString& text) = 0;
    // Asked often; a window lets its pending events through here, so a Cancel click is heard.
    virtual bool CancelRequested() = 0;
    // Once, after the last item; true when the failures stay on show (a window left open).
    virtual bool End() = 0;
};

using FileOperationObserverFactory = std::function<std::unique_ptr<FileOperationObserver>()>;

// The observer of operations whose caller names none, chosen once at start-up (a window with
// a display, the console without). Returns the factory it replaces, so tests can put it back.
FileOperationObserverFactory SetFileOperationObserverFactory(FileOperationObserverFactory factory);
// A new observer from the installed factory; none when no factory is installed.
std::unique_ptr<FileOperationObserver> NewFileOperationObserver();
