#include "app/View/MainView/CustomQualityWindow.h"

#include "app/AppExtention/Function/CustomDigitFomatter.h"
#include "app/production/DiscQuality.h"
#include "platform/StringTable.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>

CustomQualityWindow::CustomQualityWindow(QWidget *parent)
    : QDialog(parent)
{
    using namespace Discwright;
    setObjectName(QStringLiteral("customQualityWnd"));
    setWindowTitle(platform::localizedString("Custom Quality"));
    setWindowModality(Qt::WindowModal);
    m_slider = new QSlider(Qt::Horizontal, this);
    m_slider->setRange(int(DiscQuality::kMinimumCustomBitrateKbps),
                       int(DiscQuality::kMaximumCustomBitrateKbps));
    m_slider->setSingleStep(100);
    m_slider->setPageStep(500);
    m_slider->setMinimumWidth(260);
    m_field = new QLineEdit(this);
    m_formatter = new CustomDigitFomatter(m_field);
    m_formatter->setMaxLength(4);
    m_field->setValidator(m_formatter);
    m_field->setMaxLength(4);
    m_field->setFixedWidth(64);
    m_sizeLabel = new QLabel(this);
    m_ok = new QPushButton(platform::localizedString("OK"), this);
    m_ok->setDefault(true);

    auto *grid = new QGridLayout(this);
    grid->addWidget(new QLabel(platform::localizedString("Video Bitrate:"), this), 0, 0);
    grid->addWidget(m_slider, 0, 1);
    auto *fieldRow = new QHBoxLayout;
    fieldRow->addWidget(m_field);
    fieldRow->addWidget(new QLabel(QStringLiteral("kbps"), this));
    grid->addLayout(fieldRow, 0, 2);
    grid->addWidget(new QLabel(platform::localizedString("Estimated Size:"), this), 1, 0);
    grid->addWidget(m_sizeLabel, 1, 1, 1, 2);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    grid->addLayout(buttons, 2, 0, 1, 3);
}
