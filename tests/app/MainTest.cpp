#include "app/Main.h"
#include "documents/CBinaryINI.h"
#include "platform/ConsoleMode.h"
#include "tests/common/TestSupport.h"
#include "ui/frmMain.h"

#include <QApplication>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

// Starts the program in-process as with a display and reads the window ("title|library|...")
// from inside Main's event loop, then closes it, which ends the loop; no window leaves it empty.
QString StartWithDisplay(const QStringList& arguments)
{
    SetConsoleMode(false);
    QString shown;
    const QObject scope; // takes the timers along when Main returns without waiting
    QTimer::singleShot(0, &scope, [&shown] {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* window = qobject_cast<frmMain*>(widget); window && window->isVisible()) {
                shown = window->windowTitle() + u'|' + window->CurrentJob().libraries.join(u'|');
                window->close();
            }
    });
    // A window that stays open after the close would keep Main waiting.
    QTimer::singleShot(10000, &scope, [] { QCoreApplication::exit(99); });
    EXPECT_EQ(Main(arguments), 0) << arguments.join(u' ').toStdString();
    return shown;
}

} // namespace

// No switches, a bare document path (spaces split it into several arguments), "/f" without
// "/c", or a switch that needs a document: the window shows and stays, also after a failed load.
TEST(Main, WindowStartsShowTheWindowAndLeaveItOpen)
{
    ScriptedDialogs dialogs;
    const TempDataFolder data;
    const TempFolder elsewhere;
    CBinaryINI document;
    document.SetFile(elsewhere / u"My Mix.cfg"_s);
    document.WriteValue(u"Library"_s, u"/music"_s, u"settings"_s);
    document.Commit();
    document.SetFile(QString());

    const QString folder = elsewhere / u"My"_s, blank = u"New Settings - Pendrift|"_s;
    const QString mix = u"My Mix - Pendrift|/music"_s;
    for (const auto& [arguments, shown, box] :
         {std::tuple{QStringList{}, blank, QString()},
          {QStringList{folder, u"Mix.cfg"_s}, mix, QString()},
          {QStringList{u"/f:"_s + folder, u"Mix.cfg"_s}, mix, QString()},
          {QStringList{u"/a"_s}, blank, QString()}, // would ask for valid folders if it ran
          {QStringList{folder}, blank,
           u"An error ocurred while initializing.\r\n(Error 53) File not found"_s},
          {QStringList{u"/f:Nothing"_s}, blank, u"File not found!"_s}}) {
        const qsizetype asked = dialogs->Requests().size();
        if (!box.isEmpty())
            dialogs->Queue(MsgResult::OK);
        EXPECT_EQ(StartWithDisplay(arguments), shown);
        EXPECT_EQ(dialogs->Requests().mid(asked).value(0).text, box);
    }
}

// Which starts make an application with widgets. The others make a core application, on which
// a widget cannot even be made, so the unattended runs and previews of the program tests show
// that they make none.
TEST(Main, OnlyTheWindowAndMessageBoxesWithADisplayNeedWidgets)
{
    for (const auto& [arguments, console, widgets] :
         {std::tuple{QStringList{}, false, true},
          {QStringList{u"/a"_s, u"/q"_s, u"/f:Mix"_s}, false, true}, // its message boxes
          {QStringList{u"/p"_s, u"/f:Mix"_s}, false, false},
          {QStringList{u"/p"_s}, false, true}, // no document: the window
          {QStringList{u"/a"_s, u"/A"_s}, false, true},
          {QStringList{u"/a"_s, u"/q"_s, u"/f:Mix"_s}, true, false},
          {QStringList{}, true, false}})
        EXPECT_EQ(NeedsWidgets(arguments, console), widgets) << arguments.join(u' ').toStdString();
}
