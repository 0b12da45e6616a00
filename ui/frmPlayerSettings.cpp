#include "ui/frmPlayerSettings.h"

#include "base/Numbers.h"
#include "base/ProductInfo.h"
#include "base/Text.h"

#include <QCheckBox>
#include <QComboBox>
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

    m_cboConvertTo = new QComboBox(this);
    m_cboConvertTo->setObjectName(QStringLiteral("cboConvertTo"));
    // The item data are the document's values.
    m_cboConvertTo->addItem(QStringLiteral("(no conversion)"), QString());
    m_cboConvertTo->addItem(QStringLiteral("MP3"), QStringLiteral("mp3"));
    m_cboConvertTo->addItem(QStringLiteral("AAC (.m4a)"), QStringLiteral("aac"));
    m_cboConvertTo->addItem(QStringLiteral("Opus"), QStringLiteral("opus"));
    m_cboConvertTo->setCurrentIndex(std::max(0, m_cboConvertTo->findData(settings.convertTo)));
    m_txtConvertKbps = new QLineEdit(QString::number(settings.convertKbps), this);
    m_txtConvertKbps->setObjectName(QStringLiteral("txtConvertKbps"));
    m_txtConvertKbps->setValidator(new QIntValidator(1, 999, m_txtConvertKbps));
    m_txtConvertKbps->setMaximumWidth(80);
    m_txtPlayerPlays = new QLineEdit(settings.playerPlays, this);
    m_txtPlayerPlays->setObjectName(QStringLiteral("txtPlayerPlays"));
    m_chkLevelLoudness =
        new QCheckBox(QStringLiteral("&Level the loudness of converted files"), this);
    m_chkLevelLoudness->setObjectName(QStringLiteral("chkLevelLoudness"));
    m_chkLevelLoudness->setChecked(settings.levelLoudness);

    auto* form = new QFormLayout;
    form->addRow(m_chkDevicePlaylist);
    form->addRow(QStringLiteral("&Files per folder:"), m_txtFilesPerFolder);
    form->addRow(hint);
    form->addRow(QStringLiteral("&Convert to:"), m_cboConvertTo);
    form->addRow(QStringLiteral("&Bit rate (kbit/s):"), m_txtConvertKbps);
    form->addRow(QStringLiteral("The player &plays:"), m_txtPlayerPlays);
    form->addRow(m_chkLevelLoudness);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("cmdOK"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cmdCancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    setFixedWidth(460);
}

PlayerSettings frmPlayerSettings::Settings() const
{
    PlayerSettings settings = m_settings;
    settings.devicePlaylist = m_chkDevicePlaylist->isChecked();
    settings.filesPerFolder =
        std::max(0, static_cast<int>(LeadingNumber(m_txtFilesPerFolder->text())));
    settings.convertTo = m_cboConvertTo->currentData().toString();
    const int kbps = static_cast<int>(LeadingNumber(m_txtConvertKbps->text()));
    settings.convertKbps = kbps > 0 ? kbps : PlayerSettings().convertKbps;
    if (!TrimSpaces(m_txtPlayerPlays->text()).isEmpty())
        settings.playerPlays = TrimSpaces(m_txtPlayerPlays->text());
    settings.levelLoudness = m_chkLevelLoudness->isChecked();
    return settings;
}
