#include "app/Controller/MainWindowController.h"

#include "Platterkit/burn/DVDBurn.h"
#include "Platterkit/burn/DVDBurnNotification.h"
#include "Platterkit/model/DVDLibraryHooks.h"
#include "Platterkit/model/DVDMenu.h"
#include "app/AppExtention/Convert/BackgroundRenderData.h"
#include "app/AppExtention/Convert/DVDTitleData.h"
#include "app/AppExtention/DVDLibraryResourceExtention.h"
#include "app/AppExtention/DVDMenuExtention.h"
#include "app/AppExtention/Document/NewProjectBuilder.h"
#include "app/AppExtention/Function/AppLog.h"
#include "app/AppExtention/Function/FileManagerExtention.h"
#include "app/AppExtention/TitlePageEdits.h"
#include "app/AppTheme/WindowThemeExtention.h"
#include "app/Controller/CommandEnabling.h"
#include "app/Controller/Panels/OpenPanel.h"
#include "app/Controller/SourceViewController.h"
#include "app/Controller/TipViewController.h"
#include "app/PreviewWindow/PreviewWindowController.h"
#include "app/Transition/TransitionManager.h"
#include "app/View/MainView/BurnSettingWindow.h"
#include "app/View/MainView/ConvertProgressWindow.h"
#include "app/View/MainView/CustomCapacityView.h"
#include "app/View/MainView/CustomQualityWindow.h"
#include "app/View/MainView/MainWindowView.h"
#include "app/View/MenuEditView/CanvasBgView.h"
#include "app/View/MenuEditView/NoMenuView.h"
#include "app/View/MenuEditView/ShapeView.h"
#include "app/View/SourceView/SourceTableView.h"
#include "app/chaptereditor/Controller/ChapterEditorWindowController.h"
#include "app/production/MakeDVDVideoConversion.h"
#include "app/production/ProductionDiscModel.h"
#include "app/production/ProductionStartRules.h"
#include "app/videoeditor/Controller/COMVideoEditorWindowController.h"
#include "platform/MainThread.h"
#include "platform/StringTable.h"

#include <QAction>
#include <QApplication>
#include <QBoxLayout>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Discwright;

namespace {

QString text(const char *key)
{
    return platform::localizedString(QString::fromUtf8(key));
}

} // namespace

MainWindowController::MainWindowController()
{
    DW_ASSERT_MAIN_THREAD();
    DVDLibraryResourceExtention::setupResourceForCustom();
    m_project = std::make_unique<EditingProject>();
    m_menuEditor = std::make_unique<MenuEditViewController>(*this);

    m_view = new MainWindowView([this] { emit windowWillClose(); },
                                [this] {
                                    // The modal window is on or off the modal stack only once
                                    // its show or hide is done.
                                    QTimer::singleShot(0, this, [this] { validateMenuItems(); });
                                });
    m_sourceController = new SourceViewController(*m_project, m_view->central());
    m_view->setSourceView(m_sourceController->view());
    m_menuEditor->setCanvasView(m_view->canvasBgView());
    m_menuEditor->setNoMenuView(m_view->noMenuView());
    connectMenuEditor();
    m_menuEditor->initMenuEditItems();
    p_initMenuDrawerInDvd();

    m_quality = std::make_unique<QualityCapacityController>(*m_project, *m_view);
    m_burner = std::make_shared<DVDBurn>();
    m_burnSettings = std::make_unique<BurnSettingsController>(
        *m_project, *m_view->burnSettingWindow(), m_burner, [this] { return totalUsedSpace(); });

    m_progressController = new ConvertProgressWindowController(this);
    m_progressWindow = std::make_shared<ConvertProgressWindow>(m_view);
    m_progressWindow->setCancelHandler([this] { m_progressController->cancel(); });
    m_progressController->setPresenter(m_progressWindow);
    m_progressController->setConversionFactory(
        [] { return std::make_shared<MakeDVDVideoConversion>(); });
    // The commands come back once a run has ended.
    connect(m_progressController,
            &ConvertProgressWindowController::finished,
            this,
            [this](const ProductionResult &result) {
                m_lastRequest.result = result;
                validateMenuItems();
            });
    m_burnNotification = std::make_unique<DVDBurnNotification>();
    m_burnNotification->setDelegate(this);

    m_chapterEditor = std::make_unique<ChapterEditorWindowController>(m_view);
    connect(m_chapterEditor->window(), &QDialog::finished, this, [this] { validateMenuItems(); });

    connectCommands();
    connectProject();
    m_burnSettings->awakeDVDBurnSettingWindow();
    initDVD();
    m_tipPopover = new QWidget(m_view, Qt::Popup);
    m_tipPopover->setObjectName(QStringLiteral("tipPopover"));
    m_tipController = std::make_unique<TipViewController>(m_tipPopover);
    auto *tipLayout = new QVBoxLayout(m_tipPopover);
    tipLayout->setContentsMargins(0, 0, 0, 0);
    tipLayout->addWidget(m_tipController->view());
    // The video editor lives as long as the window; its subtitle files come through the panel.
    m_videoEditController = new COMVideoEditorWindowController(*this, m_view);
    m_videoEditController->setSubtitleFileChooser([](QWidget *parent) {
        return OpenPanel::shared()
            .chooseFiles(parent, platform::localizedString("Load Subtitle"))
            .value(0);
    });
    m_view->burnSettingWindow()->burnDVDNumberTextField()->setText(QStringLiteral("1"));
    setUpPreview();
    // The window manager draws the title bar; the window asks for its dark variant.
    WindowThemeExtention::changeTitleBarTheme(m_view);
    validateMenuItems();
}

void MainWindowController::setUpPreview()
{
    m_previewController = new PreviewWindowController(
        m_view,
        [this] { return ProductionDiscModel::getDVDObj(*this); },
        [this] {
            m_isOpenPreviewWnd = false;
            validateMenuItems();
        });
    // The Preview button sits beside Burn, in the same row.
    m_previewButton = new QPushButton(burnButton()->parentWidget());
    m_previewButton->setObjectName(QStringLiteral("previewButton"));
    m_previewButton->setToolTip(text("Preview"));
    m_previewButton->setIcon(QIcon(
        QDir(DVDLibraryHooks::bundleResourcesPath()).filePath(QStringLiteral("preview_dvd.png"))));
    m_previewButton->setIconSize(QSize(32, 32));
    m_previewButton->setFlat(true);
    const std::function<bool(QLayout *)> insertBeside = [&](QLayout *layout) {
        for (int i = 0; layout && i < layout->count(); ++i) {
            QLayoutItem *item = layout->itemAt(i);
            if (item->widget() == burnButton()) {
                if (auto *box = qobject_cast<QBoxLayout *>(layout)) {
                    box->insertWidget(i, m_previewButton);
                    return true;
                }
            }
            if (item->layout() && insertBeside(item->layout()))
                return true;
        }
        return false;
    };
    if (!insertBeside(burnButton()->parentWidget()->layout()))
        m_previewButton->move(burnButton()->pos() - QPoint(40, 0));
    connect(m_previewButton, &QPushButton::clicked, this, &MainWindowController::openPreviewWindow);
}

void MainWindowController::openPreviewWindow()
{
    DW_ASSERT_MAIN_THREAD(return );
    if (isWindowBusy())
        return;
    m_isOpenPreviewWnd = true;
    m_previewController->showPreviewWindowWithAnimator();
    validateMenuItems();
}

MainWindowController::~MainWindowController()
{
    m_chapterEditor.reset();
    m_burnNotification.reset();
    delete m_progressController;
    m_progressController = nullptr;
    delete m_view;
    m_progressWindow.reset();
}

// --- The menu editor's canvas, cover and bars ------------------------------------------------------
void MainWindowController::setFirstResponderInSource(bool inSource)
{
    DW_ASSERT_MAIN_THREAD(return );
    m_firstResponderInSource = inSource;
    m_menuEditor->shapeView()->update();
    m_sourceController->tableView()->update();
    validateMenuItems();
}

void MainWindowController::connectMenuEditor()
{
    // A press on the canvas hands the keyboard from the title list to the canvas, a press on the
    // list hands it back; both sides redraw their focus look.
    m_menuEditor->setSourceFocus([this] { return m_firstResponderInSource; },
                                 [this](bool inSource) { setFirstResponderInSource(inSource); });
    connect(m_sourceController->tableView(), &SourceTableView::focusChanged, this, [this](bool in) {
        if (in)
            setFirstResponderInSource(true);
    });
    connect(m_menuEditor.get(), &MenuEditViewController::selectionUpdated, this, [this] {
        validateMenuItems();
    });
    QCheckBox *noMenuBox = m_view->noMenuCheckBox();
    connect(noMenuBox, &QCheckBox::clicked, m_menuEditor.get(), [this](bool checked) {
        m_menuEditor->noMenuChangedAction(checked);
    });
    connect(m_view->previousPageButton(), &QToolButton::clicked, m_menuEditor.get(), [this] {
        m_menuEditor->previousPageAction();
    });
    connect(menuAction(QStringLiteral("backToMainMenuAction:")), &QAction::triggered, this, [this] {
        m_menuEditor->previousPageAction();
    });
    const auto paging = [this] {
        const bool back = !m_menuEditor->noMenu() && m_menuEditor->hasLastMenu();
        m_view->previousPageButton()->setIcon(
            QIcon(QPixmap::fromImage(m_menuEditor->previousMenuImage())));
        m_view->previousPageButton()->setEnabled(back);
        menuAction(QStringLiteral("backToMainMenuAction:"))->setEnabled(back);
        m_view->noMenuCheckBox()->setChecked(m_menuEditor->noMenu());
    };
    connect(m_menuEditor.get(), &MenuEditViewController::pagingStateChanged, this, paging);
    paging();
}
// --- end of the menu editor's canvas ---------------------------------------------------------------

void MainWindowController::connectCommands()
{
    const auto on = [this](const char *name, std::function<void()> handler) {
        connect(menuAction(QString::fromUtf8(name)), &QAction::triggered, this, [handler] {
            handler();
        });
    };
    for (const char *name : {"newDocument:",
                             "openDocument:",
                             "saveDocument:",
                             "saveDocumentAs:",
                             "revertDocumentToSaved:"})
        on(name, [this, name] { emit documentCommand(QString::fromUtf8(name)); });
    on("addVideoAction:", [this] { addVideoAction(); });
    on("delete:", [this] { deleteAction(); });
    on("openVideoChapterWindowMAction:", [this] { openVideoChapterWindowMAction(); });
    on("editAction:", [this] { editAction(); });
    connect(addVideoButton(), &QPushButton::clicked, this, &MainWindowController::addVideoAction);
    connect(burnButton(), &QPushButton::clicked, this, &MainWindowController::burnButtonAction);
    connect(tipButton(), &QToolButton::clicked, this, &MainWindowController::showTipController);
    connect(m_view->burnSettingWindow()->startButton(),
            &QPushButton::clicked,
            this,
            &MainWindowController::startBurnAction);
    connect(m_sourceController,
            &SourceViewController::editRequested,
            this,
            &MainWindowController::editAction);
    connect(m_sourceController, &SourceViewController::selectionChanged, this, [this] {
        validateMenuItems();
    });
    // New titles land at the list row of their import, each with an item on the page shown.
    m_sourceController->setImportHandler(
        [this](const QList<DVDTitleDataRef> &titles, qsizetype row) {
            m_project->insertTitles(row, titles, currentPage());
        });
    // The page still stands for the menu canvas as the place a dragged title is let go over.
    m_sourceController->setMenuDropTarget(canvasBgView());
    // Sheets and the progress window take the commands away while they are up.
    connect(m_quality.get(), &QualityCapacityController::sheetOpened, this, [this] {
        validateMenuItems();
    });
    for (QDialog *sheet :
         {static_cast<QDialog *>(customQualityWnd()), static_cast<QDialog *>(burnSettingWindow())})
        connect(sheet, &QDialog::finished, this, [this] { validateMenuItems(); });
}

void MainWindowController::connectProject()
{
    EditingProject *project = m_project.get();
    // The page still shows the titles' items: any change of the titles may redraw it.
    const auto titles = [this] {
        displayCanvasView();
        validateMenuItems();
    };
    connect(project, &EditingProject::titlesInserted, this, titles);
    connect(project, &EditingProject::titlesRemoved, this, titles);
    connect(project, &EditingProject::titleMoved, this, titles);
    connect(project, &EditingProject::titleChanged, this, titles);
    connect(project, &EditingProject::pageItemsChanged, this, &MainWindowController::redrawPage);
    connect(project, &EditingProject::styleRecordChanged, this, [this] { displayCanvasView(); });
    connect(project, &EditingProject::pageAdded, this, [this] { p_initMenuDrawerInDvd(); });
    connect(project, &EditingProject::pageRemoved, this, [this] { displayCanvasView(); });
    connect(project, &EditingProject::settingsChanged, this, [this] {
        m_menuEditor->setNoMenu(dvd()->noMenu());
        m_menuEditor->updateShowNoMenuView();
    });
    connect(
        project, &EditingProject::projectReplaced, this, &MainWindowController::projectReplaced);
    connect(project, &EditingProject::editedChanged, m_view, &QWidget::setWindowModified);
    connect(project, &EditingProject::packagePathChanged, this, [this](const QString &path) {
        m_view->setDocumentName(path.isEmpty() ? text("Untitled")
                                               : QFileInfo(path).completeBaseName());
    });
}

void MainWindowController::redrawPage(const std::shared_ptr<DVDMenu> &page)
{
    if (page == currentPage())
        displayCanvasView();
}

// --- The project ---------------------------------------------------------------------------------

QWidget *MainWindowController::sheetParent() const
{
    return burnSettingWindow()->isVisible() ? static_cast<QWidget *>(burnSettingWindow()) : m_view;
}

void MainWindowController::setProject(const std::shared_ptr<DVDLibrary> &dvd,
                                      const QList<std::shared_ptr<TempEditData>> &tempData,
                                      const std::shared_ptr<TempDvdData> &tempDvdData)
{
    DW_ASSERT_MAIN_THREAD(return );
    m_project->setContents(ProjectContents{dvd, tempData, tempDvdData});
}

void MainWindowController::projectReplaced()
{
    m_menuEditor->initMenuEditItems();
    p_initMenuDrawerInDvd();
    initDVD();
    validateMenuItems();
}

void MainWindowController::newDocumentProject()
{
    m_project->newProject(NewProjectBuilder::kDefaultBitrateKbps);
}

void MainWindowController::showOpeningPackage(const QString &path)
{
    DW_ASSERT_MAIN_THREAD(return );
    QString clean = path;
    while (clean.size() > 1 && clean.endsWith(QLatin1Char('/')))
        clean.chop(1);
    m_view->setDocumentName(QFileInfo(clean).completeBaseName());
    m_view->dvdQualityPopBtn()->setText(QString());
    m_view->capacityLabel()->setText(QString());
    m_view->capacityView()->setCapacityValue(0);
    m_view->capacityView()->update();
}

void MainWindowController::showProjectValues()
{
    DW_ASSERT_MAIN_THREAD(return );
    const QString path = packagePath();
    m_view->setDocumentName(path.isEmpty() ? text("Untitled") : QFileInfo(path).completeBaseName());
    m_quality->loadFromProject();
}

void MainWindowController::placeImportedTitles(const QList<DVDTitleDataRef> &titles)
{
    DW_ASSERT_MAIN_THREAD(return );
    m_project->insertTitles(m_project->titleCount(), titles, currentPage());
}

// --- Window -------------------------------------------------------------------------------------

QMainWindow *MainWindowController::window() const
{
    return m_view;
}

// clang-format off
CanvasBgView *MainWindowController::canvasBgView() const { return m_view->canvasBgView(); }
CustomCapacityView *MainWindowController::capacityView() const { return m_view->capacityView(); }
QLabel *MainWindowController::capacityLabel() const { return m_view->capacityLabel(); }
QComboBox *MainWindowController::dvdModelPopButton() const { return m_view->dvdModelPopButton(); }
QPushButton *MainWindowController::dvdQualityPopBtn() const { return m_view->dvdQualityPopBtn(); }
QMenu *MainWindowController::qualityMenu() const { return m_view->qualityMenu(); }
CustomQualityWindow *MainWindowController::customQualityWnd() const { return m_view->customQualityWnd(); }
BurnSettingWindow *MainWindowController::burnSettingWindow() const { return m_view->burnSettingWindow(); }
QPushButton *MainWindowController::addVideoButton() const { return m_view->addVideoButton(); }
QPushButton *MainWindowController::burnButton() const { return m_view->burnButton(); }
QToolButton *MainWindowController::tipButton() const { return m_view->tipButton(); }
QAction *MainWindowController::menuAction(const QString &name) const { return m_view->menuAction(name); }
// clang-format on

void MainWindowController::validateMenuItems()
{
    DW_ASSERT_MAIN_THREAD(return );
    CommandEnabling::State state;
    state.windowBusy = isWindowBusy();
    state.titleSelected = m_sourceController->selectionMode() != 0;
    state.sourceHasFocus = m_firstResponderInSource;
    state.hasTitlesWithClips = hasDVDTitles();
    state.documentCommandAllowed = m_documentCommandValidator;
    const QHash<QString, bool> enabled = CommandEnabling::enabledCommands(state);
    for (auto it = enabled.cbegin(); it != enabled.cend(); ++it)
        if (QAction *action = menuAction(it.key()))
            action->setEnabled(it.value());
    if (QAction *chapters = menuAction(QStringLiteral("openVideoChapterWindowMAction:")))
        chapters->setEnabled(!state.windowBusy && canEditChapter());
    addVideoButton()->setEnabled(enabled.value(QStringLiteral("addVideoButton")));
    if (m_previewButton)
        m_previewButton->setEnabled(!state.windowBusy);
    burnButton()->setEnabled(enabled.value(QStringLiteral("burnButton")));
}

bool MainWindowController::isWindowBusy() const
{
    if (m_isOpenPreviewWnd)
        return true;
    if (QApplication::activeModalWidget())
        return true;
    return customQualityWnd()->isVisible() || burnSettingWindow()->isVisible()
           || (m_progressWindow && m_progressWindow->window()->isVisible())
           || (m_progressController && m_progressController->isRunning());
}

std::shared_ptr<DVDMenu> MainWindowController::currentPage() const
{
    return m_menuEditor->pageInDisc();
}

void MainWindowController::updateDVDEditInterface()
{
    if (!platform::isMainThread()) {
        qCInfo(lcShell, "ignore updateDVDEditInterface in background");
        return;
    }
    updateDVDMenuInEdit(currentPage());
}

void MainWindowController::updateDVDMenuInEdit(const std::shared_ptr<DVDMenu> &page)
{
    DW_ASSERT_MAIN_THREAD(return );
    ++m_windowRefreshes;
    m_quality->changeCapacityValue();
    dvd()->updateDVDMenu();
    if (page)
        dvd()->setCurrentMenu(page);
    p_initMenuDrawerInDvd();
    for (const auto &menu : dvd()->menus())
        if (menu->use_menu_drawer())
            if (auto drawer = std::dynamic_pointer_cast<BackgroundRenderData>(menu->menu_drawer()))
                drawer->b_updateCurrentRenderWithNameOrSizeChanged();
    // Last, so that the one redraw it makes sees the drawers settled.
    m_menuEditor->updateMenuPage(page);
}

void MainWindowController::p_initMenuDrawerInDvd()
{
    const QStringList names = TransitionManager::manager().allCompositionNamesResort();
    for (const auto &page : dvd()->menus()) {
        if (page->menu_drawer())
            continue;
        page->setUse_menu_drawer(false);
        auto drawer = std::make_shared<BackgroundRenderData>();
        drawer->setRenderName(names.isEmpty() ? QString() : names.first());
        drawer->setEveryImageDuration(4.0);
        drawer->setEveryRenderDuration(1.0);
        drawer->setUseRenderDurAsMenuDur(true);
        drawer->setImageItemArray({});
        page->setMenu_drawer(drawer);
    }
}

void MainWindowController::displayCanvasView()
{
    DW_ASSERT_MAIN_THREAD(return );
    m_menuEditor->displayCanvasView();
}

// --- Chapter editor ------------------------------------------------------------------------------

ChapterEditorWindowController *MainWindowController::chapterEditController() const
{
    return m_chapterEditor.get();
}

bool MainWindowController::canEditChapter() const
{
    // A title of one clip, or a clip selected alone.
    const DVDTitleDataRef title = m_sourceController->selectedTitle();
    if (m_sourceController->selectionMode() == 1 && (!title || title->mediaArray().size() != 1))
        return false;
    const MediaDataRef clip = selectedClipToEdit();
    return clip && !clip->isOffline();
}

void MainWindowController::openVideoChapterWindowMAction()
{
    DW_ASSERT_MAIN_THREAD(return );
    if (!canEditChapter() || isWindowBusy())
        return;
    m_chapterEditor->updateChapterWindowWithMedia(selectedClipToEdit());
    validateMenuItems();
}

qsizetype MainWindowController::addNewMenuTitleWithMedias(const MediaDataList &clips,
                                                          const DVDTitleDataRef &title)
{
    DW_ASSERT_MAIN_THREAD(return 0);
    if (clips.isEmpty() || !title)
        return 0;
    // The kit works on copies of the lists; the project takes the results through its methods.
    QList<DVDTitleDataRef> titles = m_project->titles();
    TempEditDataList records = m_project->tempDataArray();
    const qsizetype knownRecords = records.size();
    const auto [item, page] = TitlePageEdits::itemLeadingTo(*dvd(), title);
    const QList<DVDTitleDataRef> made
        = TitlePageEdits::addNewMenuTitleWithMedias(*dvd(), titles, clips, title, records);
    if (made.isEmpty())
        return 0;
    m_project->insertTitles(titles.indexOf(made.first()), made);
    for (qsizetype i = knownRecords; i < records.size(); ++i)
        m_project->appendStyleRecord(records[i]);
    if (page)
        m_project->notePageItemsChanged(page);
    return made.size();
}

void MainWindowController::updateMenuItemTitleImageWithMedia(const MediaData &clip)
{
    DW_ASSERT_MAIN_THREAD(return );
    TitlePageEdits::updateMenuItemTitleImageWithMedia(*dvd(), clip, m_project->tempDataArray());
}

// --- Commands ----------------------------------------------------------------------------------

void MainWindowController::addVideoAction()
{
    DW_ASSERT_MAIN_THREAD(return );
    if (isWindowBusy())
        return;
    m_sourceController->addFilesToSourceButtonAction();
}

void MainWindowController::deleteAction()
{
    DW_ASSERT_MAIN_THREAD(return );
    if (m_sourceController->selectionMode() != 0 && m_firstResponderInSource)
        m_sourceController->deleteAction();
}

void MainWindowController::showTipController()
{
    DW_ASSERT_MAIN_THREAD(return );
    m_tipPopover->adjustSize();
    const QPoint below = tipButton()->mapToGlobal(QPoint(0, tipButton()->height()));
    m_tipPopover->move(below.x() - m_tipPopover->width() + tipButton()->width(), below.y());
    m_tipPopover->show();
}

// --- Quality and gauge ---------------------------------------------------------------------------

void MainWindowController::initDVD()
{
    DW_ASSERT_MAIN_THREAD(return );
    updateDVDEditInterface();
    m_quality->loadFromProject();
}

bool MainWindowController::hasTitleUsed() const
{
    if (hasDVDTitles() && dvd()->noMenu())
        return true;
    for (const DVDTitleDataRef &title : m_project->titles())
        if (title->usedMenuItem())
            return true;
    return false;
}

void MainWindowController::changeCapacityValue()
{
    DW_ASSERT_MAIN_THREAD(return );
    ++m_windowRefreshes;
    m_quality->changeCapacityValue();
}

// --- Production start ----------------------------------------------------------------------------

bool MainWindowController::updateDvdMenuThroughProject()
{
    DW_ASSERT_MAIN_THREAD(return false);
    m_project->updateDvdMenu();
    return true;
}

bool MainWindowController::runAlert(const AlertMessage &alert,
                                    const QString &defaultButton,
                                    const QString &alternateButton)
{
    alert.log();
    QMessageBox box(QMessageBox::Warning,
                    QApplication::applicationName(),
                    alert.text(),
                    QMessageBox::NoButton,
                    sheetParent());
    box.setObjectName(QStringLiteral("mainAlert"));
    box.setWindowModality(Qt::WindowModal);
    box.setInformativeText(alert.informativeText());
    box.setDetailedText(alert.reason);
    QPushButton *accept = box.addButton(defaultButton, QMessageBox::AcceptRole);
    box.setDefaultButton(accept);
    if (!alternateButton.isEmpty())
        box.setEscapeButton(box.addButton(alternateButton, QMessageBox::RejectRole));
    // The start needs the answer before it goes on.
    box.exec();
    return box.clickedButton() == accept;
}

void MainWindowController::burnButtonAction()
{
    DW_ASSERT_MAIN_THREAD(return );
    if (!hasTitleUsed()) {
        runAlert({QStringLiteral("Please import video to DVD menu area , you need drag and drop "
                                 "video to menu edit area ."),
                  {},
                  {},
                  {},
                  {}},
                 text("OK"));
        return;
    }
    qsizetype fullest = 0;
    for (const auto &page : dvd()->menus())
        fullest = std::max(fullest, DVDMenuExtention::titleItems(*page).size());
    const auto aspect = dvd()->aspectType();
    if (ProductionStartRules::menuPageOverLimit(
            fullest, tempDvdData()->dvdShowPlayButton(), aspect)) {
        AlertMessage limit;
        limit.key = ProductionStartRules::menuPageLimitKey(aspect);
        limit.reason = QStringLiteral("%1 title items on the fullest page").arg(fullest);
        if (!runAlert(limit, text("Continue Burn"), text("Cancel")))
            return;
    }
    p_doExportFunction();
}

void MainWindowController::p_doExportFunction()
{
    m_burnSettings->p_doExportFunction();
    validateMenuItems();
}

void MainWindowController::startBurnAction()
{
    DW_ASSERT_MAIN_THREAD(return );
    // Ends any field edit, so what was typed counts.
    burnSettingWindow()->setFocus();
    m_burnSettings->changeBurnDVDNumberAction();
    const BurnSettings settings = m_burnSettings->settings();
    const bool disc = settings.kind == OutputNaming::OutputKind::Disc;
    // The image is made under the temporary root; the free space is asked there.
    const QString tempRoot = disc ? FileManagerExtention::tempRootPath() : QString();
    if (disc)
        QDir().mkpath(tempRoot);
    // A folder or an image bigger than the disc type may still be wanted; a drive never takes it.
    const auto overfull = ProductionStartRules::overfullDecision(
        totalUsedSpace(), m_project->discType(), settings.kind);
    if (overfull != ProductionStartRules::OverfullDecision::Start) {
        const AlertMessage alert = ProductionStartRules::overfullAlert(
            totalUsedSpace(), m_project->discType(), settings.kind);
        if (overfull == ProductionStartRules::OverfullDecision::Refuse) {
            runAlert(alert, text("OK"));
            return;
        }
        if (!runAlert(alert,
                      ProductionStartRules::overfullContinueButton(),
                      ProductionStartRules::overfullCancelButton()))
            return;
    }
    // The space is checked before anything is made, so a refused start leaves nothing behind.
    const BurnStart start = makeProductionRequest(
        settings, totalUsedSpace(), tempRoot, &ProductionStartRules::freeBytesAtPath);
    if (start.outcome == BurnStart::Outcome::NoOutputFolder) {
        m_burnSettings->burnTypeChangedAction();
        return;
    }
    if (start.outcome != BurnStart::Outcome::Start) {
        runAlert(start.alert, text("OK"));
        return;
    }
    burnSettingWindow()->accept();

    std::shared_ptr<DVDLibrary> production = m_productionDiscFactory
                                                 ? m_productionDiscFactory()
                                                 : ProductionDiscModel::getDVDObj(*this);
    if (!production) {
        // The copy production reads could not be made (the reason is in the log).
        runAlert({QStringLiteral("The DVD folder could not be made."), {}, {}, {}, {}}, text("OK"));
        return;
    }
    ProductionRequest request;
    static_cast<Discwright::ProductionRequest &>(request) = start.request;
    const auto kind = request.kind;
    const QString name = request.name;
    production->setFormat(request.format);
    m_progressController->setBurnDVDTimes(request.copies);
    m_progressController->setTempWorkPath(request.workFolder);
    m_lastRequest = request;
    qCInfo(lcShell) << "production" << int(kind) << request.output;
    // The run goes on beside the window; it ends in the progress controller's finished().
    bool started = false;
    switch (kind) {
    case OutputNaming::OutputKind::Disc:
        started = m_progressController->burnDvdName(production, m_burner, name);
        break;
    case OutputNaming::OutputKind::IsoImage:
        started = m_progressController->burnIsoName(production, request.output, name);
        break;
    case OutputNaming::OutputKind::VideoFolder:
    case OutputNaming::OutputKind::MediaFolder:
        started = m_progressController->burnMedia(production, request.output);
        break;
    }
    DW_ASSERT(started, return );
    validateMenuItems();
}

void MainWindowController::editAction()
{
    DW_ASSERT_MAIN_THREAD();
    if (!m_videoEditController || isWindowBusy())
        return;
    if (const MediaDataRef clip = selectedClipToEdit())
        m_videoEditController->updateWindowWithMedia(clip);
}

MediaDataRef MainWindowController::selectedClipToEdit() const
{
    // A selected clip is edited itself; a selected title through its first clip.
    if (m_sourceController->selectionMode() == 2)
        return m_sourceController->selectedMedia();
    const DVDTitleDataRef title = m_sourceController->selectedTitle();
    if (m_sourceController->selectionMode() != 1 || !title || title->mediaArray().isEmpty())
        return {};
    return title->mediaArray().first();
}
