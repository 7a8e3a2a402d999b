#pragma once

// The menu editor of the main window: the page being edited, the lists of its items that the
// canvas selects and paints, the single selected item, paging back through main menus and
// sub-menus, the aspect and no-menu flags the editor shows, and the canvas redraw. It hosts the
// main window's canvas (CanvasBgView with its ShapeView, which keeps the selection) and the
// no-menu cover; its change notices are Qt signals.
//
// One instance for the life of the main window, owned by its MainWindowController (the owner
// passed in, which must outlive it) and reached by others through ControllerFunction. Every item
// list is read afresh from the page on each call; nothing is cached. The menu element dialogs are
// not built yet: their lookups answer null. Main thread only.

#include "Platterkit/model/DVDMenu.h"
#include "app/AppExtention/Function/MenuEditControllerInterface.h"
#include "app/View/MenuEditView/MenuCanvasHost.h"

#include <QImage>
#include <QList>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class DVDLibrary;
class CanvasBgView;
class MainWindowControllerInterface;
class NoMenuView;
class ShapeView;

class MenuEditViewController : public QObject,
                               public MenuEditControllerInterface,
                               public MenuCanvasHost
{
    Q_OBJECT
public:
    explicit MenuEditViewController(MainWindowControllerInterface &owner);
    ~MenuEditViewController() override;

    // The canvas; null (as in tests without a window) only counts redraws. The view belongs to the
    // main window; the editor becomes its host.
    void setCanvasView(CanvasBgView *view);
    CanvasBgView *canvasView() const { return m_canvasView; }
    ShapeView *shapeView() const;
    // The cover shown in no-menu mode; it belongs to the main window.
    void setNoMenuView(NoMenuView *view);
    NoMenuView *noMenuView() const { return m_noMenuView; }
    // How the editor reads and sets the main window's "the title list has the keyboard".
    void setSourceFocus(std::function<bool()> query, std::function<void(bool)> set)
    {
        m_sourceFocusQuery = std::move(query);
        m_sourceFocusSet = std::move(set);
    }

    // --- Page and flags ---------------------------------------------------------------------------
    // The page shown; null until the first updateMenuPage.
    std::shared_ptr<DVDMenu> menuPage() const { return m_menuPage; }
    // menuPage while the disc holds it; otherwise the disc's current page while the disc holds
    // that, else its first page (null without pages).
    std::shared_ptr<DVDMenu> pageInDisc() const;
    // 0 = 4:3, 1 = 16:9: the aspect chosen in the editor.
    int aspectIndex() const { return m_aspectIndex; }
    void setAspectIndex(int index) { m_aspectIndex = index; }
    // The aspect that the item positions currently follow.
    int lastTimeAspect() const { return m_lastTimeAspect; }
    // The editor's copy of the disc's no-menu flag.
    bool noMenu() const { return m_noMenu; }
    void setNoMenu(bool noMenu) { m_noMenu = noMenu; }

    // Loads the aspect and the no-menu flag from the disc, then shows or hides the no-menu cover.
    // Called when the editor is made and after a project is opened.
    void initMenuEditItems();
    // Shows page (null shows none): the previous-page state follows it and the selection is
    // emptied, which redraws the canvas.
    void updateMenuPage(const std::shared_ptr<DVDMenu> &page);
    // The no-menu cover is shown exactly in no-menu mode; it takes the keyboard from the canvas.
    void updateShowNoMenuView();
    // The cover is up (without a window: the mode it would show).
    bool isNoMenuViewShown() const;
    // The no-menu check box changed: cover, the disc's flag, paging, the list takes the keyboard
    // when switched on, the commands are checked and the document is edited.
    void noMenuChangedAction(bool noMenu);

    // --- MenuEditControllerInterface --------------------------------------------------------------
    // Repaints the canvas: the page's still, or the backdrop alone under the no-menu cover or
    // without a page. At once, except inside an editor operation, whose redraws make one repaint
    // at its end. A page that has left the disc (the pages were rebuilt) is never painted: the
    // editor shows pageInDisc instead.
    void displayCanvasView() override;
    // The sub-menu marks are not drawn yet; nothing to refresh.
    void updateHasSubMenuItemImage() override {}
    // How many times the canvas was repainted.
    int canvasRedrawCount() const { return m_canvasRedraws; }

    // --- Item lists, in page order ----------------------------------------------------------------
    QList<std::shared_ptr<DVDMenu>> dvdMenuArray() const;
    // Static texts; each one's text object is told its item first.
    DVDMenuItemList textItemArray() const override;
    // Every item that is neither a static text nor a button: title items (a text title's text
    // object is told its item) and other decorations.
    DVDMenuItemList menuItemArray() const;
    // The buttons shown: a play button only while the play button is shown on the disc, any other
    // button only while it has a jump (a previous or next button without one is neither painted
    // nor selectable).
    DVDMenuItemList menuItemButtonArray() const;
    // What the canvas hit-tests and selects: static texts, then titles, then buttons.
    DVDMenuItemList sourceArray() const override;
    // The painting order, back to front: titles, then static texts, then buttons.
    DVDMenuItemList sourceArrayForDraw() const override;

    // --- Selection --------------------------------------------------------------------------------
    // The canvas's selection (ShapeView keeps it; without a canvas the editor does).
    DVDMenuItemList selectedItemArray() const;
    // The canvas selected items (in the order given): their style records remember their frames,
    // then currentItem follows.
    void setSelectedItemArray(const DVDMenuItemList &items);
    // The one selected item; null when none or several are selected.
    DVDMenuItemRef currentItem() const { return m_currentItem; }
    bool hasSelectedOneItem() const { return selectedItemArray().size() == 1; }
    void shapeViewSelectionUpdate() override;
    void updateCurrentItem(const DVDMenuItemRef &item);
    // Empties the selection and redraws the canvas.
    void clearShapeViewSelection();

    // --- Paging -----------------------------------------------------------------------------------
    // A main page has no parent item.
    bool isCurrentMenuPageMainMenu() const;
    // The disc's pages without a parent item, in disc order.
    QList<std::shared_ptr<DVDMenu>> mainMenusArray() const;
    // Empty on a main page; on a sub-menu page, the page that holds its parent item followed by
    // every sub-menu page of that item, in disc order.
    QList<std::shared_ptr<DVDMenu>> subMenusArray() const;
    // A page comes before menuPage in the list that applies.
    bool hasLastMenu() const;
    // "Previous" while a previous page exists and the disc has menus, else "Previous 2".
    QString previousMenuImageName() const;
    // The picture of previousMenuImageName (null while the resources hold none).
    QImage previousMenuImage() const;
    // Tells the paging state's observers (pagingStateChanged) that hasLastMenu and the previous
    // image may have changed.
    void updateLastNextPageButton();
    // Shows the page before menuPage; nothing without one.
    void previousPageAction();
    // How often the paging state was announced, for tests.
    int pagingStateChanges() const { return m_pagingStateChanges; }

    // --- MenuCanvasHost -----------------------------------------------------------------------------
    DVDMenuRef canvasPage() const override { return m_menuPage; }
    TempEditDataList canvasStyleRecords() const override;
    void setCanvasItemFrame(const DVDMenuItemRef &item, const QRectF &frame) override;
    void canvasDidEdit() override;
    bool firstResponderInSource() const override;
    void canvasPressed() override;

signals:
    // hasSelectedOneItem may have changed (after every change of the current item).
    void hasSelectedItemChanged(bool hasSelectedOneItem);
    // hasLastMenu and previousMenuImage may have changed.
    void pagingStateChanged();
    // The canvas selection or a selected frame changed: the main window checks its commands.
    void selectionUpdated();

private:
    // Collects the redraws of one editor operation into one repaint at its end.
    class RedrawBatch;

    std::shared_ptr<DVDLibrary> dvd() const;
    bool showPlayBtn() const;
    void paintCanvas();

    MainWindowControllerInterface &m_owner;
    CanvasBgView *m_canvasView = nullptr;
    NoMenuView *m_noMenuView = nullptr;
    std::function<bool()> m_sourceFocusQuery;
    std::function<void(bool)> m_sourceFocusSet;

    std::shared_ptr<DVDMenu> m_menuPage;
    DVDMenuItemRef m_currentItem;
    // The selection while no canvas keeps it.
    DVDMenuItemList m_selectedItems;
    int m_aspectIndex = 0;
    int m_lastTimeAspect = 0;
    bool m_noMenu = false;
    // The mode the cover shows (the cover's visibility follows it).
    bool m_noMenuViewShown = false;
    int m_canvasRedraws = 0;
    int m_redrawBatchDepth = 0;
    bool m_redrawWanted = false;
    int m_pagingStateChanges = 0;
};
