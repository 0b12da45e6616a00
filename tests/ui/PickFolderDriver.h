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

// Acts on a modal window of type Dialog once it is up (from inside its event loop). A window the
// action leaves open is hidden after a while and fails the test, so no test hangs.
template <typename Dialog> void WhenShown(std::function<void(Dialog&)> act, int triesLeft = 100)
{
    QTimer::singleShot(0, qApp, [act, triesLeft] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (!dialog && triesLeft > 0)
            return WhenShown<Dialog>(act, triesLeft - 1);
        ASSERT_NE(dialog, nullptr) << "the dialog never came up";
        act(*dialog);
        QTimer::singleShot(3000, dialog, [dialog] {
            EXPECT_FALSE(dialog->isVisible()) << "the dialog stayed open";
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
