#pragma once

// The coordinator of the application's one main window: it owns the project being edited (an
// EditingProject: the editing disc and its titles, the items' style records, the disc-wide
// settings, the package path and the edited mark) and the window's parts (its view, the title
// list, the menu editor and its page still, the quality and capacity row, the tip popover, the
// burn sheet, the progress window, the burner), connects the parts to the project's signals,
// applies the command rule and starts production.
//
// One instance for the life of the process, made by AppDelegate and installed in
// ControllerFunction. Every method runs on the main thread except the four project answers of
// MainWindowControllerInterface, which the project hands out under its lock to any thread.

#include "app/AppExtention/Convert/TempDvdData.h"
#include "app/AppExtention/Convert/TempEditData.h"
#include "app/AppExtention/Document/EditingProject.h"
#include "app/AppExtention/Function/AlertMessage.h"
#include "app/AppExtention/Function/MainWindowControllerInterface.h"
#include "app/Controller/BurnSettingsController.h"
#include "app/Controller/MenuEditViewController.h"
#include "app/Controller/QualityCapacityController.h"
#include "app/production/BurnSettings.h"
#include "app/production/ConvertProgressWindowController.h"
#include "app/production/OutputNaming.h"

#include <QObject>
#include <functional>
#include <memory>

class BurnSettingWindow;
class ChapterEditorWindowController;
class ConvertProgressWindow;
class CustomCapacityView;
class CustomQualityWindow;
class DVDBurn;
class DVDBurnNotification;
class DVDMenu;
class DVDMenuItem;
class DVDTitleData;
class MainWindowView;
class PreviewWindowController;
class CanvasBgView;
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

    QMainWindow *window() const;

    // --- The project (MainWindowControllerInterface) ---------------------------------------------
    EditingProject *project() const override { return m_project.get(); }
    bool updateDvdMenuThroughProject() override;
    QWidget *sheetParent() const override;
    std::shared_ptr<DVDLibrary> dvd() const override { return m_project->dvd(); }
    QList<std::shared_ptr<TempEditData>> tempDataArray() const override
    {
        return m_project->tempDataArray();
    }
    std::shared_ptr<TempDvdData> tempDvdData() const override { return m_project->tempDvdData(); }
    QString pathForResourcePath(const QString &relativePath) const override
    {
        return m_project->pathForResourcePath(relativePath);
    }
    MenuEditViewController *menuEditController() const override { return m_menuEditor.get(); }
    // The gauge again, for callers that changed the disc behind the project's back.
    void changeCapacityValue() override;

    // Replaces the editing objects (a project opened or made new); the parts follow the project.
    void setProject(const std::shared_ptr<DVDLibrary> &dvd,
                    const QList<std::shared_ptr<TempEditData>> &tempData,
                    const std::shared_ptr<TempDvdData> &tempDvdData);
    // The open package, empty while the project has no file.
    QString packagePath() const { return m_project->packagePath(); }
    void setPackagePath(const QString &path) { m_project->setPackagePath(path); }
    // The project of a new document: the one new-project builder at 4000 kbps, no file, clean.
    void newDocumentProject();
    // While the package named at start is read: the window names the package and shows nothing
    // of the project it is about to replace (no quality, no size), so it never reads as
    // "Untitled".
    void showOpeningPackage(const QString &path);
    // The project's own name and quality again (the package could not be read).
    void showProjectValues();
    // Each imported title gets an item on the current page (an empty slot first, then the default
    // places), with its style record: one edit of the project.
    void placeImportedTitles(const QList<std::shared_ptr<DVDTitleData>> &titles);

    // --- Sub-controllers and parts ----------------------------------------------------------------
    SourceViewController *sourceController() const override { return m_sourceController; }
    // The one video editor, made with the window.
    COMVideoEditorWindowController *com_videoEditController() const override
    {
        return m_videoEditController;
    }
    // Edit Video on the list: a selected title opens its first clip in the video editor.
    void editAction();
    ConvertProgressWindowController *convertProgressWindowController() const
    {
        return m_progressController;
    }
    ConvertProgressWindow *progressWindow() const { return m_progressWindow.get(); }
    DVDBurn *burner() const { return m_burner.get(); }
    MainWindowView *view() const { return m_view; }
    QualityCapacityController *qualityController() const { return m_quality.get(); }
    BurnSettingsController *burnSettingsController() const { return m_burnSettings.get(); }
    // The menu canvas.
    CanvasBgView *canvasBgView() const;
    CustomCapacityView *capacityView() const;
    QLabel *capacityLabel() const;
    QComboBox *dvdModelPopButton() const;
    QPushButton *dvdQualityPopBtn() const;
    QMenu *qualityMenu() const;
    CustomQualityWindow *customQualityWnd() const;
    BurnSettingWindow *burnSettingWindow() const;
    QPushButton *addVideoButton() const;
    QPushButton *burnButton() const;
    QToolButton *tipButton() const;
    TipViewController *tipController() const { return m_tipController.get(); }
    // The popover that shows the tip controller's view below the tip button.
    QWidget *tipPopover() const { return m_tipPopover; }
    // The menu-bar command of an action name ("addVideoAction:", "delete:", ...); null if none.
    QAction *menuAction(const QString &name) const;

    // --- Window state -----------------------------------------------------------------------------
    // The edited mark: an untitled project without titles never counts as edited.
    void setDocumentEdited(bool edited) { m_project->setEdited(edited); }
    bool isDocumentEdited() const { return m_project->isEdited(); }
    // YES while a modal window runs or a sheet is attached to the main window.
    bool isWindowBusy() const;
    void updateDVDEditInterface();
    // The whole page refresh: gauge, the disc's pages and jumps, the slideshow drawers, then the
    // menu editor shows page (and redraws). Only where the whole project changed.
    void updateDVDMenuInEdit(const std::shared_ptr<DVDMenu> &page);
    void p_initMenuDrawerInDvd();
    // The menu editor redraws its canvas (the still of its page).
    void displayCanvasView();
    // Applies the command rule (CommandEnabling) to the menus and buttons.
    void validateMenuItems();
    // Whether a document command ("newDocument:", "revertDocumentToSaved:", ...) may run now: the
    // document controller's answer, installed by the document's host. Without one the document
    // commands are off.
    void setDocumentCommandValidator(std::function<bool(const QString &action)> validator)
    {
        m_documentCommandValidator = std::move(validator);
    }
    // How many whole-window refreshes ran (the project's rebuild of every page, the page refresh,
    // the gauge asked from outside); an edit through the project needs none.
    int globalRefreshCount() const { return m_project->wholeRefreshCount() + m_windowRefreshes; }

    // --- Quality and gauge (QualityCapacityController) ------------------------------------------
    void initDVD();
    void dvdModelChangedAction() { m_quality->dvdModelChangedAction(); }
    void chooseCustomQualityAction() { m_quality->chooseCustomQualityAction(); }
    void customQualitySliderAction(int value) { m_quality->customQualitySliderAction(value); }
    void finishCustomQualityWindow() { m_quality->finishCustomQualityWindow(); }
    qint64 customDvdBitrate() const { return m_quality->customDvdBitrate(); }
    QString customDvdWndSizeString() const { return m_quality->customDvdWndSizeString(); }
    qint64 totalUsedSpace() const { return m_quality->totalUsedSpace(); }
    int selectedQualityTag() const { return m_quality->selectedQualityTag(); }
    bool hasDVDTitles() const { return m_project->hasTitleWithClips(); }
    bool hasTitleUsed() const;

    // --- Production start (BurnSettingsController for the sheet) -------------------------------
    void burnButtonAction();
    void p_doExportFunction();
    void awakeDVDBurnSettingWindow() { m_burnSettings->awakeDVDBurnSettingWindow(); }
    QString statusString() const { return m_burnSettings->statusString(); }
    void selectDVDDeviceWithIndex(int index) { m_burnSettings->selectDVDDeviceWithIndex(index); }
    Q_INVOKABLE void deviceStatusDidChanged() { m_burnSettings->updateDVDBurnStatus(); }
    Q_INVOKABLE void devicesDidChanged() { m_burnSettings->devicesDidChanged(); }
    void updateDVDBurnStatus() { m_burnSettings->updateDVDBurnStatus(); }
    void startBurnAction();
    bool canBurn() const { return m_burnSettings->canBurn(); }
    // The folder the folder kinds write into.
    QString selectedOutputFolder() const { return m_burnSettings->selectedOutputFolder(); }
    void setSelectedOutputFolder(const QString &folder)
    {
        m_burnSettings->setSelectedOutputFolder(folder);
    }

    // Makes the production copy of the editing disc (getDVDObj unless one is installed).
    void setProductionDiscFactory(std::function<std::shared_ptr<DVDLibrary>()> factory)
    {
        m_productionDiscFactory = std::move(factory);
    }
    // The last request handed to the production controller, with its result.
    struct ProductionRequest : Discwright::ProductionRequest
    {
        ProductionResult result;
    };
    ProductionRequest lastProductionRequest() const { return m_lastRequest; }

    // --- Chapter editor ---------------------------------------------------------------------------
    ChapterEditorWindowController *chapterEditController() const override;
    // The title list's selection is a title with exactly one clip, or one clip, that has media.
    bool canEditChapter() const;
    // The clip the editors open: the selected clip, or the selected title's first; null otherwise.
    MediaDataRef selectedClipToEdit() const;
    // Which side has the keyboard: the title list (true) or the menu canvas; both redraw.
    void setFirstResponderInSource(bool inSource);
    bool firstResponderInSource() const { return m_firstResponderInSource; }
    // Opens the chapter editor on that clip; nothing otherwise.
    void openVideoChapterWindowMAction();
    qsizetype addNewMenuTitleWithMedias(const QList<std::shared_ptr<MediaData>> &clips,
                                        const std::shared_ptr<DVDTitleData> &title) override;
    void updateMenuItemTitleImageWithMedia(const MediaData &clip) override;

    // --- Commands ---------------------------------------------------------------------------------
    void addVideoAction();
    void deleteAction();
    void showTipController();

    // --- Preview ----------------------------------------------------------------------------------
    // YES while the preview window is open.
    bool isOpenPreviewWnd() const { return m_isOpenPreviewWnd; }
    // Opens the preview on a fresh production copy of the disc; it returns at once (the window is
    // window-modal) and isOpenPreviewWnd stays YES until it closes.
    void openPreviewWindow();
    PreviewWindowController *previewController() const { return m_previewController; }
    QPushButton *previewButton() const { return m_previewButton; }

signals:
    // A document command of the File menu ("newDocument:", "openDocument:", "saveDocument:",
    // "saveDocumentAs:", "revertDocumentToSaved:"); the document controller answers it.
    void documentCommand(const QString &action);
    // The window was asked to close; closing the main window quits.
    void windowWillClose();

private:
    void connectCommands();
    void setUpPreview();
    void connectMenuEditor();
    void connectProject();
    void projectReplaced();
    void redrawPage(const std::shared_ptr<DVDMenu> &page);
    std::shared_ptr<DVDMenu> currentPage() const;
    // The alert of the production start, window-modal over the sheet or the window; answers
    // whether the default button was chosen.
    bool runAlert(const AlertMessage &alert,
                  const QString &defaultButton,
                  const QString &alternateButton = QString());

    std::unique_ptr<EditingProject> m_project;
    MainWindowView *m_view = nullptr;
    SourceViewController *m_sourceController = nullptr;
    std::unique_ptr<MenuEditViewController> m_menuEditor;
    std::unique_ptr<ChapterEditorWindowController> m_chapterEditor;
    std::unique_ptr<QualityCapacityController> m_quality;
    std::unique_ptr<BurnSettingsController> m_burnSettings;
    std::unique_ptr<TipViewController> m_tipController;
    QWidget *m_tipPopover = nullptr;
    COMVideoEditorWindowController *m_videoEditController = nullptr;
    ConvertProgressWindowController *m_progressController = nullptr;
    std::shared_ptr<ConvertProgressWindow> m_progressWindow;
    std::shared_ptr<DVDBurn> m_burner;
    std::unique_ptr<DVDBurnNotification> m_burnNotification;
    std::function<std::shared_ptr<DVDLibrary>()> m_productionDiscFactory;
    std::function<bool(const QString &)> m_documentCommandValidator;
    ProductionRequest m_lastRequest;

    bool m_firstResponderInSource = true;
    bool m_isOpenPreviewWnd = false;
    PreviewWindowController *m_previewController = nullptr;
    QPushButton *m_previewButton = nullptr;
    int m_windowRefreshes = 0;
};
