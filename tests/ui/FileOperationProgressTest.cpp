#include "ui/FileOperationProgress.h"
#include "tests/common/TestSupport.h"
#include "ui/ProgressWindowObserver.h"
#include "ui/QtDialogAnswerer.h"

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

using Kind = FileOperationObserver::Kind;

FileOperationProgress* ShownProgressWindow()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* window = qobject_cast<FileOperationProgress*>(widget);
            window && window->isVisible())
            return window;
    return nullptr;
}

// The window's title, its file, name and byte lines, the rate's unit and its bar, as one line
// of text.
QString Shown(const FileOperationProgress& window)
{
    QStringList parts = {window.windowTitle()};
    for (const char* name : {"lblFile", "lblName", "lblBytes"})
        parts << window.findChild<QLabel*>(QString::fromLatin1(name))->text();
    parts << window.findChild<QLabel*>(u"lblRate"_s)->text().section(u' ', 1);
    return parts.join(u'|') + u'|' + QString::number(window.findChild<QProgressBar*>()->value());
}

} // namespace

// The window belongs to the main window (the dialogs' owner) and opens centred over it. It
// shows the item and the share done: megabytes for a copy, items for a delete. Cancel, or a close,
// asks the operation to stop; the window stays up until the operation ends, and after it while
// there are failures to read.
TEST(FileOperationProgress, ShowsTheWorkOverItsOwnerAndStaysForFailures)
{
    QWidget owner;
    owner.setGeometry(300, 200, 640, 480);
    owner.show();
    QtDialogAnswerer::SetOwner(&owner);
    for (const Kind kind : {Kind::Copy, Kind::Delete}) {
        ProgressWindowObserver observer;
        EXPECT_FALSE(observer.CancelRequested()); // no window yet, nothing to cancel
        observer.Begin(kind, 4, 4 << 20);
        observer.AddBytes(1 << 20);
        observer.StartItem(2, u"b.bin"_s);
        FileOperationProgress* window = ShownProgressWindow();
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(window->parentWidget(), &owner);
        EXPECT_LE((window->geometry().center() - owner.geometry().center()).manhattanLength(), 2);
        EXPECT_EQ(Shown(*window),
                  kind == Kind::Copy
                      ? u"Copying files|File 2 of 4|b.bin|1.0 MB of 4.0 MB|MB/s|250"_s
                      : u"Deleting files|Item 2 of 4|b.bin|||500"_s);
        if (kind == Kind::Copy) {
            observer.AddBytes(4 << 20); // a pipe brings more than was counted
            observer.StartItem(3, u"live"_s);
            EXPECT_TRUE(Shown(*window).endsWith(u"live|5.0 MB of 5.0 MB|MB/s|1000"_s));
            QTest::mouseClick(window->findChild<QPushButton*>(u"cmdCancel"_s), Qt::LeftButton);
        } else
            EXPECT_FALSE(window->close());
        EXPECT_TRUE(observer.CancelRequested() && window->isVisible());
        EXPECT_FALSE(observer.End());
        EXPECT_EQ(ShownProgressWindow(), nullptr);
    }

    auto observer = std::make_unique<ProgressWindowObserver>();
    observer->Begin(Kind::Delete, 0, 0);
    const QPointer<FileOperationProgress> window = ShownProgressWindow();
    ASSERT_FALSE(window.isNull());
    EXPECT_EQ(window->findChild<QProgressBar*>()->value(), 0);
    testing::internal::CaptureStderr(); // failures are listed there too
    observer->AddFailure(u"Cannot copy /lib/missing.mp3"_s);
    EXPECT_TRUE(observer->End());
    observer.reset();
    EXPECT_NE(testing::internal::GetCapturedStderr().find("/lib/missing.mp3"), std::string::npos);
    const auto* failures = window->findChild<QListWidget*>(u"lstFailures"_s);
    EXPECT_TRUE(failures->count() == 1 && failures->isVisible());
    auto* button = window->findChild<QPushButton*>(u"cmdCancel"_s);
    EXPECT_TRUE(window->isVisible() && button->text() == u"Close");
    QTest::mouseClick(button, Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
}
