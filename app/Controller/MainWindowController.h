#pragma once

// The controller of the application's one main window: it owns the project being edited (the
// editing disc model, the items' style records and the disc-wide settings), creates the window's
// parts (title list, menu editor and its page still, tip popover, disc type, quality, capacity
// gauge, burn sheet, progress window, burner), keeps the window's edited state, enables the menu-bar commands and forwards them.
//
// One instance for the life of the process, made by AppDelegate and installed in
// ControllerFunction. Every method runs on the main thread except the four project answers of
// MainWindowControllerInterface, which hand out the current objects under a lock to any thread.

#include "app/AppExtention/Convert/TempDvdData.h"
#include "app/AppExtention/Convert/TempEditData.h"
#include "app/AppExtention/Function/MainWindowControllerInterface.h"
#include "app/Controller/MenuEditViewController.h"
#include "app/production/ConvertProgressWindowController.h"
#include "app/production/OutputNaming.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>
#include <mutex>

class BurnSettingWindow;
class ConvertProgressWindow;
class CustomCapacityView;
class CustomQualityWindow;
class DVDBurn;
class DVDBurnNotification;
class DVDLibraryResource;
class DVDMenu;
class DVDMenuItem;
class DVDTitleData;
class MenuPageStillView;
class QAction;
class QComboBox;
class QLabel;
class QMainWindow;
class QMenu;
class QPushButton;
class QToolButton;
class SourceViewController;
class TipViewController;

class MainWindowController : public QObject, public MainWindowControllerInterface
{
    Q_OBJECT
public:
    MainWindowController();
    ~MainWindowController() override;

    QMainWindow *window() const { return m_window; }

    // --- The project (MainWindowControllerInterface) ---------------------------------------------
    std::shared_ptr<DVDLibrary> dvd() const override;
    QList<std::shared_ptr<TempEditData>> tempDataArray() const override;
    std::shared_ptr<TempDvdData> tempDvdData() const override;
    QString pathForResourcePath(const QString &relativePath) const override;
    MenuEditViewController *menuEditController() const override { return m_menuEditor.get(); }
    void changeCapacityValue() override;

    // Replaces the editing objects (a project opened or made new), then the menu editor's
    // initMenuEditItems and initDVD.
    void setProject(const std::shared_ptr<DVDLibrary> &dvd,
                    const QList<std::shared_ptr<TempEditData>> &tempData,
                    const std::shared_ptr<TempDvdData> &tempDvdData);
    // The open package, empty while the project has no file.
    QString packagePath() const;
    void setPackagePath(const QString &path);

    // A fresh editing disc: 16:9 PAL at bitrateKbps, one copy of template page 15 without titles.
    static std::shared_ptr<DVDLibrary> newEditingDisc(DVDLibraryResource &library,
                                                      qint64 bitrateKbps = 8000);
    // The project of a new document: a fresh disc at 4000 kbps, no titles, no file.
    void newDocumentProject();

    // The first frame-title item of template page 15 of the current aspect: the prototype of new
    // title items. Null when the page has none.
    std::shared_ptr<DVDMenuItem> aNewMenuTitleItem() const;
    // Each imported title gets an item on the current page (an empty slot first, then the default
    // places), with its style record.
    void placeImportedTitles(const QList<std::shared_ptr<DVDTitleData>> &titles);

    // --- Sub-controllers and parts ----------------------------------------------------------------
    SourceViewController *sourceController() const override { return m_sourceController; }
    ConvertProgressWindowController *convertProgressWindowController() const
    {
        return m_progressController;
    }
    ConvertProgressWindow *progressWindow() const { return m_progressWindow.get(); }
    DVDBurn *burner() const { return m_burner.get(); }
    MenuPageStillView *pageStillView() const { return m_pageStill; }
    CustomCapacityView *capacityView() const { return m_capacityView; }
    QLabel *capacityLabel() const { return m_capacityLabel; }
    QComboBox *dvdModelPopButton() const { return m_dvdModelPopButton; }
    QPushButton *dvdQualityPopBtn() const { return m_dvdQualityPopBtn; }
    QMenu *qualityMenu() const { return m_qualityMenu; }
    CustomQualityWindow *customQualityWnd() const { return m_customQualityWnd; }
    BurnSettingWindow *burnSettingWindow() const { return m_burnSettingWindow; }
    QPushButton *addVideoButton() const { return m_addVideoButton; }
    QPushButton *burnButton() const { return m_burnButton; }
    QToolButton *tipButton() const { return m_tipButton; }
    TipViewController *tipController() const { return m_tipController.get(); }
    // The popover that shows the tip controller's view below the tip button.
    QWidget *tipPopover() const { return m_tipPopover; }
    // The menu-bar command of an action name ("addVideoAction:", "delete:", ...); null if none.
    QAction *menuAction(const QString &name) const { return m_actions.value(name); }

    // --- Window state -----------------------------------------------------------------------------
    // The edited mark: an untitled project without titles never counts as edited.
    void setDocumentEdited(bool edited);
    bool isDocumentEdited() const { return m_changeCount > 0; }
    // YES while a modal window runs or a sheet is attached to the main window.
    bool isWindowBusy() const;
    // The titles of dvd = the title list's titles, in list order.
    void updateDVDTitles();
    void updateDVDEditInterface();
    // The page refresh: gauge, the disc's pages and jumps, the slideshow drawers, then the menu
    // editor shows page (and redraws).
    void updateDVDMenuInEdit(const std::shared_ptr<DVDMenu> &page);
    void p_initMenuDrawerInDvd();
    // The menu editor redraws its canvas (the still of its page).
    void displayCanvasView();
    // Enables the commands that follow the selection and the titles.
    void validateMenuItems();
    // Whether a document command ("newDocument:", "revertDocumentToSaved:", ...) may run now: the
    // document controller's answer, installed by the document's host. Without one the document
    // commands are off.
    void setDocumentCommandValidator(std::function<bool(const QString &action)> validator)
    {
        m_documentCommandValidator = std::move(validator);
    }

    // --- Quality and gauge ------------------------------------------------------------------------
    void initQualityPopBtn();
    void initDVD();
    void chooseExistQualityAction(int tag);
    void chooseCustomQualityAction();
    void customQualitySliderAction(int value);
    void customQualityFieldAction();
    void finishCustomQualityWindow();
    void dvdModelChangedAction();
    qint64 customDvdBitrate() const { return m_customDvdBitrate; }
    QString customDvdWndSizeString() const { return m_customDvdWndSizeString; }
    qint64 totalUsedSpace() const { return m_totalUsedSpace; }
    // The tag of the quality item shown selected.
    int selectedQualityTag() const { return m_selectedQualityTag; }
    bool hasDVDTitles() const;
    bool hasTitleUsed() const;

    // --- Production start ---------------------------------------------------------------------
    void burnButtonAction();
    void p_doExportFunction();
    void awakeDVDBurnSettingWindow();
    void setStatusString(const QString &text);
    QString statusString() const;
    void changeDVDBurnDevice();
    void selectDVDDeviceWithIndex(int index);
    void deviceChangedAction();
    Q_INVOKABLE void deviceStatusDidChanged() { updateDVDBurnStatus(); }
    Q_INVOKABLE void devicesDidChanged();
    void updateDVDBurnStatus();
    void burnTypeChangedAction();
    void chooseFolderAction();
    void cancelBurnAction();
    void changeBurnDVDNumberAction();
    int getBurnDVDCopyiedTimes() const;
    void startBurnAction();
    bool canBurn() const { return m_canBurn; }
    // The folder the folder kinds write into (the sheet's label).
    QString selectedOutputFolder() const;
    void setSelectedOutputFolder(const QString &folder);

    // Makes the production copy of the editing disc (getDVDObj unless one is installed).
    void setProductionDiscFactory(std::function<std::shared_ptr<DVDLibrary>()> factory)
    {
        m_productionDiscFactory = std::move(factory);
    }
    // The last request handed to the production controller.
    struct ProductionRequest
    {
        Discwright::OutputNaming::OutputKind kind = Discwright::OutputNaming::OutputKind::Disc;
        QString output;
        QString name;
        QString workFolder;
        int copies = 1;
        qint64 format = -1;
        ProductionResult result;
    };
    ProductionRequest lastProductionRequest() const { return m_lastRequest; }

    // --- Commands ---------------------------------------------------------------------------------
    void addVideoAction();
    void deleteAction();
    void showTipController();

signals:
    // A document command of the File menu ("newDocument:", "openDocument:", "saveDocument:",
    // "saveDocumentAs:", "revertDocumentToSaved:"); the document controller answers it.
    void documentCommand(const QString &action);
    // The window was asked to close; closing the main window quits.
    void windowWillClose();

private:
    void buildWindow();
    void buildMenus();
    QAction *addAction(QMenu *menu,
                       const QString &name,
                       const QString &title,
                       const QKeySequence &shortcut,
                       std::function<void()> handler);
    void sourceMediaHasReload();
    std::shared_ptr<DVDMenu> currentPage() const;
    // The alert of the production start; answers whether the default button was chosen.
    bool runAlert(const QString &message,
                  const QString &informative,
                  const QString &defaultButton,
                  const QString &alternateButton = QString());
    Discwright::OutputNaming::OutputKind selectedOutputKind() const;
    void finishBurnAfterSheet();

    mutable std::mutex m_projectLock;
    std::shared_ptr<DVDLibrary> m_dvd;
    QList<std::shared_ptr<TempEditData>> m_tempDataArray;
    std::shared_ptr<TempDvdData> m_tempDvdData;
    QString m_packagePath;
    std::shared_ptr<DVDLibraryResource> m_dvdLibSource;

    QMainWindow *m_window = nullptr;
    SourceViewController *m_sourceController = nullptr;
    std::unique_ptr<MenuEditViewController> m_menuEditor;
    MenuPageStillView *m_pageStill = nullptr;
    CustomCapacityView *m_capacityView = nullptr;
    QLabel *m_capacityLabel = nullptr;
    QComboBox *m_dvdModelPopButton = nullptr;
    QPushButton *m_dvdQualityPopBtn = nullptr;
    QMenu *m_qualityMenu = nullptr;
    CustomQualityWindow *m_customQualityWnd = nullptr;
    BurnSettingWindow *m_burnSettingWindow = nullptr;
    QPushButton *m_addVideoButton = nullptr;
    QPushButton *m_burnButton = nullptr;
    QToolButton *m_tipButton = nullptr;
    std::unique_ptr<TipViewController> m_tipController;
    QWidget *m_tipPopover = nullptr;
    QHash<QString, QAction *> m_actions;
    ConvertProgressWindowController *m_progressController = nullptr;
    std::shared_ptr<ConvertProgressWindow> m_progressWindow;
    std::shared_ptr<DVDBurn> m_burner;
    std::unique_ptr<DVDBurnNotification> m_burnNotification;
    std::function<std::shared_ptr<DVDLibrary>()> m_productionDiscFactory;
    std::function<bool(const QString &)> m_documentCommandValidator;
    ProductionRequest m_lastRequest;

    int m_changeCount = 0;
    bool m_canBurn = false;
    bool m_firstResponderInSource = true;
    qint64 m_totalUsedSpace = 0;
    qint64 m_customDvdBitrate = 0;
    QString m_customDvdWndSizeString;
    int m_selectedQualityTag = 0;
};
