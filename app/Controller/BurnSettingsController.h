#pragma once

// The burn sheet: what to make (a disc, a video folder, a media folder, an image), where, under
// which name, how many copies, PAL or NTSC, the burner and its disc, and the status line that
// says whether the start may go. What the sheet holds is a BurnSettings value kept here; the
// widgets show it and report what the user changes. The start itself is the main window
// controller's.
//
// Owned by the main window controller; the sheet belongs to the main window's view. Main thread.

#include "app/production/BurnSettings.h"

#include <QObject>
#include <functional>
#include <memory>

class BurnSettingWindow;
class DVDBurn;
class EditingProject;

class BurnSettingsController : public QObject
{
    Q_OBJECT
public:
    // usedBytes answers the project's estimate, which the disc's writable space must hold.
    BurnSettingsController(EditingProject &project,
                           BurnSettingWindow &sheet,
                           std::shared_ptr<DVDBurn> burner,
                           std::function<qint64()> usedBytes);

    // The sheet's value: what the widgets show, with the fields as typed.
    Discwright::BurnSettings settings() const;
    bool canBurn() const { return m_canBurn; }

    // Opens the sheet for a new start: the standard of the user's region, the default folder and
    // name, the burners, the disc kind.
    void p_doExportFunction();
    void awakeDVDBurnSettingWindow();
    // The status line; ready shows it in blue, anything else in red.
    void setStatus(const QString &text, bool ready);
    QString statusString() const { return m_status; }
    bool isStatusReady() const { return m_statusReady; }
    void changeDVDBurnDevice();
    void selectDVDDeviceWithIndex(int index);
    void deviceChangedAction();
    void devicesDidChanged();
    void updateDVDBurnStatus();
    void burnTypeChangedAction();
    void chooseFolderAction();
    void cancelBurnAction();
    void changeBurnDVDNumberAction();
    int getBurnDVDCopyiedTimes() const;
    // The folder the folder kinds write into.
    QString selectedOutputFolder() const { return m_settings.outputFolder; }
    void setSelectedOutputFolder(const QString &folder);

private:
    void readFields();

    EditingProject &m_project;
    BurnSettingWindow &m_sheet;
    std::shared_ptr<DVDBurn> m_burner;
    std::function<qint64()> m_usedBytes;
    Discwright::BurnSettings m_settings;
    QString m_status;
    bool m_statusReady = false;
    bool m_canBurn = false;
};
