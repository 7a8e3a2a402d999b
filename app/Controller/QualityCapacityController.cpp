#include "app/Controller/QualityCapacityController.h"

#include "app/AppExtention/Document/EditingProject.h"
#include "app/AppExtention/Function/AppLog.h"
#include "app/View/MainView/CustomCapacityView.h"
#include "app/View/MainView/CustomQualityWindow.h"
#include "app/View/MainView/MainWindowView.h"
#include "app/production/DiscQuality.h"
#include "app/production/DiscSizeEstimate.h"
#include "platform/MainThread.h"
#include "platform/StringTable.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSlider>

using namespace Discwright;

QualityCapacityController::QualityCapacityController(EditingProject &project, MainWindowView &view)
    : m_project(project)
    , m_view(view)
{
    DW_ASSERT_MAIN_THREAD();
    CustomQualityWindow *sheet = m_view.customQualityWnd();
    connect(sheet->slider(),
            &QSlider::valueChanged,
            this,
            &QualityCapacityController::customQualitySliderAction);
    connect(sheet->field(),
            &QLineEdit::editingFinished,
            this,
            &QualityCapacityController::customQualityFieldAction);
    connect(sheet->okButton(),
            &QPushButton::clicked,
            this,
            &QualityCapacityController::finishCustomQualityWindow);
    connect(m_view.dvdModelPopButton(),
            &QComboBox::activated,
            this,
            &QualityCapacityController::dvdModelChangedAction);

    // Everything the estimate reads: the titles and their clips, the pages, the rate and type.
    const auto gauge = [this] { changeCapacityValue(); };
    connect(&m_project, &EditingProject::titlesInserted, this, gauge);
    connect(&m_project, &EditingProject::titlesRemoved, this, gauge);
    connect(&m_project, &EditingProject::titleChanged, this, gauge);
    connect(&m_project, &EditingProject::pageItemsChanged, this, gauge);
    connect(&m_project, &EditingProject::pageAdded, this, gauge);
    connect(&m_project, &EditingProject::pageRemoved, this, gauge);
    connect(&m_project, &EditingProject::settingsChanged, this, [this] {
        showDiscType();
        changeCapacityValue();
    });
    connect(&m_project, &EditingProject::projectReplaced, this, [this] { loadFromProject(); });
}

void QualityCapacityController::initQualityPopBtn()
{
    QMenu *menu = m_view.qualityMenu();
    menu->clear();
    const QStringList titles = DiscQuality::qualityTitleKeys();
    for (int tag = 0; tag < titles.size(); ++tag) {
        QAction *item = menu->addAction(platform::localizedString(titles[tag]));
        item->setData(tag);
        connect(item, &QAction::triggered, this, [this, tag] { chooseExistQualityAction(tag); });
    }
    menu->addSeparator();
    QAction *custom = menu->addAction(DiscQuality::customQualityTitle(m_customDvdBitrate));
    custom->setData(DiscQuality::kCustomQualityTag);
    connect(
        custom, &QAction::triggered, this, &QualityCapacityController::chooseCustomQualityAction);
    for (QAction *item : menu->actions()) {
        if (item->isSeparator())
            continue;
        item->setCheckable(true);
        item->setChecked(item->data().toInt() == m_selectedQualityTag);
        if (item->isChecked())
            m_view.dvdQualityPopBtn()->setText(item->text());
    }
}

void QualityCapacityController::loadFromProject()
{
    DW_ASSERT_MAIN_THREAD(return );
    // The custom item shows the opened project's own rate, not the last one typed.
    const qint64 rate = m_project.dvd()->dvdBitrate();
    m_customDvdBitrate = rate;
    m_selectedQualityTag = DiscQuality::qualityTagForBitrate(rate);
    initQualityPopBtn();
    showDiscType();
    changeCapacityValue();
}

void QualityCapacityController::chooseExistQualityAction(int tag)
{
    const qint64 rate = DiscQuality::bitrateForQualityTag(tag);
    DW_ASSERT(rate > 0, return );
    m_selectedQualityTag = tag;
    initQualityPopBtn();
    m_project.setDvdBitrate(rate);
}

void QualityCapacityController::chooseCustomQualityAction()
{
    CustomQualityWindow *sheet = m_view.customQualityWnd();
    m_customDvdBitrate = DiscQuality::clampCustomBitrate(m_project.dvd()->dvdBitrate());
    changeCapacityValue();
    {
        const QSignalBlocker blocker(sheet->slider());
        sheet->slider()->setValue(int(m_customDvdBitrate));
    }
    sheet->field()->setText(QString::number(m_customDvdBitrate));
    sheet->sizeLabel()->setText(m_customDvdWndSizeString);
    sheet->open();
    emit sheetOpened();
}

void QualityCapacityController::customQualitySliderAction(int value)
{
    CustomQualityWindow *sheet = m_view.customQualityWnd();
    m_customDvdBitrate = value;
    m_project.setDvdBitrate(m_customDvdBitrate);
    sheet->field()->setText(QString::number(m_customDvdBitrate));
    sheet->sizeLabel()->setText(m_customDvdWndSizeString);
}

void QualityCapacityController::customQualityFieldAction()
{
    CustomQualityWindow *sheet = m_view.customQualityWnd();
    m_customDvdBitrate = DiscQuality::clampCustomBitrate(sheet->field()->text().toLongLong());
    m_project.setDvdBitrate(m_customDvdBitrate);
    sheet->field()->setText(QString::number(m_customDvdBitrate));
    const QSignalBlocker blocker(sheet->slider());
    sheet->slider()->setValue(int(m_customDvdBitrate));
    sheet->sizeLabel()->setText(m_customDvdWndSizeString);
}

void QualityCapacityController::finishCustomQualityWindow()
{
    // A value typed but not yet committed counts, as it would when the field loses focus.
    customQualityFieldAction();
    m_selectedQualityTag = DiscQuality::kCustomQualityTag;
    initQualityPopBtn();
    m_view.customQualityWnd()->accept();
}

void QualityCapacityController::dvdModelChangedAction()
{
    qCInfo(lcShell, "dvd model change");
    m_project.setDiscType(
        DiscSizeEstimate::discTypeForIndex(m_view.dvdModelPopButton()->currentIndex()));
}

void QualityCapacityController::showDiscType()
{
    const QSignalBlocker blocker(m_view.dvdModelPopButton());
    m_view.dvdModelPopButton()->setCurrentIndex(int(m_project.discType()));
}

void QualityCapacityController::changeCapacityValue()
{
    DW_ASSERT_MAIN_THREAD(return );
    ++m_gaugeRefreshes;
    const auto type = m_project.discType();
    m_totalUsedSpace = m_project.estimatedBytes() + m_addedBytes;
    m_view.capacityLabel()->setText(DiscSizeEstimate::capacityLabel(m_totalUsedSpace, type));
    m_view.capacityView()->setCapacityValue(
        DiscSizeEstimate::capacityFraction(m_totalUsedSpace, type));
    m_view.capacityView()->update();
    m_customDvdWndSizeString = DiscSizeEstimate::customSizeText(m_totalUsedSpace);
    m_view.customQualityWnd()->sizeLabel()->setText(m_customDvdWndSizeString);
}
