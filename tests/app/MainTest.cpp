#include "app/Main.h"
#include "documents/CBinaryINI.h"
#include "support/ConsoleMode.h"
#include "tests/common/TestSupport.h"
#include "ui/frmMain.h"

#include <QApplication>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

struct Shown
{
    QString title;
    QStringList libraries;
    bool operator==(const Shown&) const = default;
};

// Starts the program in-process as with a display. While the window is open Main stays in the
// event loop, so the window is read from inside it and then closed, which ends the loop; a
// window that never comes up leaves `shown` empty.
Shown StartWithDisplay(const QStringList& arguments, int& status)
{
    SetConsoleMode(false);
    Shown shown;
    QTimer look;
    look.setSingleShot(true);
    QObject::connect(&look, &QTimer::timeout, [&shown] {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* window = qobject_cast<frmMain*>(widget); window && window->isVisible()) {
                shown = {window->windowTitle(), window->CurrentJob().libraries};
                window->close();
            }
    });
    look.start(0);
    // A window that stays open after the close would keep Main waiting.
    QTimer stuck;
    QObject::connect(&stuck, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    stuck.start(10000);
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
    const Shown blank{u"New Settings - Pendrift"_s, {}};
    const Shown mix{u"My Mix - Pendrift"_s, {u"/music"_s}};
    const struct
    {
        QStringList arguments;
        Shown shown;
        QString box;
    } cases[] = {
        {{}, blank, {}},
        {{folder, u"Mix.cfg"_s}, mix, {}},
        {{u"/f:"_s + folder, u"Mix.cfg"_s}, mix, {}},
        {{u"/f:Car"_s}, {u"Car - Pendrift"_s, {u"/music"_s}}, {}},
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
