#include "app/Controller/SourceViewController.h"

#include "app/AppExtention/Convert/MediaData.h"
#include "app/AppExtention/Document/EditingProject.h"
#include "app/AppExtention/Function/CommonFunction.h"
#include "app/Controller/Panels/OpenPanel.h"
#include "platform/MainThread.h"
#include "platform/StringTable.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QHeaderView>
#include <QPointer>
#include <QTreeWidget>

SourceViewController::SourceViewController(EditingProject &project, QWidget *parent)
    : QObject(parent)
    , m_project(project)
    , m_table(new QTreeWidget(parent))
    , m_import(new TitleImport(this))
{
    m_table->setObjectName(QStringLiteral("sourceTableView"));
    m_table->setColumnCount(2);
    m_table->setHeaderLabels(
        {platform::localizedString("Name"), platform::localizedString("Time")});
    m_table->setRootIsDecorated(false);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->header()->setStretchLastSection(false);
    m_table->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_table->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);

    // One row per change: the rows a signal names, never the whole list.
    connect(&m_project, &EditingProject::titlesInserted, this, [this](qsizetype row, qsizetype n) {
        for (qsizetype i = 0; i < n; ++i) {
            m_table->insertTopLevelItem(int(row + i), new QTreeWidgetItem);
            fillRow(row + i);
        }
    });
    connect(&m_project, &EditingProject::titlesRemoved, this, [this](qsizetype row, qsizetype n) {
        for (qsizetype i = 0; i < n; ++i)
            delete m_table->takeTopLevelItem(int(row));
    });
    connect(&m_project, &EditingProject::titleMoved, this, [this](qsizetype from, qsizetype to) {
        QTreeWidgetItem *moved = m_table->takeTopLevelItem(int(from));
        const bool selected = moved && moved->isSelected();
        m_table->insertTopLevelItem(int(to), moved);
        if (selected)
            m_table->setCurrentItem(moved);
    });
    connect(&m_project, &EditingProject::titleChanged, this, &SourceViewController::fillRow);
    connect(&m_project,
            &EditingProject::projectReplaced,
            this,
            &SourceViewController::sourceMediaHasReload);
    sourceMediaHasReload();
}

SourceViewController::~SourceViewController() = default;

QWidget *SourceViewController::view() const
{
    return m_table;
}

QList<DVDTitleDataRef> SourceViewController::titleArray() const
{
    return m_project.titles();
}

int SourceViewController::selectionMode() const
{
    return selectedTitle() ? 1 : 0;
}

DVDTitleDataRef SourceViewController::selectedTitle() const
{
    const int row = m_table->currentItem() && m_table->currentItem()->isSelected()
                        ? m_table->indexOfTopLevelItem(m_table->currentItem())
                        : -1;
    const auto titles = titleArray();
    return row >= 0 && row < titles.size() ? titles[row] : nullptr;
}

void SourceViewController::addFilesToSourceButtonAction()
{
    DW_ASSERT_MAIN_THREAD(return );
    const QStringList paths = OpenPanel::shared().chooseFiles(
        m_table->window(), platform::localizedString("Add Video"));
    if (!paths.isEmpty())
        importFiles(paths);
}

bool SourceViewController::isImporting() const
{
    return m_import->isRunning();
}

bool SourceViewController::importFiles(const QStringList &paths, std::function<void()> done)
{
    DW_ASSERT_MAIN_THREAD(return false);
    return m_import->start(paths, {}, [this, done](QList<DVDTitleDataRef> titles, bool) {
        if (!titles.isEmpty()) {
            if (m_imported)
                m_imported(titles);
            else
                m_project.insertTitles(m_project.titleCount(), titles);
        }
        if (done)
            done();
    });
}

void SourceViewController::deleteAction()
{
    DW_ASSERT_MAIN_THREAD(return );
    const DVDTitleDataRef title = selectedTitle();
    if (!title)
        return;
    m_project.removeTitles(m_project.indexOfTitle(title));
}

void SourceViewController::sourceMediaHasReload()
{
    DW_ASSERT_MAIN_THREAD(return );
    m_table->clear();
    const qsizetype count = m_project.titleCount();
    for (qsizetype row = 0; row < count; ++row) {
        m_table->addTopLevelItem(new QTreeWidgetItem);
        fillRow(row);
    }
}

QString SourceViewController::titleTimeString(const DVDTitleData &title)
{
    qint64 us = 0;
    for (const VCMovieRef &movie : title.vcMovieList())
        us += movie->trimDuration();
    return CommonFunction::timeStrFromSecond(double(us) / 1e6);
}

void SourceViewController::fillRow(qsizetype row)
{
    const auto titles = titleArray();
    QTreeWidgetItem *item = m_table->topLevelItem(int(row));
    if (!item || row < 0 || row >= titles.size())
        return;
    item->setText(0, titles[row]->name());
    item->setText(1, titleTimeString(*titles[row]));
}
