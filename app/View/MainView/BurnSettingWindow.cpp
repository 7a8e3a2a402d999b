#include "app/View/MainView/BurnSettingWindow.h"

#include "platform/StringTable.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

QString text(const char *key)
{
    return platform::localizedString(QString::fromUtf8(key));
}

} // namespace

BurnSettingWindow::BurnSettingWindow(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("burnSettingWindow"));
    setWindowTitle(text("Burn Settings"));
    setWindowModality(Qt::WindowModal);

    auto *kinds = new QGroupBox(text("Output"), this);
    auto *kindsRow = new QHBoxLayout(kinds);
    m_burnType = new QButtonGroup(this);
    const char *kindTitles[] = {"DVD Disc", "DVD Folder", "DVD Media Folder", "ISO Image"};
    for (int tag = 0; tag < 4; ++tag) {
        auto *button = new QRadioButton(text(kindTitles[tag]), kinds);
        m_burnType->addButton(button, tag);
        kindsRow->addWidget(button);
    }

    m_dvdNameField = new QLineEdit(this);
    m_dvdNameField->setObjectName(QStringLiteral("dvdNameField"));
    auto *standards = new QWidget(this);
    auto *standardsRow = new QHBoxLayout(standards);
    standardsRow->setContentsMargins(0, 0, 0, 0);
    m_tvStandardType = new QButtonGroup(this);
    const char *standardTitles[] = {"NTSC", "PAL"};
    for (int tag = 0; tag < 2; ++tag) {
        auto *button = new QRadioButton(QString::fromUtf8(standardTitles[tag]), standards);
        m_tvStandardType->addButton(button, tag);
        standardsRow->addWidget(button);
    }
    standardsRow->addStretch();

    m_dvdOptionBox = new QGroupBox(this);
    auto *boxLayout = new QVBoxLayout(m_dvdOptionBox);

    m_dvdOptionView = new QWidget(m_dvdOptionBox);
    auto *options = new QFormLayout(m_dvdOptionView);
    m_devicePopButton = new QComboBox(m_dvdOptionView);
    m_devicePopButton->setMinimumWidth(240);
    // The status speaks for every kind (a missing folder too), so it stays below the options.
    m_statusLabel = new QLabel(this);
    m_statusLabel->setObjectName(QStringLiteral("statusLabel"));
    m_burnDVDNumberTextField = new QLineEdit(m_dvdOptionView);
    m_burnDVDNumberTextField->setFixedWidth(60);
    options->addRow(text("Device:"), m_devicePopButton);
    options->addRow(text("Copies:"), m_burnDVDNumberTextField);

    m_chooseFolderView = new QWidget(m_dvdOptionBox);
    auto *folderRow = new QHBoxLayout(m_chooseFolderView);
    m_selectedDirLabel = new QLabel(m_chooseFolderView);
    m_selectedDirLabel->setObjectName(QStringLiteral("selectedDirLabel"));
    m_selectedDirLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_selectedDirLabel->setMinimumWidth(280);
    m_chooseFolderButton = new QPushButton(text("Choose..."), m_chooseFolderView);
    folderRow->addWidget(new QLabel(text("Save to:"), m_chooseFolderView));
    folderRow->addWidget(m_selectedDirLabel, 1);
    folderRow->addWidget(m_chooseFolderButton);
    boxLayout->addWidget(m_dvdOptionView);
    boxLayout->addWidget(m_chooseFolderView);

    m_cancelButton = new QPushButton(text("Cancel"), this);
    m_startButton = new QPushButton(text("Start"), this);
    m_startButton->setDefault(true);

    auto *form = new QFormLayout;
    form->addRow(text("DVD Name:"), m_dvdNameField);
    form->addRow(text("TV Standard:"), standards);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(kinds);
    layout->addLayout(form);
    layout->addWidget(m_dvdOptionBox);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(new QLabel(text("Status:"), this));
    buttons->addWidget(m_statusLabel, 1);
    buttons->addWidget(m_cancelButton);
    buttons->addWidget(m_startButton);
    layout->addLayout(buttons);
    setMinimumWidth(560);
}
