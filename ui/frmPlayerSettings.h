#pragma once

#include "documents/ShuffleJob.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;

// The settings of the players on the destinations, as the job's document keeps them. OK takes
// what the dialog shows (Settings()); Cancel leaves the job as it was.
class frmPlayerSettings : public QDialog
{
    Q_OBJECT

public:
    explicit frmPlayerSettings(const PlayerSettings& settings, QWidget* owner = nullptr);

    // The settings as the controls show them; a number field without a number reads as 0.
    PlayerSettings Settings() const;

    QCheckBox* chkDevicePlaylist() const { return m_chkDevicePlaylist; }
    QLineEdit* txtFilesPerFolder() const { return m_txtFilesPerFolder; }
    QComboBox* cboConvertTo() const { return m_cboConvertTo; }
    QLineEdit* txtConvertKbps() const { return m_txtConvertKbps; }
    QLineEdit* txtPlayerPlays() const { return m_txtPlayerPlays; }
    QCheckBox* chkLevelLoudness() const { return m_chkLevelLoudness; }

private:
    PlayerSettings m_settings; // what the dialog does not show, kept as it came
    QCheckBox* m_chkDevicePlaylist;
    QLineEdit* m_txtFilesPerFolder;
    QComboBox* m_cboConvertTo;
    QLineEdit* m_txtConvertKbps;
    QLineEdit* m_txtPlayerPlays;
    QCheckBox* m_chkLevelLoudness;
};
