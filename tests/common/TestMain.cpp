#include "support/Dialogs.h"
#include "support/ScriptedDialogAnswerer.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Never touch the real user's settings.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    // Nor the real user's trash.
    QTemporaryDir data;
    qputenv("XDG_DATA_HOME", QFile::encodeName(data.path()));
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);

    // Until a test scripts its answers, any modal request fails instead of blocking.
    auto strict = std::make_unique<ScriptedDialogAnswerer>();
    strict->onUnexpected = [](const DialogRequest& request) {
        ADD_FAILURE() << "dialog outside a script: " << request.text.toStdString();
    };
    Dialogs::SetAnswerer(std::move(strict));
    return RUN_ALL_TESTS();
}
