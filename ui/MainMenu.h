#pragma once

#include <array>

class QAction;
class QMenu;
class QMenuBar;

// The main window's menus. Each item's object name is its control name (mnuFile_10 for New,
// mnuFile_21 to mnuFile_24 for the recent documents, mnuHelp_10 for About...).
struct MainMenu
{
    QMenu* file = nullptr;
    QAction* newDocument = nullptr;
    QAction* open = nullptr;
    QAction* save = nullptr;
    QAction* saveAs = nullptr;
    QAction* preview = nullptr;
    QAction* autoLoad = nullptr;
    std::array<QAction*, 4> recent{};
    QAction* exit = nullptr;

    QMenu* options = nullptr;
    QAction* playerSettings = nullptr;

    QMenu* help = nullptr;
    QAction* homePage = nullptr;
    QAction* commandLineOptions = nullptr;
    QAction* archiveBitHelper = nullptr;
    QAction* about = nullptr;

    static MainMenu Build(QMenuBar* bar);
};
