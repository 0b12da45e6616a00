#pragma once

#include "tests/common/TestSupport.h"
#include "tests/ui/PickFolderDriver.h"
#include "ui/SortedList.h"
#include "ui/frmMain.h"

#include <QAction>
#include <memory>

// A main window over a fresh data folder of its own, with scripted dialogs.
class MainWindowTest : public ::testing::Test
{
protected:
    frmMain& Open()
    {
        window.reset(); // the one before lets go of its document first
        window = std::make_unique<frmMain>();
        window->Load();
        return *window;
    }
    template <typename T> T* Find(const char* name) const { return Control<T>(*window, name); }
    QAction* Menu(const char* name) const { return window->MenuItem(QString::fromLatin1(name)); }
    void Press(const char* button) const { Click(*window, button); }
    DialogRequest LastRequest() // the last question asked, or an empty one
    {
        return dialogs->Requests().value(dialogs->Requests().size() - 1);
    }

    TempDataFolder data;
    ScriptedDialogs dialogs;
    std::unique_ptr<frmMain> window; // goes first, while its data folder is still there
};
