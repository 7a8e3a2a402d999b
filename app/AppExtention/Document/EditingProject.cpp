#include "app/AppExtention/Document/EditingProject.h"

#include "Platterkit/model/DVDMenu.h"
#include "Platterkit/templates/DVDLibraryResource.h"
#include "app/AppExtention/Convert/MediaData.h"
#include "app/AppExtention/Document/NewProjectBuilder.h"
#include "app/AppExtention/MenuTitleItems.h"
#include "app/AppExtention/TitlePageEdits.h"
#include "platform/MainThread.h"

using namespace Discwright;

EditingProject::EditingProject(QObject *parent)
    : QObject(parent)
{
    DW_ASSERT_MAIN_THREAD();
    const ProjectContents contents = NewProjectBuilder::build();
    m_dvd = contents.dvd;
    m_tempDataArray = contents.tempDataArray;
    m_tempDvdData = contents.tempDvdData;
}

EditingProject::~EditingProject() = default;

// --- The project's objects ------------------------------------------------------------------------------------

DVDLibraryRef EditingProject::dvd() const
{
    return m_dvd;
}

TempEditDataList EditingProject::tempDataArray() const
{
    return m_tempDataArray;
}

TempDvdDataRef EditingProject::tempDvdData() const
{
    return m_tempDvdData;
}

QString EditingProject::packagePath() const
{
    return m_packagePath;
}

QString EditingProject::pathForResourcePath(const QString &relativePath) const
{
    return m_packagePath.isEmpty() ? QString() : m_packagePath + relativePath;
}

// --- Reads ----------------------------------------------------------------------------------------

QList<DVDTitleDataRef> EditingProject::titles() const
{
    QList<DVDTitleDataRef> list;
    for (const ObjectRef &object : m_dvd->titles())
        if (auto title = std::dynamic_pointer_cast<DVDTitleData>(object))
            list << title;
    return list;
}

qsizetype EditingProject::titleCount() const
{
    return titles().size();
}

qsizetype EditingProject::indexOfTitle(const DVDTitleDataRef &title) const
{
    return titles().indexOf(title);
}

bool EditingProject::hasTitleWithClips() const
{
    for (const DVDTitleDataRef &title : titles())
        if (!title->mediaArray().isEmpty())
            return true;
    return false;
}

qint64 EditingProject::estimatedBytes() const
{
    DiscSizeEstimate::DiscContent content;
    content.noMenu = m_dvd->noMenu();
    for (const DVDTitleDataRef &title : titles()) {
        DiscSizeEstimate::DiscContent::Title entry;
        entry.placedOnMenu = title->usedMenuItem() != nullptr;
        for (const MediaDataRef &media : title->mediaArray())
            if (media->movie())
                entry.clipSeconds.push_back(double(media->movie()->trimArrayDuration()) / 1e6);
        content.titles.push_back(std::move(entry));
    }
    if (m_tempDvdData->dvdHasWarningMedia())
        if (auto warning = std::dynamic_pointer_cast<MediaData>(m_tempDvdData->dvdWarningMedia()))
            if (warning->movie())
                content.warningSeconds = double(warning->movie()->trimDuration()) / 1e6;
    for (const auto &page : m_dvd->menus())
        content.pageSeconds.push_back(page->duration());
    return DiscSizeEstimate::estimatedBytes(content, m_dvd->dvdBitrate());
}

DVDLibraryResource &EditingProject::templateLibrary() const
{
    return *DVDLibraryResource::share();
}

// --- The whole project ------------------------------------------------------------------------------

void EditingProject::setContents(const ProjectContents &contents)
{
    DW_ASSERT_MAIN_THREAD(return );
    DW_ASSERT(contents.dvd && contents.tempDvdData, return );
    m_dvd = contents.dvd;
    m_tempDataArray = contents.tempDataArray;
    m_tempDvdData = contents.tempDvdData;
    emit projectReplaced();
}

void EditingProject::setPackagePath(const QString &path)
{
    DW_ASSERT_MAIN_THREAD(return );
    if (m_packagePath == path)
        return;
    m_packagePath = path;
    emit packagePathChanged(path);
}

void EditingProject::newProject(qint64 bitrateKbps)
{
    DW_ASSERT_MAIN_THREAD(return );
    setPackagePath(QString());
    setContents(NewProjectBuilder::build(bitrateKbps));
    setEdited(false);
}

void EditingProject::setStyleRecords(const TempEditDataList &records)
{
    m_tempDataArray = records;
}

// --- Titles -----------------------------------------------------------------------------------------

void EditingProject::setDiscTitles(const QList<DVDTitleDataRef> &titles)
{
    ObjectList objects;
    for (const DVDTitleDataRef &title : titles)
        objects << title;
    m_dvd->setTitles(objects);
    // Pagination, the titles' video size and the jumps follow the list.
    m_dvd->updateDVDMenu();
}

void EditingProject::insertTitles(qsizetype row,
                                  const QList<DVDTitleDataRef> &added,
                                  const DVDMenuRef &placeOn)
{
    DW_ASSERT_MAIN_THREAD(return );
    if (added.isEmpty())
        return;
    auto list = titles();
    row = std::clamp<qsizetype>(row, 0, list.size());
    for (qsizetype i = 0; i < added.size(); ++i)
        list.insert(row + i, added[i]);
    if (placeOn && !m_dvd->noMenu() && m_dvd->menus().contains(placeOn)) {
        const auto prototype = TitlePageEdits::aNewMenuTitleItem(m_dvd->aspectType());
        // The records are edited on a copy: the page's items may look their project up.
        TempEditDataList records = tempDataArray();
        for (const DVDTitleDataRef &title : added)
            MenuTitleItems::importTitle(*placeOn, title, prototype.get(), records);
        setStyleRecords(records);
    }
    setDiscTitles(list);
    changed();
    emit titlesInserted(row, added.size());
}

void EditingProject::removeTitles(qsizetype row, qsizetype count)
{
    DW_ASSERT_MAIN_THREAD(return );
    auto list = titles();
    DW_ASSERT(row >= 0 && count > 0 && row + count <= list.size(), return );
    list.remove(row, count);
    setDiscTitles(list);
    changed();
    emit titlesRemoved(row, count);
}

void EditingProject::moveTitle(qsizetype from, qsizetype to)
{
    DW_ASSERT_MAIN_THREAD(return );
    auto list = titles();
    DW_ASSERT(from >= 0 && from < list.size() && to >= 0 && to < list.size(), return );
    if (from == to)
        return;
    list.move(from, to);
    setDiscTitles(list);
    changed();
    emit titleMoved(from, to);
}

void EditingProject::renameTitle(qsizetype row, const QString &name)
{
    DW_ASSERT_MAIN_THREAD(return );
    const auto list = titles();
    DW_ASSERT(row >= 0 && row < list.size(), return );
    if (list[row]->name() == name)
        return;
    list[row]->setName(name);
    changed();
    emit titleChanged(row);
}

void EditingProject::noteTitleChanged(const DVDTitleDataRef &title)
{
    DW_ASSERT_MAIN_THREAD(return );
    const qsizetype row = indexOfTitle(title);
    DW_ASSERT(row >= 0, return );
    changed();
    emit titleChanged(row);
}

// --- Pages and style records ------------------------------------------------------------------------

void EditingProject::setItemFrame(const DVDMenuRef &page,
                                  const DVDMenuItemRef &item,
                                  const QRectF &frame)
{
    DW_ASSERT_MAIN_THREAD(return );
    DW_ASSERT(page && item && page->items().contains(item), return );
    if (item->frame() == frame)
        return;
    item->setFrame(frame);
    MenuTitleItems::changeTempEditDataOldFrameWhenShapeViewMove(*item, tempDataArray());
    changed();
    emit pageItemsChanged(page);
}

void EditingProject::setPageItems(const DVDMenuRef &page, const DVDMenuItemList &items)
{
    DW_ASSERT_MAIN_THREAD(return );
    DW_ASSERT(page, return );
    page->setItems(items);
    changed();
    emit pageItemsChanged(page);
}

void EditingProject::notePageItemsChanged(const DVDMenuRef &page)
{
    DW_ASSERT_MAIN_THREAD(return );
    DW_ASSERT(page, return );
    changed();
    emit pageItemsChanged(page);
}

void EditingProject::appendStyleRecord(const TempEditDataRef &record)
{
    DW_ASSERT_MAIN_THREAD(return );
    DW_ASSERT(record, return );
    if (m_tempDataArray.contains(record))
        return;
    m_tempDataArray << record;
    changed();
    emit styleRecordChanged(std::dynamic_pointer_cast<DVDMenuItem>(record->currentMedia()));
}

void EditingProject::noteStyleRecordChanged(const DVDMenuItemRef &item)
{
    DW_ASSERT_MAIN_THREAD(return );
    changed();
    emit styleRecordChanged(item);
}

DVDMenuRef EditingProject::addBlankPage()
{
    DW_ASSERT_MAIN_THREAD(return nullptr);
    const auto blank = TitlePageEdits::blankTemplatePage(m_dvd->aspectType() == 0 ? 0 : 1);
    if (!blank)
        return nullptr;
    auto page = std::dynamic_pointer_cast<DVDMenu>(blank->copy());
    DW_ASSERT(page, return nullptr);
    TempEditDataList records = tempDataArray();
    TitlePageEdits::removeAllTitlesInNewMenu(*page, false, records);
    setStyleRecords(records);
    auto menus = m_dvd->menus();
    menus << page;
    m_dvd->setMenus(menus);
    changed();
    emit pageAdded(page);
    return page;
}

void EditingProject::removePage(const DVDMenuRef &page)
{
    DW_ASSERT_MAIN_THREAD(return );
    DW_ASSERT(page && m_dvd->menus().contains(page), return );
    m_dvd->deleteDVDMenu(page);
    changed();
    emit pageRemoved(page);
}

// --- Settings ---------------------------------------------------------------------------------------

void EditingProject::setDvdBitrate(qint64 bitrateKbps)
{
    DW_ASSERT_MAIN_THREAD(return );
    if (m_dvd->dvdBitrate() == bitrateKbps)
        return;
    m_dvd->setDvdBitrate(bitrateKbps);
    changed();
    emit settingsChanged();
}

void EditingProject::setDiscType(DiscSizeEstimate::DiscType type)
{
    DW_ASSERT_MAIN_THREAD(return );
    if (m_discType == type)
        return;
    // The disc the gauge measures against is no part of the package: no change to save.
    m_discType = type;
    emit settingsChanged();
}

void EditingProject::setNoMenu(bool noMenu)
{
    DW_ASSERT_MAIN_THREAD(return );
    if (m_dvd->noMenu() == noMenu)
        return;
    m_dvd->setNoMenu(noMenu);
    changed();
    emit settingsChanged();
}

void EditingProject::noteSettingsChanged()
{
    DW_ASSERT_MAIN_THREAD(return );
    changed();
    emit settingsChanged();
}

void EditingProject::updateDvdMenu()
{
    DW_ASSERT_MAIN_THREAD(return );
    ++m_wholeRefreshes;
    m_dvd->updateDVDMenu();
    for (const auto &page : m_dvd->menus())
        emit pageItemsChanged(page);
}

// --- The edited mark --------------------------------------------------------------------------------

void EditingProject::setEdited(bool edited)
{
    DW_ASSERT_MAIN_THREAD(return );
    const bool was = isEdited();
    if (!edited || (m_dvd->titles().isEmpty() && packagePath().isEmpty()))
        m_changeCount = 0;
    else
        ++m_changeCount;
    if (isEdited() != was)
        emit editedChanged(isEdited());
}
