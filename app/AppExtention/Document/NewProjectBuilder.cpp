#include "app/AppExtention/Document/NewProjectBuilder.h"

#include "app/AppExtention/Document/DocumentLog.h"
#include "app/AppExtention/TitlePageEdits.h"

namespace NewProjectBuilder {

ProjectContents build(qint64 bitrateKbps)
{
    ProjectContents contents;
    contents.tempDvdData = std::make_shared<TempDvdData>();
    auto dvd = std::make_shared<DVDLibrary>();
    dvd->setAutoMenus(false);
    dvd->setDvdBitrate(bitrateKbps);
    dvd->setPlayFirstTitle(false);
    dvd->setPlayTitleSequence(true);
    dvd->setMenuLoop(true);
    dvd->setFormat(1);
    dvd->setAspectType(1);
    DVDMenuRef page;
    if (const auto blank = TitlePageEdits::blankTemplatePage(1))
        page = std::dynamic_pointer_cast<DVDMenu>(blank->copy());
    if (page) {
        TitlePageEdits::removeAllTitlesInNewMenu(*page, false, contents.tempDataArray);
    } else {
        qCWarning(Discwright::lcDocument)
            << "no blank template page: the new project's page is empty";
        page = std::make_shared<DVDMenu>();
        page->setMenuSize(DVDMenu::menuSizeForAspectType(1));
    }
    dvd->setMenus({page});
    contents.dvd = dvd;
    return contents;
}

} // namespace NewProjectBuilder
