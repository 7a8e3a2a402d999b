#include "app/Controller/BurnSettingsController.h"

#include "Platterkit/burn/DVDBurn.h"
#include "app/AppExtention/DVDLibraryExtention.h"
#include "app/AppExtention/Document/EditingProject.h"
#include "app/AppExtention/Function/AppLog.h"
#include "app/AppExtention/Function/FileManagerExtention.h"
#include "app/Controller/Panels/OpenPanel.h"
#include "app/View/MainView/BurnSettingWindow.h"
#include "app/production/ProductionStartRules.h"
#include "platform/MainThread.h"
#include "platform/StringTable.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace Discwright;

namespace {

QString text(const char *key)
{
    return platform::localizedString(QString::fromUtf8(key));
}

} // namespace

BurnSettingsController::BurnSettingsController(EditingProject &project,
                                               BurnSettingWindow &sheet,
                                               std::shared_ptr<DVDBurn> burner,
                                               std::function<qint64()> usedBytes)
    : m_project(project)
    , m_sheet(sheet)
    , m_burner(std::move(burner))
    , m_usedBytes(std::move(usedBytes))
{
    DW_ASSERT_MAIN_THREAD();
    // The value follows every change of the widgets, typed or set.
    connect(m_sheet.dvdNameField(), &QLineEdit::textChanged, this, [this](const QString &name) {
        m_settings.discNameText = name;
    });
    connect(m_sheet.burnDVDNumberTextField(),
            &QLineEdit::textChanged,
            this,
            [this](const QString &copies) { m_settings.copiesText = copies; });
    connect(m_sheet.tvStandardType(), &QButtonGroup::idToggled, this, [this](int id, bool on) {
        if (on)
            m_settings.format = id == 0 ? 0 : 1;
    });
    connect(m_sheet.burnType(), &QButtonGroup::idToggled, this, [this](int id, bool on) {
        if (on)
            m_settings.kind
                = id < 0 ? OutputNaming::OutputKind::Disc : OutputNaming::OutputKind(id);
    });
    connect(m_sheet.burnType(),
            &QButtonGroup::idClicked,
            this,
            &BurnSettingsController::burnTypeChangedAction);
    connect(m_sheet.devicePopButton(),
            &QComboBox::activated,
            this,
            &BurnSettingsController::deviceChangedAction);
    connect(m_sheet.chooseFolderButton(),
            &QPushButton::clicked,
            this,
            &BurnSettingsController::chooseFolderAction);
    connect(m_sheet.burnDVDNumberTextField(),
            &QLineEdit::editingFinished,
            this,
            &BurnSettingsController::changeBurnDVDNumberAction);
    connect(m_sheet.cancelButton(),
            &QPushButton::clicked,
            this,
            &BurnSettingsController::cancelBurnAction);
    readFields();
}

void BurnSettingsController::readFields()
{
    m_settings.discNameText = m_sheet.dvdNameField()->text();
    m_settings.copiesText = m_sheet.burnDVDNumberTextField()->text();
    m_settings.format = m_sheet.tvStandardType()->checkedId() == 0 ? 0 : 1;
    const int kind = m_sheet.burnType()->checkedId();
    m_settings.kind = kind < 0 ? OutputNaming::OutputKind::Disc : OutputNaming::OutputKind(kind);
}

BurnSettings BurnSettingsController::settings() const
{
    return m_settings;
}

void BurnSettingsController::p_doExportFunction()
{
    const int standard = DVDLibraryExtention::isDefaultUseDVDNTSC() ? 0 : 1;
    m_sheet.tvStandardType()->button(standard)->setChecked(true);
    awakeDVDBurnSettingWindow();
    m_sheet.open();
}

void BurnSettingsController::awakeDVDBurnSettingWindow()
{
    setSelectedOutputFolder(FileManagerExtention::defaultOutputPath());
    m_sheet.dvdNameField()->setText(text("DVD Name"));
    setStatus(text("Ready to burn"), true);
    changeDVDBurnDevice();
    m_sheet.burnType()->button(0)->setChecked(true);
    burnTypeChangedAction();
}

void BurnSettingsController::setStatus(const QString &status, bool ready)
{
    m_status = status;
    m_statusReady = ready;
    QLabel *label = m_sheet.statusLabel();
    label->setText(status);
    label->setStyleSheet(ready ? QStringLiteral("color: blue;") : QStringLiteral("color: red;"));
}

void BurnSettingsController::changeDVDBurnDevice()
{
    QComboBox *popup = m_sheet.devicePopButton();
    popup->clear();
    const auto devices = m_burner->devices();
    for (const auto &device : devices)
        if (!device->displayName().isEmpty())
            popup->addItem(device->displayName(), device->address());
    if (!devices.isEmpty())
        selectDVDDeviceWithIndex(0);
}

void BurnSettingsController::selectDVDDeviceWithIndex(int index)
{
    QComboBox *popup = m_sheet.devicePopButton();
    const auto devices = m_burner->devices();
    if (index < 0 || index >= popup->count() || index >= devices.size())
        return;
    popup->setCurrentIndex(index);
    m_burner->setDevice(devices[index]);
}

void BurnSettingsController::deviceChangedAction()
{
    selectDVDDeviceWithIndex(m_sheet.devicePopButton()->currentIndex());
    updateDVDBurnStatus();
}

void BurnSettingsController::devicesDidChanged()
{
    changeDVDBurnDevice();
    updateDVDBurnStatus();
}

void BurnSettingsController::updateDVDBurnStatus()
{
    if (m_settings.kind != OutputNaming::OutputKind::Disc)
        return;
    m_canBurn = false;
    if (m_project.titleCount() == 0)
        setStatus(text("Please import some media."), false);
    else if (m_burner->devices().isEmpty() || !m_burner->device())
        setStatus(text("NO Device."), false);
    else if (!m_burner->mediaIsPresent())
        setStatus(text("No disc,please insert a blank disc."), false);
    else if (!m_burner->mediaIsBlank())
        setStatus(text("Disc not blank,please insert a blank disc."), false);
    else if (m_burner->mediaWritableSpace() < m_usedBytes())
        setStatus(text("Disc space is not enough."), false);
    else {
        setStatus(text("Ready to burn"), true);
        m_canBurn = true;
    }
    if (m_burner->device() && m_burner->mediaIsPresent()) {
        qCInfo(lcShell) << "blank:" << m_burner->mediaIsBlank();
        qCInfo(lcShell) << "free:" << m_burner->mediaFreeSpace();
        qCInfo(lcShell) << "used:" << m_burner->mediaUsedSpace();
        qCInfo(lcShell) << "writable:" << m_burner->mediaWritableSpace();
        qCInfo(lcShell) << "IsOverwritable:" << m_burner->mediaOverWritableSpace();
    }
    m_sheet.startButton()->setEnabled(m_canBurn);
}

void BurnSettingsController::setSelectedOutputFolder(const QString &folder)
{
    m_settings.outputFolder = folder;
    m_sheet.selectedDirLabel()->setText(folder);
}

void BurnSettingsController::burnTypeChangedAction()
{
    const bool disc = m_settings.kind == OutputNaming::OutputKind::Disc;
    m_sheet.dvdOptionView()->setVisible(disc);
    m_sheet.chooseFolderView()->setVisible(!disc);
    if (disc) {
        updateDVDBurnStatus();
        return;
    }
    m_canBurn = false;
    const bool hasTitles = m_project.titleCount() > 0;
    if (hasTitles && QFileInfo(selectedOutputFolder()).isDir()) {
        m_canBurn = true;
        setStatus(text("Ready to burn"), true);
    } else if (hasTitles) {
        setStatus(text("Please choose an output Directory."), false);
    } else {
        setStatus(text("Please import some media."), false);
    }
    m_sheet.startButton()->setEnabled(m_canBurn);
}

void BurnSettingsController::chooseFolderAction()
{
    const QString folder = OpenPanel::shared().chooseDirectory(
        &m_sheet, text("Choose Directory"), text("Choose"), selectedOutputFolder());
    if (folder.isEmpty())
        return;
    setSelectedOutputFolder(folder);
    burnTypeChangedAction();
}

void BurnSettingsController::cancelBurnAction()
{
    m_sheet.reject();
}

int BurnSettingsController::getBurnDVDCopyiedTimes() const
{
    return ProductionStartRules::burnCopiesFromText(m_settings.copiesText);
}

void BurnSettingsController::changeBurnDVDNumberAction()
{
    m_sheet.burnDVDNumberTextField()->setText(QString::number(getBurnDVDCopyiedTimes()));
}
