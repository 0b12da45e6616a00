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
        window = std::make_unique<frmMain>();
        window->Load();
        return *window;
    }
    template <typename T> T* Find(const char* name) const { return Control<T>(*window, name); }
    QAction* Menu(const char* name) const { return window->MenuItem(QString::fromLatin1(name)); }
    void Press(const char* button) const { Click(*window, button); }
    // The last question asked, or an empty one.
    DialogRequest LastRequest()
    {
        return dialogs->Requests().isEmpty() ? DialogRequest{} : dialogs->Requests().last();
    }

    TempDataFolder data;
    ScriptedDialogs dialogs;
    std::unique_ptr<frmMain> window; // goes first, while its data folder is still there
};
