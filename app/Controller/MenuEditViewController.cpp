#include "app/Controller/MenuEditViewController.h"

#include "Platterkit/model/DVDLibrary.h"
#include "Platterkit/model/DVDMenuTextResource.h"
#include "app/AppExtention/Convert/TempDvdData.h"
#include "app/AppExtention/DVDMenuItemExtention.h"
#include "app/AppExtention/Document/EditingProject.h"
#include "app/AppExtention/Function/ApplicationImage.h"
#include "app/AppExtention/Function/ArrayExtention.h"
#include "app/AppExtention/Function/MainWindowControllerInterface.h"
#include "app/AppExtention/MenuTitleItems.h"
#include "app/View/MenuEditView/CanvasBgView.h"
#include "app/View/MenuEditView/NoMenuView.h"
#include "app/View/MenuEditView/ShapeView.h"
#include "platform/MainThread.h"

class MenuEditViewController::RedrawBatch
{
public:
    explicit RedrawBatch(MenuEditViewController &editor)
        : m_editor(editor)
    {
        ++m_editor.m_redrawBatchDepth;
    }
    ~RedrawBatch()
    {
        if (--m_editor.m_redrawBatchDepth == 0 && m_editor.m_redrawWanted)
            m_editor.paintCanvas();
    }
    RedrawBatch(const RedrawBatch &) = delete;
    RedrawBatch &operator=(const RedrawBatch &) = delete;

private:
    MenuEditViewController &m_editor;
};

namespace {

// The text object learns which item it styles before the canvas draws or edits it.
void linkTextToItem(const DVDMenuItemRef &item)
{
    if (DVDMenuTextResource *text = item->textResource())
        text->setMenuItem(item);
}

} // namespace

MenuEditViewController::MenuEditViewController(MainWindowControllerInterface &owner)
    : m_owner(owner)
{
    DW_ASSERT_MAIN_THREAD();
}

MenuEditViewController::~MenuEditViewController() = default;

void MenuEditViewController::setCanvasView(CanvasBgView *view)
{
    m_canvasView = view;
    if (!m_canvasView)
        return;
    m_canvasView->setHost(this);
    m_canvasView->shapeView()->setSelectedItemArray(m_selectedItems);
}

ShapeView *MenuEditViewController::shapeView() const
{
    return m_canvasView ? m_canvasView->shapeView() : nullptr;
}

void MenuEditViewController::setNoMenuView(NoMenuView *view)
{
    m_noMenuView = view;
    if (m_noMenuView)
        m_noMenuView->setVisible(m_noMenuViewShown);
}

bool MenuEditViewController::isNoMenuViewShown() const
{
    return m_noMenuView ? !m_noMenuView->isHidden() : m_noMenuViewShown;
}

std::shared_ptr<DVDLibrary> MenuEditViewController::dvd() const
{
    return m_owner.dvd();
}

bool MenuEditViewController::showPlayBtn() const
{
    const auto settings = m_owner.tempDvdData();
    return settings ? settings->dvdShowPlayButton() : true;
}

// --- Page and flags -------------------------------------------------------------------------------

std::shared_ptr<DVDMenu> MenuEditViewController::pageInDisc() const
{
    const auto disc = dvd();
    if (!disc)
        return nullptr;
    const auto menus = disc->menus();
    if (m_menuPage && menus.contains(m_menuPage))
        return m_menuPage;
    const auto current = disc->currentMenu();
    if (current && menus.contains(current))
        return current;
    return ArrayExtention::firstObject(menus);
}

void MenuEditViewController::initMenuEditItems()
{
    DW_ASSERT_MAIN_THREAD(return );
    const auto disc = dvd();
    DW_ASSERT(disc, return );
    m_aspectIndex = int(disc->aspectType());
    m_lastTimeAspect = m_aspectIndex;
    m_noMenu = disc->noMenu();
    updateShowNoMenuView();
}

void MenuEditViewController::updateMenuPage(const std::shared_ptr<DVDMenu> &page)
{
    DW_ASSERT_MAIN_THREAD(return );
    RedrawBatch batch(*this);
    m_menuPage = page;
    if (m_canvasView)
        m_canvasView->updateViewBoundsWhenMenuChange();
    updateLastNextPageButton();
    clearShapeViewSelection();
}

void MenuEditViewController::updateShowNoMenuView()
{
    DW_ASSERT_MAIN_THREAD(return );
    if (m_noMenuViewShown == m_noMenu)
        return;
    m_noMenuViewShown = m_noMenu;
    if (m_noMenuView) {
        m_noMenuView->setVisible(m_noMenuViewShown);
        if (m_noMenuViewShown)
            m_noMenuView->raise();
    }
    // The cover takes the keyboard from the canvas, and gives it back when it goes.
    if (ShapeView *shape = shapeView()) {
        if (m_noMenuViewShown)
            shape->clearFocus();
        else if (shape->window()->isActiveWindow())
            shape->setFocus(Qt::OtherFocusReason);
    }
    displayCanvasView();
}

void MenuEditViewController::noMenuChangedAction(bool noMenu)
{
    DW_ASSERT_MAIN_THREAD(return );
    m_noMenu = noMenu;
    updateShowNoMenuView();
    if (EditingProject *project = m_owner.project())
        project->setNoMenu(noMenu);
    else if (const auto disc = dvd())
        disc->setNoMenu(noMenu);
    updateLastNextPageButton();
    m_owner.changeCapacityValue();
    // Commands such as Delete then act on the title list.
    if (noMenu && m_sourceFocusSet)
        m_sourceFocusSet(true);
    emit selectionUpdated();
    canvasDidEdit();
}

// --- Canvas -----------------------------------------------------------------------------------------

void MenuEditViewController::displayCanvasView()
{
    DW_ASSERT_MAIN_THREAD(return );
    if (m_menuPage) {
        const auto shown = pageInDisc();
        if (shown != m_menuPage) {
            updateMenuPage(shown);
            return;
        }
    }
    if (m_redrawBatchDepth > 0) {
        m_redrawWanted = true;
        return;
    }
    paintCanvas();
}

void MenuEditViewController::paintCanvas()
{
    m_redrawWanted = false;
    ++m_canvasRedraws;
    if (!m_canvasView)
        return;
    m_canvasView->redraw();
}

// --- Item lists -------------------------------------------------------------------------------------

QList<std::shared_ptr<DVDMenu>> MenuEditViewController::dvdMenuArray() const
{
    const auto disc = dvd();
    return disc ? disc->menus() : QList<std::shared_ptr<DVDMenu>>();
}

DVDMenuItemList MenuEditViewController::textItemArray() const
{
    DVDMenuItemList list;
    if (!m_menuPage)
        return list;
    for (const DVDMenuItemRef &item : m_menuPage->items()) {
        if (!item || !DVDMenuItemExtention::isStaticText(*item))
            continue;
        linkTextToItem(item);
        list << item;
    }
    return list;
}

DVDMenuItemList MenuEditViewController::menuItemArray() const
{
    DVDMenuItemList list;
    if (!m_menuPage)
        return list;
    for (const DVDMenuItemRef &item : m_menuPage->items()) {
        if (!item || DVDMenuItemExtention::isStaticText(*item) || item->isButtonItem())
            continue;
        if (DVDMenuItemExtention::isTextTitle(*item))
            linkTextToItem(item);
        list << item;
    }
    return list;
}

DVDMenuItemList MenuEditViewController::menuItemButtonArray() const
{
    DVDMenuItemList list;
    if (!m_menuPage)
        return list;
    const bool showPlay = showPlayBtn();
    for (const DVDMenuItemRef &item : m_menuPage->items()) {
        if (!item || !item->isButtonItem())
            continue;
        const bool shown
            = DVDMenuItemExtention::isPlayButtonItem(*item) ? showPlay : bool(item->jump());
        if (shown)
            list << item;
    }
    return list;
}

DVDMenuItemList MenuEditViewController::sourceArray() const
{
    return textItemArray() + menuItemArray() + menuItemButtonArray();
}

DVDMenuItemList MenuEditViewController::sourceArrayForDraw() const
{
    return menuItemArray() + textItemArray() + menuItemButtonArray();
}

// --- Selection --------------------------------------------------------------------------------------

DVDMenuItemList MenuEditViewController::selectedItemArray() const
{
    if (const ShapeView *shape = shapeView())
        return shape->selectedItemArray();
    return m_selectedItems;
}

void MenuEditViewController::setSelectedItemArray(const DVDMenuItemList &items)
{
    DW_ASSERT_MAIN_THREAD(return );
    RedrawBatch batch(*this);
    m_selectedItems = items;
    if (ShapeView *shape = shapeView())
        shape->setSelectedItemArray(items);
    displayCanvasView();
    shapeViewSelectionUpdate();
}

void MenuEditViewController::shapeViewSelectionUpdate()
{
    DW_ASSERT_MAIN_THREAD(return );
    RedrawBatch batch(*this);
    const TempEditDataList records = m_owner.tempDataArray();
    const DVDMenuItemList selected = selectedItemArray();
    for (const DVDMenuItemRef &item : selected)
        if (item)
            MenuTitleItems::changeTempEditDataOldFrameWhenShapeViewMove(*item, records);
    updateCurrentItem(selected.size() == 1 ? selected.first() : nullptr);
    emit selectionUpdated();
}

void MenuEditViewController::updateCurrentItem(const DVDMenuItemRef &item)
{
    DW_ASSERT_MAIN_THREAD(return );
    m_currentItem = item;
    displayCanvasView();
    emit hasSelectedItemChanged(bool(item));
}

void MenuEditViewController::clearShapeViewSelection()
{
    DW_ASSERT_MAIN_THREAD(return );
    RedrawBatch batch(*this);
    m_selectedItems.clear();
    if (ShapeView *shape = shapeView())
        shape->setSelectedItemArray({});
    displayCanvasView();
    shapeViewSelectionUpdate();
}

// --- Paging -----------------------------------------------------------------------------------------

bool MenuEditViewController::isCurrentMenuPageMainMenu() const
{
    return !m_menuPage || !m_menuPage->parent();
}

QList<std::shared_ptr<DVDMenu>> MenuEditViewController::mainMenusArray() const
{
    QList<std::shared_ptr<DVDMenu>> list;
    for (const auto &page : dvdMenuArray())
        if (page && !page->parent())
            list << page;
    return list;
}

QList<std::shared_ptr<DVDMenu>> MenuEditViewController::subMenusArray() const
{
    QList<std::shared_ptr<DVDMenu>> list;
    const auto disc = dvd();
    if (!disc || isCurrentMenuPageMainMenu())
        return list;
    const ObjectRef parentItem = m_menuPage->parent();
    // A title item that has left every page leaves its sub-menus without a page to go back to.
    if (const auto holder = disc->menuForItem(parentItem))
        list << holder;
    list << disc->submenusForMenuItem(parentItem);
    return list;
}

bool MenuEditViewController::hasLastMenu() const
{
    if (!m_menuPage)
        return false;
    const auto pages = isCurrentMenuPageMainMenu() ? mainMenusArray() : subMenusArray();
    return bool(ArrayExtention::previousObject(pages, m_menuPage));
}

QString MenuEditViewController::previousMenuImageName() const
{
    return hasLastMenu() && !m_noMenu ? QStringLiteral("Previous") : QStringLiteral("Previous 2");
}

QImage MenuEditViewController::previousMenuImage() const
{
    return ApplicationImage::imageNamed(previousMenuImageName());
}

void MenuEditViewController::updateLastNextPageButton()
{
    ++m_pagingStateChanges;
    emit pagingStateChanged();
}

void MenuEditViewController::previousPageAction()
{
    DW_ASSERT_MAIN_THREAD(return );
    if (!m_menuPage)
        return;
    const auto pages = isCurrentMenuPageMainMenu() ? mainMenusArray() : subMenusArray();
    if (const auto previous = ArrayExtention::previousObject(pages, m_menuPage))
        updateMenuPage(previous);
}

// --- Canvas host -------------------------------------------------------------------------------------

TempEditDataList MenuEditViewController::canvasStyleRecords() const
{
    return m_owner.tempDataArray();
}

void MenuEditViewController::setCanvasItemFrame(const DVDMenuItemRef &item, const QRectF &frame)
{
    DW_ASSERT_MAIN_THREAD(return );
    DW_ASSERT(item, return );
    EditingProject *project = m_owner.project();
    if (project && m_menuPage && m_menuPage->items().contains(item)) {
        project->setItemFrame(m_menuPage, item, frame);
        return;
    }
    item->setFrame(frame);
    displayCanvasView();
}

void MenuEditViewController::canvasDidEdit()
{
    if (EditingProject *project = m_owner.project())
        project->setEdited(true);
}

bool MenuEditViewController::firstResponderInSource() const
{
    return m_sourceFocusQuery ? m_sourceFocusQuery() : false;
}

void MenuEditViewController::canvasPressed()
{
    if (m_sourceFocusSet)
        m_sourceFocusSet(false);
}
