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

// Acts on the folder entry dialog as soon as it is up as a modal window (from inside its event
// loop). If the action leaves it open, it is hidden after a while and the test fails, so a
// test never hangs on it.
inline void WhenPickFolderShows(std::function<void(frmPickFolder&)> act, int triesLeft = 100)
{
    QTimer::singleShot(0, qApp, [act, triesLeft] {
        auto* dialog = qobject_cast<frmPickFolder*>(QApplication::activeModalWidget());
        if (!dialog) {
            if (triesLeft > 0)
                WhenPickFolderShows(act, triesLeft - 1);
            else
                ADD_FAILURE() << "the folder entry dialog never came up";
            return;
        }
        act(*dialog);
        QTimer::singleShot(3000, dialog, [dialog] {
            if (dialog->isVisible()) {
                ADD_FAILURE() << "the folder entry dialog stayed open";
                dialog->hide();
            }
        });
    });
}

template <typename T> T* Control(QWidget& dialog, const char* name)
{
    T* w = dialog.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
}

inline void Click(QWidget& dialog, const char* button)
{
    if (auto* b = Control<QPushButton>(dialog, button))
        QTest::mouseClick(b, Qt::LeftButton);
}

inline void Type(QWidget& dialog, const char* field, const QString& text)
{
    if (auto* edit = Control<QLineEdit>(dialog, field)) {
        edit->selectAll();
        if (text.isEmpty())
            edit->clear();
        else
            QTest::keyClicks(edit, text);
    }
}
