#include "ui/MainMenu.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace {

QAction* Item(QMenu* menu, const char* name, const char* caption, const QKeySequence& keys = {})
{
    QAction* action = menu->addAction(QString::fromLatin1(caption));
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(keys);
    return action;
}

void Separator(QMenu* menu, const char* name)
{
    menu->addSeparator()->setObjectName(QString::fromLatin1(name));
}

} // namespace

MainMenu MainMenu::Build(QMenuBar* bar)
{
    MainMenu m;
    m.file = bar->addMenu(QStringLiteral("&File"));
    m.file->setObjectName(QStringLiteral("tmnuFile"));
    m.newDocument = Item(m.file, "mnuFile_10", "&New", QKeySequence(Qt::CTRL | Qt::Key_N));
    m.open = Item(m.file, "mnuFile_11", "&Open...", QKeySequence(Qt::CTRL | Qt::Key_O));
    m.save = Item(m.file, "mnuFile_12", "&Save", QKeySequence(Qt::CTRL | Qt::Key_S));
    m.saveAs = Item(m.file, "mnuFile_13", "Save &As...");
    Separator(m.file, "mnuFilePreviewLine");
    m.preview =
        Item(m.file, "mnuFilePreview", "Pre&view Run...", QKeySequence(Qt::CTRL | Qt::Key_P));
    Separator(m.file, "mnuFile_18");
    m.autoLoad = Item(m.file, "mnuFile_19", "Load last file on startup");
    m.autoLoad->setCheckable(true);
    Separator(m.file, "mnuFile_20");
    for (int i = 0; i < 4; ++i) {
        const QByteArray name = "mnuFile_" + QByteArray::number(21 + i);
        m.recent[static_cast<std::size_t>(i)] =
            Item(m.file, name.constData(), QByteArray::number(i + 1).constData());
    }
    Separator(m.file, "mnuFile_25");
    m.exit = Item(m.file, "mnuFile_30", "E&xit");

    m.options = bar->addMenu(QStringLiteral("&Options"));
    m.options->setObjectName(QStringLiteral("mnuOptions"));
    m.playerSettings = Item(m.options, "mnuPlayerSettings", "&Player Settings...");

    m.help = bar->addMenu(QStringLiteral("&Help"));
    m.help->setObjectName(QStringLiteral("tmnuHelp"));
    QMenu* topics = m.help->addMenu(QStringLiteral("&Help Topics"));
    topics->setObjectName(QStringLiteral("mnuHelp_0_menu"));
    topics->menuAction()->setObjectName(QStringLiteral("mnuHelp_0"));
    m.homePage = Item(topics, "mnuHelpHomePage", "&Home on the Web");
    m.commandLineOptions = Item(topics, "mnuHelpCmdSwitches", "&CommandLine Options");
    m.archiveBitHelper = Item(m.help, "mnuHelp_4", "Archive Bit Helper");
    Separator(m.help, "mnuHelp_5");
    m.about = Item(m.help, "mnuHelp_10", "&About Pendrift");
    return m;
}
