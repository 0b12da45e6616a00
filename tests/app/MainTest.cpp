#include "app/Main.h"
#include "documents/CBinaryINI.h"
#include "support/ConsoleMode.h"
#include "tests/common/TestSupport.h"
#include "ui/frmMain.h"

#include <QApplication>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

// Starts the program in-process as with a display. While the window is open Main stays in the
// event loop, so the window is read from inside it ("title|library|...") and then closed, which
// ends the loop; a window that never comes up leaves the answer empty.
QString StartWithDisplay(const QStringList& arguments, int& status)
{
    SetConsoleMode(false);
    QString shown;
    const QObject scope; // takes the timers along when Main returns without waiting
    QTimer::singleShot(0, &scope, [&shown] {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* window = qobject_cast<frmMain*>(widget); window && window->isVisible()) {
                shown = (QStringList{window->windowTitle()} + window->CurrentJob().libraries)
                            .join(u'|');
                window->close();
            }
    });
    // A window that stays open after the close would keep Main waiting.
    QTimer::singleShot(10000, &scope, [] { QCoreApplication::exit(99); });
    status = Main(arguments);
    return shown;
}

} // namespace

// The window's start: no switches, a bare document path (spaces split it into several
// arguments), "/f" without "/c" and switches that need a document: each shows the window, with
// the document loaded where one is named, and leaves it open, also after a failed load.
TEST(Main, WindowStartsShowTheWindowAndLeaveItOpen)
{
    ScriptedDialogs dialogs;
    TempDataFolder data;
    TempFolder elsewhere;
    CBinaryINI document;
    document.SetFile(elsewhere / u"My Mix.cfg"_s);
    document.WriteValue(u"Library"_s, u"/music"_s, u"settings"_s);
    document.Commit();
    document.SetFile(QString());
    QFile::copy(elsewhere / u"My Mix.cfg"_s, data / u"Car.cfg"_s);

    const QString folder = elsewhere / u"My"_s;
    const QString blank = u"New Settings - Pendrift"_s, mix = u"My Mix - Pendrift|/music"_s;
    const struct
    {
        QStringList arguments;
        QString shown, box;
    } cases[] = {
        {{}, blank, {}},
        {{folder, u"Mix.cfg"_s}, mix, {}},
        {{u"/f:"_s + folder, u"Mix.cfg"_s}, mix, {}},
        {{u"/f:Car"_s}, u"Car - Pendrift|/music"_s, {}},
        {{u"/a"_s}, blank, {}}, // would ask for valid folders if it ran
        {{folder}, blank, u"An error ocurred while initializing.\r\n(Error 53) File not found"_s},
        {{u"/f:Nothing"_s}, blank, u"File not found!"_s},
    };
    for (const auto& c : cases) {
        if (!c.box.isEmpty())
            dialogs->Queue(MsgResult::OK);
        const qsizetype asked = dialogs->Requests().size();
        int status = -1;
        EXPECT_EQ(StartWithDisplay(c.arguments, status), c.shown)
            << c.arguments.join(u' ').toStdString();
        EXPECT_EQ(status, 0);
        EXPECT_EQ(dialogs->Requests().size() > asked ? dialogs->Requests().last().text : QString(),
                  c.box);
    }
}
