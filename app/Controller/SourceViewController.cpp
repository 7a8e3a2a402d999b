#include "app/Controller/SourceViewController.h"

#include "app/AppExtention/Convert/MediaData.h"
#include "app/AppExtention/Function/CommonFunction.h"
#include "app/Controller/Panels/OpenPanel.h"
#include "platform/MainThread.h"
#include "platform/StringTable.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QHeaderView>
#include <QPointer>
#include <QTreeWidget>
#include <thread>

SourceViewController::SourceViewController(QWidget *parent)
    : QObject(parent)
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
}

SourceViewController::~SourceViewController() = default;

QWidget *SourceViewController::view() const
{
    return m_table;
}

void SourceViewController::setTitleArray(const QList<DVDTitleDataRef> &titles)
{
    m_titles = titles;
    reloadRows();
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
    return row >= 0 && row < m_titles.size() ? m_titles[row] : nullptr;
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
        m_titles += titles;
        reloadRows();
        if (m_imported && !titles.isEmpty())
            m_imported(titles);
        sourceMediaHasReload();
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
    m_titles.removeOne(title);
    sourceMediaHasReload();
}

void SourceViewController::sourceMediaHasReload()
{
    reloadRows();
    if (m_reload)
        m_reload();
}

QString SourceViewController::titleTimeString(const DVDTitleData &title)
{
    qint64 us = 0;
    for (const VCMovieRef &movie : title.vcMovieList())
        us += movie->trimDuration();
    return CommonFunction::timeStrFromSecond(double(us) / 1e6);
}

void SourceViewController::reloadRows()
{
    const DVDTitleDataRef selected = selectedTitle();
    m_table->clear();
    for (const DVDTitleDataRef &title : m_titles) {
        auto *row = new QTreeWidgetItem(m_table);
        row->setText(0, title->name());
        row->setText(1, titleTimeString(*title));
        if (title == selected)
            m_table->setCurrentItem(row);
    }
}
