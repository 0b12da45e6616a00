#pragma once

#include "support/Paths.h"
#include "tests/common/TestSupport.h"
#include "ui/frmMain.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <memory>

// A main window over a fresh data folder of its own, with scripted dialogs.
class MainWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_oldConfig = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
        SetDataFolderSwitch(true);
        MakeFolderPath(GetDataFolder());
    }
    void TearDown() override
    {
        window.reset();
        qputenv("XDG_CONFIG_HOME", m_oldConfig);
    }

    frmMain& Open()
    {
        window = std::make_unique<frmMain>();
        window->Load();
        return *window;
    }

    template <typename T> T* Find(const char* name) const
    {
        T* widget = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QAction* Menu(const char* name) const { return window->MenuItem(QString::fromLatin1(name)); }
    QString DataFile(const QString& name) const { return GetDataFolder() + u'/' + name; }
    void Press(const char* button) const
    {
        QTest::mouseClick(Find<QPushButton>(button), Qt::LeftButton);
    }

private:
    TempFolder m_config;
    QByteArray m_oldConfig;

protected:
    std::unique_ptr<frmMain> window;
    ScriptedDialogs dialogs;
};
