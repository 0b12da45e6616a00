#pragma once

#include "ui/frmPickFolder.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

// Acts on the folder entry dialog once it is up as a modal window (from inside its event loop).
// A dialog the action leaves open is hidden after a while and fails the test, so no test hangs.
inline void WhenPickFolderShows(std::function<void(frmPickFolder&)> act, int triesLeft = 100)
{
    QTimer::singleShot(0, qApp, [act, triesLeft] {
        auto* dialog = qobject_cast<frmPickFolder*>(QApplication::activeModalWidget());
        if (!dialog && triesLeft > 0)
            return WhenPickFolderShows(act, triesLeft - 1);
        ASSERT_NE(dialog, nullptr) << "the folder entry dialog never came up";
        act(*dialog);
        QTimer::singleShot(3000, dialog, [dialog] {
            EXPECT_FALSE(dialog->isVisible()) << "the folder entry dialog stayed open";
            dialog->hide();
        });
    });
}

template <typename T> T* Control(QWidget& parent, const char* name)
{
    T* w = parent.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
}

inline void Click(QWidget& parent, const char* button)
{
    QTest::mouseClick(Control<QPushButton>(parent, button), Qt::LeftButton);
}
