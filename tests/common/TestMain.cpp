#include "base/Dialogs.h"
#include "tests/common/ScriptedDialogAnswerer.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#ifdef QT_WIDGETS_LIB // the layers below ui run without the widget library
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Never touch the real user's home, settings or trash.
    QTemporaryDir home;
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(QStringLiteral(".config"))));
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.filePath(QStringLiteral(".local/share"))));
    TestApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);

    // Until a test scripts its answers, any modal request fails instead of blocking.
    Dialogs::SetAnswerer(std::make_unique<ScriptedDialogAnswerer>());
    return RUN_ALL_TESTS();
}
