#include "ui/FileOperationProgress.h"
#include "support/ShellFileOperation.h"
#include "tests/common/TestSupport.h"
#include "ui/ProgressWindowObserver.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

FileOperationProgress* ShownProgressWindow()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* window = qobject_cast<FileOperationProgress*>(widget);
            window && window->isVisible())
            return window;
    return nullptr;
}

// Calls the check on each pass of the event loop inside a running operation until it is done.
struct Watcher : QTimer
{
    explicit Watcher(const std::function<bool(FileOperationProgress*)>& check)
    {
        connect(this, &QTimer::timeout, [this, check] {
            if (FileOperationProgress* window = ShownProgressWindow(); window && check(window))
                stop();
        });
        start(0);
    }
};

} // namespace

// Cancel stops a copy inside the file on show, which leaves nothing behind; closing the window
// stops a delete after the item on show. What was done before stays done.
TEST(FileOperationProgress, CancelOrCloseStopsTheOperation)
{
    TempFolder temp;
    QStringList sources;
    for (const char* name : {"a.bin", "b.bin", "c.bin"})
        sources << temp.Write(u"lib/"_s + QLatin1StringView(name), QByteArray(10 << 20, name[0]));
    const QString target = temp / u"dest"_s;
    Watcher copying([&](FileOperationProgress* window) {
        if (window->findChild<QLabel*>(u"lblFile"_s)->text() != u"File 2 of 3")
            return false;
        EXPECT_EQ(window->windowTitle(), u"Copying files");
        EXPECT_EQ(window->findChild<QLabel*>(u"lblName"_s)->text(), u"b.bin");
        EXPECT_TRUE(window->findChild<QLabel*>(u"lblBytes"_s)->text().contains(u" of "));
        QTest::mouseClick(window->findChild<QPushButton*>(u"cmdCancel"_s), Qt::LeftButton);
        return true;
    });
    ProgressWindowObserver copy;
    const FileOperationResult result = CopyFiles(sources, {target}, &copy);
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(result.notDone, 2);
    EXPECT_EQ(QDir(target).entryList(QDir::Files | QDir::Hidden), QStringList({u"a.bin"_s}));
    EXPECT_EQ(ReadAll(target + u"/a.bin"_s), ReadAll(sources[0]));
    EXPECT_EQ(ShownProgressWindow(), nullptr);

    Watcher deleting([&](FileOperationProgress* window) {
        if (window->findChild<QLabel*>(u"lblFile"_s)->text() != u"Item 2 of 3")
            return false;
        window->close();
        EXPECT_TRUE(window->isVisible()) << "a running operation's window stays up";
        return true;
    });
    ProgressWindowObserver deletion;
    EXPECT_EQ(DeleteItems({target + u"/*.*"_s, sources[1], sources[2]}, &deletion).notDone, 1);
    EXPECT_TRUE(QDir(target).isEmpty());
    EXPECT_EQ(QDir(temp / u"lib"_s).entryList(QDir::Files), QStringList({u"a.bin"_s, u"c.bin"_s}));
}

// The window belongs to the main window: centred over it, above it, no task-bar entry. With
// failures it stays open after the operation until it is closed.
TEST(FileOperationProgress, OpensOverItsOwnerAndStaysForFailures)
{
    TempFolder temp;
    QWidget owner;
    owner.setGeometry(300, 200, 640, 480);
    owner.show();
    auto observer = std::make_unique<ProgressWindowObserver>(&owner);
    EXPECT_FALSE(observer->CancelRequested()); // no window yet, nothing to cancel
    observer->Begin(FileOperationObserver::Kind::Delete, 0, 0);
    FileOperationProgress* window = ShownProgressWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->parentWidget(), &owner);
    EXPECT_LE((window->geometry().center() - owner.geometry().center()).manhattanLength(), 2);
    EXPECT_EQ(window->findChild<QProgressBar*>(u"pgbProgress"_s)->value(), 0);
    EXPECT_FALSE(observer->End());
    observer = std::make_unique<ProgressWindowObserver>(&owner);
    EXPECT_EQ(ShownProgressWindow(), nullptr);

    const QString missing = temp / u"lib/missing.mp3"_s;
    testing::internal::CaptureStderr(); // failures are listed there too
    const QStringList sources = {missing, temp.Write(u"lib/good.mp3"_s, "good")};
    EXPECT_EQ(CopyFiles(sources, {temp / u"dest"_s}, observer.get()).notDone, 1);
    observer.reset();
    EXPECT_NE(testing::internal::GetCapturedStderr().find(missing.toStdString()),
              std::string::npos);
    window = ShownProgressWindow();
    ASSERT_NE(window, nullptr);
    const auto* failures = window->findChild<QListWidget*>(u"lstFailures"_s);
    EXPECT_TRUE(failures->count() == 1 && failures->item(0)->text().contains(missing));
    auto* button = window->findChild<QPushButton*>(u"cmdCancel"_s);
    EXPECT_EQ(button->text(), u"Close");
    const QPointer<FileOperationProgress> closed = window;
    QTest::mouseClick(button, Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(closed.isNull());
}
