#include "ui/JobPanel.h"

#include "base/ErrorReport.h"
#include "ui/Entries.h"
#include "ui/SortedList.h"
#include "ui/Twips.h"

#include <QCheckBox>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

namespace {

QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& text, QRect place)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setGeometry(place);
    return label;
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
QPixmap Decoration(const char* themeName, int fallback, const QWidget* w)
{
    QIcon icon = QIcon::fromTheme(QString::fromLatin1(themeName));
    if (icon.isNull())
        icon = w->style()->standardIcon(static_cast<QStyle::StandardPixmap>(fallback));
    const QPixmap pixmap = icon.pixmap(48, 48);
    return pixmap.width() >= 48
               ? pixmap
               : pixmap.scaled(48, 48, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

// Etched separators: a shadow line with a light line below it.
void AddSeparators(QWidget* parent)
{
    const int lineTops[6] = {495, 510, 0, 15, 2835, 2850};
    for (int i = 0; i < 6; ++i) {
        auto* line = new QFrame(parent);
        line->setObjectName(QStringLiteral("lineDiv_%1").arg(i));
        line->setGeometry(0, Twips(lineTops[i]), Twips(6000), 1);
        line->setAutoFillBackground(true);
        QPalette palette = line->palette();
        palette.setColor(QPalette::Window,
                         palette.color(i % 2 == 0 ? QPalette::Dark : QPalette::Light));
        line->setPalette(palette);
    }
}

EntryKind KindOf(const SortedList* list, const SortedList* libraries)
{
    return list == libraries ? EntryKind::Library : EntryKind::Destination;
}

} // namespace

JobPanel::JobPanel(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("picMain"));

    AddSeparators(this);

    m_cmdOK = new QPushButton(QStringLiteral("&Start"), this);
    m_cmdOK->setObjectName(QStringLiteral("cmdOK"));
    m_cmdOK->setDefault(true);
    m_cmdOK->setGeometry(TwipsRect(45, 45, 1500, 420));

    QLabel* library = MakeLabel(this, QStringLiteral("lblLibrary"), QStringLiteral("Library:"),
                                TwipsRect(900, 630, 2310, 240));
    const EntrySection libraries =
        BuildEntrySection(QStringLiteral("Library"), 855, "folder-music", QStyle::SP_DirIcon);
    m_lstLibrary = libraries.list;

    QLabel* filetypes = MakeLabel(this, QStringLiteral("lblFiletypes"),
                                  QStringLiteral("Filetypes (seperated by commas):"),
                                  TwipsRect(900, 2115, 2805, 240));
    m_txtFiletypes = new QLineEdit(this);
    m_txtFiletypes->setObjectName(QStringLiteral("txtFiletypes"));
    m_txtFiletypes->setGeometry(TwipsRect(900, 2340, 2220, 330));

    QLabel* destination = MakeLabel(this, QStringLiteral("lblDestination"),
                                    QStringLiteral("Destination, Max size, % New files:"),
                                    TwipsRect(900, 3060, 4515, 240));
    const EntrySection destinations = BuildEntrySection(
        QStringLiteral("Destination"), 3285, "drive-removable-media", QStyle::SP_DriveHDIcon);
    m_lstDestination = destinations.list;

    m_chkRenameFiles = new QCheckBox(QStringLiteral("Rand-Rename Files"), this);
    m_chkRenameFiles->setObjectName(QStringLiteral("chkRenameFiles"));
    m_chkRenameFiles->setGeometry(TwipsRect(900, 4230, 1815, 195));

    for (QWidget* caption :
         {static_cast<QWidget*>(library), static_cast<QWidget*>(filetypes),
          static_cast<QWidget*>(destination), static_cast<QWidget*>(m_chkRenameFiles)})
        FitCaption(caption);

    QWidget* order[] = {m_chkRenameFiles,    m_lstDestination, destinations.add, destinations.edit,
                        destinations.remove, libraries.remove, libraries.edit,   libraries.add,
                        m_lstLibrary,        m_cmdOK,          m_txtFiletypes};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);
    // The window opens with the focus at the start of that order, not on Start.
    order[0]->setFocus();

    connect(m_txtFiletypes, &QLineEdit::textChanged, this, &JobPanel::modified);
    connect(m_chkRenameFiles, &QCheckBox::stateChanged, this, &JobPanel::modified);
    // A loaded "partly ticked" value stays until the user clicks the box.
    connect(m_chkRenameFiles, &QCheckBox::clicked, this,
            [this] { m_chkRenameFiles->setTristate(false); });
}

JobPanel::EntrySection JobPanel::BuildEntrySection(const QString& kind, int listTop,
                                                   const char* icon, int fallbackIcon)
{
    // The list, its picture to the left and its three buttons below it.
    EntrySection section;
    section.list = new SortedList(this);
    section.list->setObjectName(QStringLiteral("lst") + kind);
    section.list->setGeometry(TwipsRect(900, listTop, 4830, 840));
    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("img") + kind);
    picture->setPixmap(Decoration(icon, fallbackIcon, this));
    picture->setAlignment(Qt::AlignCenter);
    picture->setGeometry(TwipsRect(90, listTop + 45, 720, 720));

    const auto button = [&](const char* name, const char* caption, int left) {
        auto* b = new QPushButton(QString::fromLatin1(caption), this);
        b->setObjectName(QStringLiteral("cmd") + kind + QString::fromLatin1(name));
        // Enter on a focused entry button presses it, not Start.
        b->setAutoDefault(true);
        b->setGeometry(TwipsRect(left, listTop + 855, 915, 330));
        return b;
    };
    section.add = button("Add", "Add...", 2925);
    section.edit = button("Edit", "Edit...", 3870);
    section.remove = button("Remove", "Remove", 4815);
    SortedList* list = section.list;
    connect(section.add, &QPushButton::clicked, this, [this, list] { AddEntry(list); });
    connect(section.edit, &QPushButton::clicked, this, [this, list] { EditSelectedEntry(list); });
    connect(list, &QListWidget::itemDoubleClicked, this, [this, list] { EditSelectedEntry(list); });
    connect(section.remove, &QPushButton::clicked, this,
            [this, list] { RemoveSelectedEntry(list); });
    return section;
}

ShuffleJob JobPanel::Job() const
{
    ShuffleJob job;
    job.libraries = m_lstLibrary->Items();
    job.fileTypes = m_txtFiletypes->text();
    job.destinations = m_lstDestination->Items();
    job.renameFiles = m_chkRenameFiles->checkState() == Qt::Checked            ? 1
                      : m_chkRenameFiles->checkState() == Qt::PartiallyChecked ? 2
                                                                               : 0;
    return job;
}

void JobPanel::ShowJob(const ShuffleJob& job)
{
    m_lstLibrary->clear();
    for (const QString& entry : job.libraries)
        m_lstLibrary->AddItem(entry);
    m_txtFiletypes->setText(job.fileTypes);
    m_lstDestination->clear();
    for (const QString& entry : job.destinations)
        m_lstDestination->AddItem(entry);
    m_chkRenameFiles->setTristate(job.renameFiles == 2);
    m_chkRenameFiles->setCheckState(job.renameFiles == 1   ? Qt::Checked
                                    : job.renameFiles == 2 ? Qt::PartiallyChecked
                                                           : Qt::Unchecked);
}

void JobPanel::AddEntry(SortedList* list)
{
    if (EditEntry(window(), list, KindOf(list, m_lstLibrary), true))
        Q_EMIT modified();
}

void JobPanel::EditSelectedEntry(SortedList* list)
{
    if (list->SelectedIndex() >= 0 && EditEntry(window(), list, KindOf(list, m_lstLibrary), false))
        Q_EMIT modified();
}

void JobPanel::RemoveSelectedEntry(SortedList* list)
{
    if (list->SelectedIndex() < 0)
        return;
    try {
        RemoveListItem(list, list->SelectedIndex());
        Q_EMIT modified();
    } catch (...) {
        ReportCurrentError(QString());
    }
}
