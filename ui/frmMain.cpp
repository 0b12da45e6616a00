#include "ui/frmMain.h"

#include "documents/CBinaryINI.h"
#include "documents/Preferences.h"
#include "documents/RecentFiles.h"
#include "engine/ArchiveBitHelper.h"
#include "engine/ShuffleRun.h"
#include "support/AppError.h"
#include "support/CommandLine.h"
#include "support/ConsoleMode.h"
#include "support/Dialogs.h"
#include "support/ErrorReport.h"
#include "support/Events.h"
#include "support/Numbers.h"
#include "support/Paths.h"
#include "support/Text.h"
#include "ui/AppInfo.h"
#include "ui/Entries.h"
#include "ui/FileDialogs.h"
#include "ui/QtDialogAnswerer.h"
#include "ui/SortedList.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QUrl>
#include <cstdio>

namespace {

const QString kDefaultFiletypes = QStringLiteral("*.mp3,*.wma,*.wav");
const QString kSection = QStringLiteral("settings");
const QString kListDelimiter = QStringLiteral("|");

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
}

void Place(QWidget* widget, int left, int top, int width, int height)
{
    widget->setGeometry(frmMain::Twips(left), frmMain::Twips(top), frmMain::Twips(width),
                        frmMain::Twips(height));
}

// The layout was drawn for a smaller dialog font: a caption that does not fit grows to the
// right and down from its place instead of being cut off.
void FitCaption(QWidget* widget)
{
    const QSize hint = widget->sizeHint();
    widget->resize(std::max(widget->width(), hint.width()),
                   std::max(widget->height(), hint.height()));
}

// A 48 by 48 picture from the desktop's icon theme, with Qt's own as the fallback.
QPixmap Decoration(const char* themeName, QStyle::StandardPixmap fallback, const QWidget* w)
{
    QIcon icon = QIcon::fromTheme(QString::fromLatin1(themeName));
    if (icon.isNull())
        icon = w->style()->standardIcon(fallback);
    const QPixmap pixmap = icon.pixmap(48, 48);
    return pixmap.width() >= 48
               ? pixmap
               : pixmap.scaled(48, 48, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

} // namespace

int frmMain::Twips(int twips)
{
    // 15 twips to a pixel at 96 dpi; Qt scales pixels for high-dpi screens itself.
    return (twips + 7) / 15;
}

frmMain::frmMain(QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                              Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowIcon(Decoration("media-playlist-shuffle", QStyle::SP_MediaPlay, this));
    BuildMenus();
    BuildControls();
    QtDialogAnswerer::SetOwner(this);
    // A fixed border: the client area and the menu bar, nothing to resize.
    adjustSize();
    setFixedSize(sizeHint());
}

frmMain::~frmMain()
{
    if (m_waitCursor)
        QApplication::restoreOverrideCursor();
}

void frmMain::BuildControls()
{
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(Twips(5880), Twips(4980));
    setCentralWidget(client);

    m_picMain = new QWidget(client);
    m_picMain->setObjectName(QStringLiteral("picMain"));
    Place(m_picMain, 0, 0, 5865, 4605);
    QWidget* p = m_picMain;

    // Etched separators: a shadow line with a light line below it.
    const int lineTops[6] = {495, 510, 0, 15, 2835, 2850};
    for (int i = 0; i < 6; ++i) {
        auto* line = new QFrame(p);
        line->setObjectName(QStringLiteral("lineDiv_%1").arg(i));
        line->setGeometry(0, Twips(lineTops[i]), Twips(6000), 1);
        line->setAutoFillBackground(true);
        QPalette palette = line->palette();
        palette.setColor(QPalette::Window,
                         palette.color(i % 2 == 0 ? QPalette::Dark : QPalette::Light));
        line->setPalette(palette);
    }

    m_cmdOK = MakeButton(p, "cmdOK", QStringLiteral("&Start"));
    m_cmdOK->setDefault(true);
    Place(m_cmdOK, 45, 45, 1500, 420);

    Place(MakeLabel(p, "lblLibrary", QStringLiteral("Library:")), 900, 630, 2310, 240);
    const EntryControls library =
        BuildEntryControls(p, QStringLiteral("Library"), 855, "folder-music", QStyle::SP_DirIcon);
    m_lstLibrary = library.list;

    Place(MakeLabel(p, "lblFiletypes", QStringLiteral("Filetypes (seperated by commas):")), 900,
          2115, 2805, 240);
    m_txtFiletypes = new QLineEdit(p);
    m_txtFiletypes->setObjectName(QStringLiteral("txtFiletypes"));
    Place(m_txtFiletypes, 900, 2340, 2220, 330);

    Place(MakeLabel(p, "lblDestination", QStringLiteral("Destination, Max size, % New files:")),
          900, 3060, 4515, 240);
    const EntryControls destination = BuildEntryControls(
        p, QStringLiteral("Destination"), 3285, "drive-removable-media", QStyle::SP_DriveHDIcon);
    m_lstDestination = destination.list;

    m_chkRenameFiles = new QCheckBox(QStringLiteral("Rand-Rename Files"), p);
    m_chkRenameFiles->setObjectName(QStringLiteral("chkRenameFiles"));
    Place(m_chkRenameFiles, 900, 4230, 1815, 195);

    for (QWidget* caption : {p->findChild<QWidget*>(QStringLiteral("lblLibrary")),
                             p->findChild<QWidget*>(QStringLiteral("lblFiletypes")),
                             p->findChild<QWidget*>(QStringLiteral("lblDestination")),
                             static_cast<QWidget*>(m_chkRenameFiles)})
        FitCaption(caption);

    m_lblStatus = MakeLabel(client, "lblStatus", QString());
    Place(m_lblStatus, 0, 4680, 5860, 285);

    m_picProgressBar = new QFrame(client);
    m_picProgressBar->setObjectName(QStringLiteral("picProgressBar"));
    m_picProgressBar->setFrameStyle(QFrame::Box | QFrame::Plain);
    m_picProgressBar->setLineWidth(1);
    Place(m_picProgressBar, 4275, 4725, 1500, 195);
    m_boxProgressBar = new QWidget(m_picProgressBar);
    m_boxProgressBar->setObjectName(QStringLiteral("boxProgressBar"));
    m_boxProgressBar->setAutoFillBackground(true);
    QPalette barPalette = m_boxProgressBar->palette();
    barPalette.setColor(QPalette::Window, barPalette.color(QPalette::Highlight));
    m_boxProgressBar->setPalette(barPalette);
    SetProgress(0, 0);
    m_picProgressBar->hide();

    // Keyboard order on the panel.
    QWidget* order[] = {m_chkRenameFiles,   m_lstDestination, destination.add, destination.edit,
                        destination.remove, library.remove,   library.edit,    library.add,
                        m_lstLibrary,       m_cmdOK,          m_txtFiletypes};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);

    connect(m_cmdOK, &QPushButton::clicked, this, &frmMain::OnStartClicked);
    connect(m_txtFiletypes, &QLineEdit::textChanged, this, [this] { SetModified(); });
    connect(m_chkRenameFiles, &QCheckBox::stateChanged, this, [this] { SetModified(); });
    // A loaded "partly ticked" value stays until the user clicks the box.
    connect(m_chkRenameFiles, &QCheckBox::clicked, this, [this] {
        if (m_chkRenameFiles->isTristate())
            m_chkRenameFiles->setTristate(false);
    });
}

frmMain::EntryControls frmMain::BuildEntryControls(QWidget* panel, const QString& kind, int listTop,
                                                   const char* icon,
                                                   QStyle::StandardPixmap fallback)
{
    // The list, its picture to the left and its three buttons below it; the two sections of
    // the window differ only in their place and names.
    EntryControls controls;
    const bool isLibrary = kind == QStringLiteral("Library");
    controls.list = new SortedList(panel);
    controls.list->setObjectName(QStringLiteral("lst") + kind);
    Place(controls.list, 900, listTop, 4830, 840);
    auto* picture = new QLabel(panel);
    picture->setObjectName(QStringLiteral("img") + kind);
    picture->setPixmap(Decoration(icon, fallback, this));
    picture->setAlignment(Qt::AlignCenter);
    Place(picture, 90, listTop + 45, 720, 720);

    const struct
    {
        const char* name;
        const char* caption;
        int left;
        QPushButton** button;
        int action;
    } buttons[] = {{"Add", "Add...", 2925, &controls.add, 0},
                   {"Edit", "Edit...", 3870, &controls.edit, 1},
                   {"Remove", "Remove", 4815, &controls.remove, 2}};
    for (const auto& b : buttons) {
        auto* button = new QPushButton(QString::fromLatin1(b.caption), panel);
        button->setObjectName(QStringLiteral("cmd") + kind + QString::fromLatin1(b.name));
        button->setAutoDefault(false);
        Place(button, b.left, listTop + 855, 915, 330);
        const int action = b.action;
        connect(button, &QPushButton::clicked, this,
                [this, isLibrary, action] { OnEntryButton(isLibrary, action); });
        *b.button = button;
    }
    connect(controls.list, &QListWidget::itemDoubleClicked, this,
            [this, isLibrary] { OnEntryButton(isLibrary, 1); });
    return controls;
}

void frmMain::BuildMenus()
{
    const auto add = [this](QMenu* menu, const QString& name, const QString& caption) {
        QAction* action =
            caption == QStringLiteral("-") ? menu->addSeparator() : menu->addAction(caption);
        action->setObjectName(name);
        m_menuItems.insert(name, action);
        return action;
    };

    m_tmnuFile = menuBar()->addMenu(QStringLiteral("&File"));
    m_tmnuFile->setObjectName(QStringLiteral("tmnuFile"));
    const struct
    {
        int index;
        const char* caption;
        QKeySequence shortcut;
    } fileItems[] = {
        {10, "&New", QKeySequence(Qt::CTRL | Qt::Key_N)},
        {11, "&Open...", QKeySequence(Qt::CTRL | Qt::Key_O)},
        {12, "&Save", QKeySequence(Qt::CTRL | Qt::Key_S)},
        {13, "Save &As...", {}},
        {18, "-", {}},
        {19, "Load last file on startup", {}},
        {20, "-", {}},
        {21, "1", {}},
        {22, "2", {}},
        {23, "3", {}},
        {24, "4", {}},
        {25, "-", {}},
        {30, "E&xit", {}},
    };
    for (const auto& item : fileItems) {
        QAction* action = add(m_tmnuFile, QStringLiteral("mnuFile_%1").arg(item.index),
                              QString::fromLatin1(item.caption));
        action->setShortcut(item.shortcut);
        const int index = item.index;
        if (index == 19)
            action->setCheckable(true);
        connect(action, &QAction::triggered, this, [this, index] { OnFileMenu(index); });
    }

    m_tmnuHelp = menuBar()->addMenu(QStringLiteral("&Help"));
    m_tmnuHelp->setObjectName(QStringLiteral("tmnuHelp"));
    QMenu* topics = m_tmnuHelp->addMenu(QStringLiteral("&Help Topics"));
    topics->setObjectName(QStringLiteral("mnuHelp_0_menu"));
    topics->menuAction()->setObjectName(QStringLiteral("mnuHelp_0"));
    m_menuItems.insert(QStringLiteral("mnuHelp_0"), topics->menuAction());
    add(topics, QStringLiteral("mnuHelpHomePage"), QStringLiteral("&Home on the Web"));
    add(topics, QStringLiteral("mnuHelpCmdSwitches"), QStringLiteral("&CommandLine Options"));
    add(m_tmnuHelp, QStringLiteral("mnuHelp_4"), QStringLiteral("Archive Bit Helper"));
    add(m_tmnuHelp, QStringLiteral("mnuHelp_5"), QStringLiteral("-"));
    add(m_tmnuHelp, QStringLiteral("mnuHelp_10"), QStringLiteral("&About Pendrift"));
    for (const QString& name :
         {QStringLiteral("mnuHelpHomePage"), QStringLiteral("mnuHelpCmdSwitches"),
          QStringLiteral("mnuHelp_4"), QStringLiteral("mnuHelp_10")})
        connect(m_menuItems.value(name), &QAction::triggered, this,
                [this, name] { OnHelpMenu(name); });
}

QAction* frmMain::MenuItem(const QString& name) const
{
    return m_menuItems.value(name);
}

void frmMain::ApplyRecentMenu()
{
    const auto items = BuildRecentMenu();
    for (int i = 0; i < kRecentMenuItems; ++i) {
        QAction* action = MenuItem(QStringLiteral("mnuFile_%1").arg(kFirstRecentMenuIndex + i));
        action->setText(items[static_cast<std::size_t>(i)].caption);
        action->setVisible(items[static_cast<std::size_t>(i)].visible);
        action->setEnabled(items[static_cast<std::size_t>(i)].enabled);
    }
}

void frmMain::Load()
{
    try {
        ApplyRecentMenu();
        QAction* autoLoad = MenuItem(QStringLiteral("mnuFile_19"));
        autoLoad->setChecked(LeadingNumber(ReadPreference(QStringLiteral("AutoLoadFile"))) != 0);
        ResetSettings(false);
        if (autoLoad->isChecked()) {
            const QString last = ReadPreference(QStringLiteral("LoadFile"));
            if (PathExists(last, true)) {
                try {
                    LoadSettings(last);
                } catch (...) {
                    ReportCurrentError(QStringLiteral(
                        "Error loading last cfg file. The file may be in use by another "
                        "process. The program will start with a blank configuration."));
                    autoLoad->setChecked(false);
                    ResetSettings(false);
                    return;
                }
            }
        }
        const double left =
            LeadingNumber(ReadPreference(QStringLiteral("mainleft"), QStringLiteral("-1")));
        const double top =
            LeadingNumber(ReadPreference(QStringLiteral("maintop"), QStringLiteral("-1")));
        if (left == -1 || top == -1) {
            CenterForm(this, nullptr);
        } else {
            move(Twips(ToInt32(left)), Twips(ToInt32(top)));
            EnsureOnScreen(this);
        }
    } catch (...) {
        ReportCurrentError(QStringLiteral("Error loading main window."));
        throw;
    }
}

void frmMain::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    // The panel takes the client area above the status line.
    if (!isMinimized() && centralWidget())
        m_picMain->setGeometry(0, 0, centralWidget()->width(),
                               centralWidget()->height() - m_lblStatus->height());
}

void frmMain::closeEvent(QCloseEvent* event)
{
    if (m_busy) {
        // The run cannot go on while this handler waits, so the close is refused for now: the
        // run asks "Are you sure you want to cancel?" at its next check, and on Yes it runs
        // its finish sequence and the window closes then. On No the window stays.
        m_cancelRequested = true;
        m_closeAfterRun = true;
        event->ignore();
        return;
    }
    bool accept = true;
    try {
        if (m_modified)
            accept = ConfirmSaveChanges();
    } catch (...) {
        ReportCurrentError(QString());
        accept = false;
    }
    try {
        if (isMinimized() || isMaximized())
            showNormal();
        WritePreference(QStringLiteral("mainleft"), static_cast<qint64>(x()) * 15);
        WritePreference(QStringLiteral("maintop"), static_cast<qint64>(y()) * 15);
    } catch (...) {
        ReportCurrentError(QString());
    }
    if (accept)
        event->accept();
    else
        event->ignore();
}

void frmMain::SetBusy(bool busy)
{
    m_busy = busy;
    m_picMain->setEnabled(!busy);
    m_tmnuFile->menuAction()->setEnabled(!busy);
    m_tmnuHelp->menuAction()->setEnabled(!busy);
    repaint();
    if (busy) {
        SetWaitCursor(true);
    } else {
        m_lblStatus->setText(QString());
        m_lblStatus->repaint();
        m_picProgressBar->hide();
        SetWaitCursor(false);
    }
}

void frmMain::SetWaitCursor(bool waiting)
{
    if (waiting && !m_waitCursor)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else if (!waiting && m_waitCursor)
        QApplication::restoreOverrideCursor();
    m_waitCursor = waiting;
}

void frmMain::SetStatus(const QString& text)
{
    m_lblStatus->setText(text);
    m_lblStatus->repaint();
    // Without a display the console is where the status line is read.
    if (!text.isEmpty() && ConsoleMode()) {
        std::fprintf(stdout, "%s\n", text.toLocal8Bit().constData());
        std::fflush(stdout);
    }
}

void frmMain::ShowProgress(bool visible)
{
    m_picProgressBar->setVisible(visible);
}

void frmMain::SetProgress(qint32 value, qint32 maximum)
{
    const double remainder =
        maximum == 0 ? 100.0 : 100.0 * (static_cast<double>(maximum) - value) / maximum;
    const double left = remainder <= 100.0 ? -remainder : 0.0;
    const QRect inner = m_picProgressBar->contentsRect();
    const int x = inner.left() + static_cast<int>(std::lround(left / 100.0 * inner.width()));
    m_boxProgressBar->setGeometry(x, inner.top(), inner.width(), inner.height());
    m_picProgressBar->repaint();
}

void frmMain::ClearCancelRequest()
{
    m_cancelRequested = false;
}

bool frmMain::CheckCancel()
{
    DoEventsThrottled();
    bool result = false;
    if (m_cancelRequested) {
        result =
            Dialogs::MsgBox(QStringLiteral("Are you sure you want to cancel?"), MsgButtons::YesNo,
                            MsgIcon::Question, kApplicationTitle) == MsgResult::Yes;
        if (!result)
            m_closeAfterRun = false;
    }
    m_cancelRequested = false;
    return result;
}

QString frmMain::GetWindowTitle() const
{
    const QString title = TrimSpaces(ReadPreference(QStringLiteral("WindowTitle")));
    return title.isEmpty() ? kApplicationTitle : title;
}

ShuffleJob frmMain::CurrentJob() const
{
    ShuffleJob job;
    job.libraries = m_lstLibrary->Items();
    job.fileTypes = m_txtFiletypes->text();
    job.destinations = m_lstDestination->Items();
    job.renameFiles = RenameValue();
    return job;
}

int frmMain::RenameValue() const
{
    switch (m_chkRenameFiles->checkState()) {
    case Qt::Checked: return 1;
    case Qt::PartiallyChecked: return 2;
    default: return 0;
    }
}

ShuffleOutcome frmMain::StartShuffle(bool bAutoMode)
{
    // The controls are disabled while the run is busy, so reading them once is the same as
    // reading them at every step.
    const ShuffleJob job = CurrentJob();
    const ShuffleOutcome outcome = ::StartShuffle(job, *this, bAutoMode);
    if (m_closeAfterRun) {
        m_closeAfterRun = false;
        close();
    }
    return outcome;
}

void frmMain::OnStartClicked()
{
    StartShuffle(false);
}

void frmMain::OnEntryButton(bool library, int action)
{
    try {
        SortedList* list = library ? m_lstLibrary : m_lstDestination;
        const EntryKind kind = library ? EntryKind::Library : EntryKind::Destination;
        switch (action) {
        case 0:
            if (EditEntry(this, list, kind, true))
                SetModified();
            break;
        case 1:
            if (list->SelectedIndex() >= 0 && EditEntry(this, list, kind, false))
                SetModified();
            break;
        default:
            if (list->SelectedIndex() >= 0) {
                RemoveListItem(list, list->SelectedIndex());
                SetModified();
            }
            break;
        }
    } catch (...) {
        ReportCurrentError(QString());
    }
}

// Settings documents ---------------------------------------------------------------------

void frmMain::SetCaption(const QString& simpleName)
{
    setWindowTitle(simpleName + QStringLiteral(" - ") + GetWindowTitle());
}

void frmMain::ResetSettings(bool bPrompt)
{
    Q_UNUSED(bPrompt);
    m_lstLibrary->clear();
    m_txtFiletypes->setText(kDefaultFiletypes);
    m_lstDestination->clear();
    m_chkRenameFiles->setTristate(false);
    m_chkRenameFiles->setCheckState(Qt::Unchecked);
    m_document.reset();
    SetCaption(QStringLiteral("New Settings"));
    m_modified = false;
}

void frmMain::LoadSettings(const QString& sFile)
{
    if (!PathExists(sFile, true))
        RaiseError(ErrorNumber::FileNotFound);
    auto document = std::make_unique<CBinaryINI>();
    document->SetFile(sFile);
    ResetSettings(false);
    m_document = std::move(document);
    SetCaption(ParsePath(sFile, PathPart::BaseName));
    FillFromDocument();
    AddRecentFile(sFile, kRecentFilesKey, 5);
    if (MenuItem(QStringLiteral("mnuFile_19"))->isChecked())
        WritePreference(QStringLiteral("LoadFile"), sFile);
    m_modified = false;
    ApplyRecentMenu();
}

void frmMain::FillFromDocument()
{
    FillList(m_lstLibrary, m_document->GetValue(QStringLiteral("Library"), {}, kSection),
             kListDelimiter);
    m_txtFiletypes->setText(
        m_document->GetValue(QStringLiteral("Filetypes"), kDefaultFiletypes, kSection));
    FillList(m_lstDestination, m_document->GetValue(QStringLiteral("Destination"), {}, kSection),
             kListDelimiter);
    const double value = LeadingNumber(
        m_document->GetValue(QStringLiteral("RenameFiles"), QStringLiteral("0"), kSection));
    // Values other than 0, 1 and 2 cannot be shown by the box and read as 0.
    const int rename = value == 1 || value == 2 ? static_cast<int>(value) : 0;
    m_chkRenameFiles->setTristate(rename == 2);
    m_chkRenameFiles->setCheckState(rename == 1   ? Qt::Checked
                                    : rename == 2 ? Qt::PartiallyChecked
                                                  : Qt::Unchecked);
}

bool frmMain::SaveSettings(bool saveAs)
{
    if (saveAs || !m_document) {
        QString path;
        if (!ShowFileDialog(path, FileDialogMode::Save, this, QStringLiteral("Save As"),
                            GetDataFolder(), QStringLiteral("cfg,*.cfg"), QStringLiteral(".cfg")))
            return false;
        if (PathExists(path, true) &&
            Dialogs::MsgBox(path + QStringLiteral(" already exists. Do you want to overwrite it?"),
                            MsgButtons::YesNo, MsgIcon::Exclamation) != MsgResult::Yes)
            return false;
        // The old store lets go of its file first, so Save As onto the current document works.
        m_document.reset();
        m_document = std::make_unique<CBinaryINI>();
        m_document->SetFile(path);
    }
    const int rename = RenameValue();
    m_document->WriteValue(QStringLiteral("Library"), JoinList(m_lstLibrary, kListDelimiter),
                           kSection);
    m_document->WriteValue(QStringLiteral("Filetypes"), m_txtFiletypes->text(), kSection);
    m_document->WriteValue(QStringLiteral("Destination"),
                           JoinList(m_lstDestination, kListDelimiter), kSection);
    m_document->WriteValue(QStringLiteral("RenameFiles"), QString::number(rename), kSection);
    m_document->Commit();

    const QString path = m_document->File();
    AddRecentFile(path, kRecentFilesKey, 5);
    if (MenuItem(QStringLiteral("mnuFile_19"))->isChecked())
        WritePreference(QStringLiteral("LoadFile"), path);
    ApplyRecentMenu();
    SetCaption(ParsePath(path, PathPart::BaseName));
    m_modified = false;
    return true;
}

bool frmMain::ConfirmSaveChanges()
{
    const QString name = m_document ? m_document->File() : QStringLiteral("New Settings");
    if (Dialogs::MsgBox(QStringLiteral("Save ") + name + u'?', MsgButtons::YesNo,
                        MsgIcon::Question) == MsgResult::Yes)
        return SaveSettings(false);
    return true;
}

// Menus -------------------------------------------------------------------------------------

void frmMain::OnFileMenu(int index)
{
    try {
        switch (index) {
        case 10:
            if (m_modified && !ConfirmSaveChanges())
                return;
            ResetSettings(false);
            break;
        case 11: {
            if (m_modified && !ConfirmSaveChanges())
                return;
            QString path;
            if (ShowFileDialog(path, FileDialogMode::Open, this, QStringLiteral("Open"),
                               GetDataFolder(), QStringLiteral("cfg,*.cfg")))
                LoadSettings(path);
            break;
        }
        case 12: SaveSettings(false); break;
        case 13: SaveSettings(true); break;
        case 19: ToggleAutoLoad(); break;
        case 21:
        case 22:
        case 23:
        case 24:
            if (m_modified && !ConfirmSaveChanges())
                return;
            LoadSettings(ReadPreference(kRecentFilesKey + QString::number(index - 20)));
            break;
        case 30: close(); break;
        default: break;
        }
    } catch (...) {
        ReportCurrentError(QString());
    }
}

void frmMain::ToggleAutoLoad()
{
    QAction* item = MenuItem(QStringLiteral("mnuFile_19"));
    // The action has already flipped its check when it reports the click.
    const bool on = item->isChecked();
    WritePreference(QStringLiteral("AutoLoadFile"),
                    on ? QStringLiteral("-1") : QStringLiteral("0"));
    if (on && m_document)
        WritePreference(QStringLiteral("LoadFile"), m_document->File());
}

void frmMain::OnHelpMenu(const QString& name)
{
    try {
        if (name == QStringLiteral("mnuHelp_4"))
            RunArchiveBitHelper();
        else if (name == QStringLiteral("mnuHelp_10"))
            ShowAbout();
        else if (name == QStringLiteral("mnuHelpHomePage"))
            QDesktopServices::openUrl(QUrl(kHomePageUrl));
        else if (name == QStringLiteral("mnuHelpCmdSwitches"))
            ShowCommandLineHelp();
    } catch (...) {
        ReportCurrentError(QString());
    }
}

void frmMain::ShowAbout()
{
    Dialogs::MsgBox(kApplicationTitle + QStringLiteral("\r\nVersion: ") + VersionText() +
                        QStringLiteral("\r\n") + kAuthorLine,
                    MsgButtons::OK, MsgIcon::None, QStringLiteral("About ") + kApplicationTitle);
}

void frmMain::RunArchiveBitHelper()
{
    ArchiveBitHelper(m_lstLibrary->Items(), m_txtFiletypes->text(), *this);
}

// Placement ---------------------------------------------------------------------------------

namespace {

QRect ScreenRect(const QWidget* window)
{
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->geometry() : QRect(0, 0, 1024, 768);
}

} // namespace

void CenterForm(QWidget* window, const QWidget* reference)
{
    const QRect area = reference ? reference->frameGeometry() : ScreenRect(window);
    const QSize size = window->frameGeometry().size();
    window->move(area.width() / 2 - size.width() / 2 + area.left(),
                 area.height() / 2 - size.height() / 2 + area.top());
}

void EnsureOnScreen(QWidget* window)
{
    const QRect screen = ScreenRect(window);
    const QRect frame = window->frameGeometry();
    if (frame.left() < screen.left() || frame.top() < screen.top() ||
        frame.left() + frame.width() > screen.left() + screen.width() ||
        frame.top() + frame.height() > screen.top() + screen.height())
        CenterForm(window, nullptr);
}
