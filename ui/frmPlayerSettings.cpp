#include "ui/frmPlayerSettings.h"

#include "base/Numbers.h"
#include "base/ProductInfo.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

frmPlayerSettings::frmPlayerSettings(const PlayerSettings& settings, QWidget* owner)
    : QDialog(owner), m_settings(settings)
{
    setObjectName(QStringLiteral("frmPlayerSettings"));
    setWindowTitle(QStringLiteral("Player Settings - ") + kProductTitle);

    m_chkDevicePlaylist = new QCheckBox(
        QStringLiteral("&Write a playlist the player can use into each destination"), this);
    m_chkDevicePlaylist->setObjectName(QStringLiteral("chkDevicePlaylist"));
    m_chkDevicePlaylist->setChecked(settings.devicePlaylist);
    m_txtFilesPerFolder = new QLineEdit(QString::number(settings.filesPerFolder), this);
    m_txtFilesPerFolder->setObjectName(QStringLiteral("txtFilesPerFolder"));
    m_txtFilesPerFolder->setValidator(new QIntValidator(0, 99999, m_txtFilesPerFolder));
    m_txtFilesPerFolder->setMaximumWidth(80);
    auto* hint = new QLabel(QStringLiteral("0: all files in the destination itself. Many car "
                                           "stereos see only 255 or 999 files per folder."),
                            this);
    hint->setWordWrap(true);

    auto* form = new QFormLayout;
    form->addRow(m_chkDevicePlaylist);
    form->addRow(QStringLiteral("&Files per folder:"), m_txtFilesPerFolder);
    form->addRow(hint);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("cmdOK"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cmdCancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    setFixedWidth(420);
}

PlayerSettings frmPlayerSettings::Settings() const
{
    PlayerSettings settings = m_settings;
    settings.devicePlaylist = m_chkDevicePlaylist->isChecked();
    settings.filesPerFolder =
        std::max(0, static_cast<int>(LeadingNumber(m_txtFilesPerFolder->text())));
    return settings;
}
