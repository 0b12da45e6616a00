#include "ui/frmPickFolder.h"

#include "base/Dialogs.h"
#include "base/ErrorReport.h"
#include "base/Text.h"
#include "engine/ScanFolder.h"
#include "platform/Paths.h"
#include "ui/QtDialogAnswerer.h"
#include "ui/Twips.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <algorithm>

namespace {

constexpr int kClientWidth = 5715;

// Tab order in the order given (Qt skips hidden and disabled controls).
void ChainFocus(std::initializer_list<QWidget*> order)
{
    QWidget* previous = nullptr;
    for (QWidget* w : order) {
        if (previous)
            QWidget::setTabOrder(previous, w);
        previous = w;
    }
}

QWidget* Named(QWidget* w, const QString& name)
{
    w->setObjectName(name);
    return w;
}

} // namespace

frmPickFolder::frmPickFolder(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("frmPickFolder"));
    BuildControls();
    // Load: simple mode (which also sets the simple height); a new dialog's result is Rejected.
    setAdvancedMode(false);
}

void frmPickFolder::BuildControls()
{
    BuildFolderRow();
    BuildOptionRow();
    BuildButtons();
    BuildSubfolderList();

    ChainFocus({m_txtFolder, m_cmdFolder, m_chkIncludeSubfolders, m_txtDestinationSize, m_cmdOK,
                m_cmdCancel, m_txtPercNewFiles, m_cmdAdvanced, m_lstSubfolders});

    connect(m_cmdOK, &QPushButton::clicked, this, &frmPickFolder::OnOK);
    connect(m_cmdCancel, &QPushButton::clicked, this, &frmPickFolder::OnCancel);
    connect(m_cmdFolder, &QPushButton::clicked, this, &frmPickFolder::OnFolderClicked);
    connect(m_cmdAdvanced, &QPushButton::clicked, this, &frmPickFolder::OnAdvancedClicked);

    FitButtonColumn();
}

void frmPickFolder::BuildFolderRow()
{
    m_lblFolder = new QLabel(QStringLiteral("Folder:"), this);
    Named(m_lblFolder, QStringLiteral("lblFolder"))->setGeometry(TwipsRect(45, 45, 2310, 240));

    m_txtFolder = new QLineEdit(this);
    Named(m_txtFolder, QStringLiteral("txtFolder"))->setGeometry(TwipsRect(45, 270, 3795, 330));

    m_cmdFolder = new QPushButton(QStringLiteral("..."), this);
    Named(m_cmdFolder, QStringLiteral("cmdFolder"))->setGeometry(TwipsRect(3870, 270, 420, 330));
    m_cmdFolder->setToolTip(QStringLiteral("Browse"));

    m_chkIncludeSubfolders = new QCheckBox(QStringLiteral("Include subfolders"), this);
    Named(m_chkIncludeSubfolders, QStringLiteral("chkIncludeSubfolders"))
        ->setGeometry(TwipsRect(90, 765, 3390, 240));
    m_chkIncludeSubfolders->hide();
}

void frmPickFolder::BuildOptionRow()
{
    m_lblDestinationSize = new QLabel(QStringLiteral("Max size (MB):"), this);
    Named(m_lblDestinationSize, QStringLiteral("lblDestinationSize"));
    m_txtDestinationSize = new QLineEdit(this);
    Named(m_txtDestinationSize, QStringLiteral("txtDestinationSize"));
    m_lblPercNewFiles = new QLabel(QStringLiteral("% New files:"), this);
    Named(m_lblPercNewFiles, QStringLiteral("lblPercNewFiles"));
    m_txtPercNewFiles = new QLineEdit(this);
    Named(m_txtPercNewFiles, QStringLiteral("txtPercNewFiles"));
    LayOutOptionRow();
    for (QWidget* w :
         {static_cast<QWidget*>(m_lblDestinationSize), static_cast<QWidget*>(m_txtDestinationSize),
          static_cast<QWidget*>(m_lblPercNewFiles), static_cast<QWidget*>(m_txtPercNewFiles)})
        w->hide();
}

void frmPickFolder::BuildButtons()
{
    m_cmdOK = new QPushButton(QStringLiteral("OK"), this);
    Named(m_cmdOK, QStringLiteral("cmdOK"))->setGeometry(TwipsRect(4455, 90, 1185, 330));
    m_cmdOK->setDefault(true);

    m_cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    Named(m_cmdCancel, QStringLiteral("cmdCancel"))->setGeometry(TwipsRect(4455, 450, 1185, 330));

    m_cmdAdvanced = new QPushButton(QStringLiteral("Advanced >>"), this);
    Named(m_cmdAdvanced, QStringLiteral("cmdAdvanced"))
        ->setGeometry(TwipsRect(4455, 810, 1185, 330));
}

void frmPickFolder::BuildSubfolderList()
{
    m_grpSubfolders = new QWidget(this);
    Named(m_grpSubfolders, QStringLiteral("grpSubfolders"))
        ->setGeometry(TwipsRect(45, 1305, 5595, 2445));

    m_lblSubfolders = new QLabel(QStringLiteral("Select multiple folders:"), m_grpSubfolders);
    Named(m_lblSubfolders, QStringLiteral("lblSubfolders"))
        ->setGeometry(TwipsRect(45, 0, 2310, 240));

    m_lstSubfolders = new QListWidget(m_grpSubfolders);
    Named(m_lstSubfolders, QStringLiteral("lstSubfolders"))
        ->setGeometry(TwipsRect(0, 225, 5550, 2205));
    m_lstSubfolders->setSelectionMode(QAbstractItemView::SingleSelection);
}

// The buttons on the right are laid out for a narrow dialog font; with a wider one the column
// and the dialog grow so that both captions of the Advanced button fit.
void frmPickFolder::FitButtonColumn()
{
    int needed = 0;
    for (QPushButton* button : {m_cmdOK, m_cmdCancel})
        needed = std::max(needed, button->sizeHint().width());
    for (const QString& caption : {QStringLiteral("<< Advanced"), QStringLiteral("Advanced >>")}) {
        m_cmdAdvanced->setText(caption);
        needed = std::max(needed, m_cmdAdvanced->sizeHint().width());
    }
    const int extra = std::max(0, needed - m_cmdOK->width());
    for (QWidget* w : {static_cast<QWidget*>(m_cmdOK), static_cast<QWidget*>(m_cmdCancel),
                       static_cast<QWidget*>(m_cmdAdvanced), m_grpSubfolders,
                       static_cast<QWidget*>(m_lstSubfolders)})
        w->resize(w->width() + extra, w->height());
    setFixedWidth(Twips(kClientWidth) + extra);
}

// The size and percentage fields share a row laid out for a narrow dialog font; with a wider
// font the labels grow to fit their text and the fields after them move right.
void frmPickFolder::LayOutOptionRow()
{
    const QRect size = TwipsRect(90, 765, 1095, 240);
    const QRect sizeField = TwipsRect(1215, 720, 600, 330);
    const QRect perc = TwipsRect(1935, 765, 915, 240);
    const QRect percField = TwipsRect(2880, 720, 600, 330);
    const int labelGap = sizeField.left() - size.right();
    const int fieldGap = perc.left() - sizeField.right();

    auto fit = [](QLabel* label, QRect place) {
        const int needed = label->fontMetrics().horizontalAdvance(label->text()) + 2;
        place.setWidth(std::max(place.width(), needed));
        label->setGeometry(place);
        return place;
    };
    const QRect sizeLabel = fit(m_lblDestinationSize, size);
    QRect field = sizeField;
    field.moveLeft(std::max(sizeField.left(), sizeLabel.right() + labelGap));
    m_txtDestinationSize->setGeometry(field);
    QRect percLabel = perc;
    percLabel.moveLeft(std::max(perc.left(), field.right() + fieldGap));
    percLabel = fit(m_lblPercNewFiles, percLabel);
    field = percField;
    field.moveLeft(std::max(percField.left(), percLabel.right() + labelGap));
    m_txtPercNewFiles->setGeometry(field);
}

bool frmPickFolder::OptionIncludeSubfolders() const
{
    return !m_chkIncludeSubfolders->isHidden();
}

void frmPickFolder::setOptionIncludeSubfolders(bool show)
{
    m_chkIncludeSubfolders->setVisible(show);
}

bool frmPickFolder::OptionMaxSize() const
{
    return !m_lblDestinationSize->isHidden();
}

void frmPickFolder::setOptionMaxSize(bool show)
{
    m_lblDestinationSize->setVisible(show);
    m_txtDestinationSize->setVisible(show);
    m_lblPercNewFiles->setVisible(show);
    m_txtPercNewFiles->setVisible(show);
}

void frmPickFolder::setAdvancedMode(bool advanced)
{
    m_advancedMode = advanced;
    if (advanced) {
        if (TrimSpaces(m_txtFolder->text()).isEmpty())
            m_txtFolder->setText(QStringLiteral("/"));
        // The client area ends at the bottom of the subfolder group.
        setFixedHeight(m_grpSubfolders->geometry().bottom() + 1);
        m_grpSubfolders->show();
        m_cmdAdvanced->setText(QStringLiteral("<< Advanced"));
        // The folder cannot change while its subfolders are listed.
        m_txtFolder->setEnabled(false);
        m_cmdFolder->setEnabled(false);
        FillSubfolderList();
    } else {
        setFixedHeight(m_grpSubfolders->geometry().top());
        m_grpSubfolders->hide();
        m_cmdAdvanced->setText(QStringLiteral("Advanced >>"));
        m_txtFolder->setEnabled(true);
        m_cmdFolder->setEnabled(true);
    }
}

void frmPickFolder::FillSubfolderList()
{
    m_lstSubfolders->clear();
    QStringList paths;
    qint32 count = 0;
    ScanFolder(paths, count, m_txtFolder->text(), false, true, QString(), QString());
    // The directory lists its entries in no particular order; people look for a name.
    std::sort(paths.begin(), paths.end(), LessNoCase);
    for (const QString& path : paths) {
        auto* item = new QListWidgetItem(ParsePath(path, PathPart::FileName), m_lstSubfolders);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
}

QStringList frmPickFolder::TickedSubfolders() const
{
    QStringList ticked;
    for (int i = 0; i < m_lstSubfolders->count(); ++i) {
        const QListWidgetItem* item = m_lstSubfolders->item(i);
        if (item->checkState() == Qt::Checked)
            ticked << item->text();
    }
    return ticked;
}

void frmPickFolder::ShowFolderBrowser()
{
    OnFolderClicked();
}

QString frmPickFolder::BrowseForFolder(const QString& prompt, const QString& initialPath)
{
    // The browser belongs to this dialog while it is up.
    QWidget* previousOwner = QtDialogAnswerer::Owner();
    QtDialogAnswerer::SetOwner(this);
    QString path;
    try {
        path = Dialogs::BrowseFolder(prompt, initialPath);
    } catch (...) {
        path.clear();
    }
    QtDialogAnswerer::SetOwner(previousOwner);
    return path;
}

void frmPickFolder::OnFolderClicked()
{
    try {
        const QString path =
            BrowseForFolder(QStringLiteral("Select the folder:"), m_txtFolder->text());
        if (!path.isEmpty())
            m_txtFolder->setText(path);
    } catch (...) {
        ReportCurrentError(QString());
    }
}

void frmPickFolder::OnAdvancedClicked()
{
    try {
        setAdvancedMode(!m_advancedMode);
    } catch (...) {
        ReportCurrentError(QString());
    }
}

void frmPickFolder::OnOK()
{
    accept();
}

void frmPickFolder::OnCancel()
{
    reject();
}

void frmPickFolder::Unload()
{
    m_unloading = true;
    close();
}

void frmPickFolder::closeEvent(QCloseEvent* event)
{
    if (m_unloading) {
        event->accept();
        return;
    }
    // The title bar, the window menu, Alt+F4 or the session ending: keep the dialog for its
    // creator to read, as a Cancel.
    event->ignore();
    reject();
}
