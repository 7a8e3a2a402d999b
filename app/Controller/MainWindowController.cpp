#include "app/Controller/MainWindowController.h"

#include "Platterkit/burn/DVDBurn.h"
#include "Platterkit/burn/DVDBurnNotification.h"
#include "Platterkit/model/DVDMenu.h"
#include "Platterkit/templates/DVDLibraryResource.h"
#include "app/AppExtention/Convert/BackgroundRenderData.h"
#include "app/AppExtention/Convert/DVDTitleData.h"
#include "app/AppExtention/Convert/MediaData.h"
#include "app/AppExtention/DVDLibraryExtention.h"
#include "app/AppExtention/DVDLibraryResourceExtention.h"
#include "app/AppExtention/DVDMenuExtention.h"
#include "app/AppExtention/Function/AppLog.h"
#include "app/AppExtention/Function/ControllerFunction.h"
#include "app/AppExtention/Function/FileManagerExtention.h"
#include "app/AppExtention/MenuTitleItems.h"
#include "app/Controller/Panels/OpenPanel.h"
#include "app/Controller/SourceViewController.h"
#include "app/Controller/TipViewController.h"
#include "app/Transition/TransitionManager.h"
#include "app/View/MainView/BurnSettingWindow.h"
#include "app/View/MainView/ConvertProgressWindow.h"
#include "app/View/MainView/CustomCapacityView.h"
#include "app/View/MainView/CustomQualityWindow.h"
#include "app/View/MainView/MenuPageStillView.h"
#include "app/production/DiscQuality.h"
#include "app/production/DiscSizeEstimate.h"
#include "app/production/MakeDVDVideoConversion.h"
#include "app/production/ProductionDiscModel.h"
#include "app/production/ProductionStartRules.h"
#include "platform/MainThread.h"
#include "platform/StringTable.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace Discwright;

namespace {

QString text(const char *key)
{
    return platform::localizedString(QString::fromUtf8(key));
}

// The main window: closing it quits the application, after its controller was told. A sheet or
// modal window that comes or goes (blocking or freeing the window) has the commands checked
// again, so that the menus never offer what the window cannot do.
class MainWindowView : public QMainWindow
{
public:
    MainWindowView(std::function<void()> willClose, std::function<void()> blockingChanged)
        : m_willClose(std::move(willClose))
        , m_blockingChanged(std::move(blockingChanged))
    {}

protected:
    void closeEvent(QCloseEvent *event) override
    {
        event->accept();
        if (m_willClose)
            m_willClose();
    }
    bool event(QEvent *event) override
    {
        if ((event->type() == QEvent::WindowBlocked || event->type() == QEvent::WindowUnblocked)
            && m_blockingChanged)
            m_blockingChanged();
        return QMainWindow::event(event);
    }

private:
    std::function<void()> m_willClose;
    std::function<void()> m_blockingChanged;
};

} // namespace

MainWindowController::MainWindowController()
{
    DW_ASSERT_MAIN_THREAD();
    m_dvdLibSource = DVDLibraryResource::share();
    DVDLibraryResourceExtention::setupResourceForCustom();
    m_tempDvdData = std::make_shared<TempDvdData>();
    m_dvd = newEditingDisc(*m_dvdLibSource);
    m_menuEditor = std::make_unique<MenuEditViewController>(*this);

    buildWindow();
    m_menuEditor->setCanvasView(m_pageStill);
    m_menuEditor->initMenuEditItems();
    buildMenus();
    p_initMenuDrawerInDvd();

    m_customDvdBitrate = m_dvd->dvdBitrate();
    m_dvdModelPopButton->clear();
    m_dvdModelPopButton->addItems({text("DVD5"), text("DVD9")});
    m_dvdModelPopButton->setCurrentIndex(0);

    m_progressController = new ConvertProgressWindowController(this);
    m_progressWindow = std::make_shared<ConvertProgressWindow>(m_window);
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
    m_burner = std::make_shared<DVDBurn>();
    m_burnNotification = std::make_unique<DVDBurnNotification>();
    m_burnNotification->setDelegate(this);

    awakeDVDBurnSettingWindow();
    initDVD();
    m_tipPopover = new QWidget(m_window, Qt::Popup);
    m_tipPopover->setObjectName(QStringLiteral("tipPopover"));
    m_tipController = std::make_unique<TipViewController>(m_tipPopover);
    auto *tipLayout = new QVBoxLayout(m_tipPopover);
    tipLayout->setContentsMargins(0, 0, 0, 0);
    tipLayout->addWidget(m_tipController->view());
    m_burnSettingWindow->burnDVDNumberTextField()->setText(QStringLiteral("1"));
    validateMenuItems();
}

MainWindowController::~MainWindowController()
{
    m_burnNotification.reset();
    delete m_progressController;
    m_progressController = nullptr;
    delete m_window;
    m_progressWindow.reset();
}

std::shared_ptr<DVDLibrary> MainWindowController::newEditingDisc(DVDLibraryResource &library,
                                                                 qint64 bitrateKbps)
{
    auto dvd = std::make_shared<DVDLibrary>();
    dvd->setAutoMenus(false);
    dvd->setAspectType(1);
    dvd->setDvdBitrate(bitrateKbps);
    dvd->setPlayFirstTitle(false);
    dvd->setPlayTitleSequence(true);
    dvd->setMenuLoop(true);
    dvd->setFormat(1);
    QList<std::shared_ptr<DVDMenu>> wide;
    for (const auto &page : library.menus())
        if (page->aspectType() == 1)
            wide << page;
    DW_ASSERT(wide.size() > 15, return dvd);
    const auto page = wide[15]->copyMenu();
    // The new project starts with the template's buttons and texts but no title of its own.
    QList<std::shared_ptr<DVDMenuItem>> kept;
    const auto titles = DVDMenuExtention::titleItems(*page);
    for (const auto &item : page->items())
        if (!titles.contains(item))
            kept << item;
    page->setItems(kept);
    dvd->setMenus({page});
    return dvd;
}

void MainWindowController::newDocumentProject()
{
    setProject(newEditingDisc(*m_dvdLibSource, 4000), {}, std::make_shared<TempDvdData>());
    setPackagePath(QString());
    setDocumentEdited(false);
}

std::shared_ptr<DVDMenuItem> MainWindowController::aNewMenuTitleItem() const
{
    const qint64 aspect = dvd()->aspectType();
    QList<std::shared_ptr<DVDMenu>> pages;
    for (const auto &page : m_dvdLibSource->menus())
        if (page->aspectType() == aspect)
            pages << page;
    if (pages.size() <= 15)
        return nullptr;
    for (const auto &item : DVDMenuExtention::titleItems(*pages[15]))
        if (!item->isTextItem())
            return item;
    return nullptr;
}

void MainWindowController::placeImportedTitles(const QList<DVDTitleDataRef> &titles)
{
    DW_ASSERT_MAIN_THREAD(return );
    const auto page = currentPage();
    if (!page || dvd()->noMenu())
        return;
    const auto prototype = aNewMenuTitleItem();
    std::lock_guard locker(m_projectLock);
    for (const DVDTitleDataRef &title : titles)
        MenuTitleItems::importTitle(*page, title, prototype.get(), m_tempDataArray);
}

// --- The project -------------------------------------------------------------------------------

std::shared_ptr<DVDLibrary> MainWindowController::dvd() const
{
    std::lock_guard locker(m_projectLock);
    return m_dvd;
}

QList<std::shared_ptr<TempEditData>> MainWindowController::tempDataArray() const
{
    std::lock_guard locker(m_projectLock);
    return m_tempDataArray;
}

std::shared_ptr<TempDvdData> MainWindowController::tempDvdData() const
{
    std::lock_guard locker(m_projectLock);
    return m_tempDvdData;
}

QString MainWindowController::pathForResourcePath(const QString &relativePath) const
{
    std::lock_guard locker(m_projectLock);
    return m_packagePath.isEmpty() ? QString() : m_packagePath + relativePath;
}

QString MainWindowController::packagePath() const
{
    std::lock_guard locker(m_projectLock);
    return m_packagePath;
}

void MainWindowController::setPackagePath(const QString &path)
{
    DW_ASSERT_MAIN_THREAD(return );
    {
        std::lock_guard locker(m_projectLock);
        m_packagePath = path;
    }
    const QString name = path.isEmpty() ? text("Untitled") : QFileInfo(path).completeBaseName();
    m_window->setWindowTitle(
        QStringLiteral("%1 - %2[*]").arg(name, QApplication::applicationName()));
}

void MainWindowController::setProject(const std::shared_ptr<DVDLibrary> &dvd,
                                      const QList<std::shared_ptr<TempEditData>> &tempData,
                                      const std::shared_ptr<TempDvdData> &tempDvdData)
{
    DW_ASSERT_MAIN_THREAD(return );
    DW_ASSERT(dvd && tempDvdData, return );
    {
        std::lock_guard locker(m_projectLock);
        m_dvd = dvd;
        m_tempDataArray = tempData;
        m_tempDvdData = tempDvdData;
    }
    QList<DVDTitleDataRef> titles;
    for (const ObjectRef &object : dvd->titles())
        if (auto title = std::dynamic_pointer_cast<DVDTitleData>(object))
            titles << title;
    m_sourceController->setTitleArray(titles);
    m_menuEditor->initMenuEditItems();
    initDVD();
    validateMenuItems();
}

// --- Window -------------------------------------------------------------------------------------

void MainWindowController::buildWindow()
{
    m_window = new MainWindowView([this] { emit windowWillClose(); },
                                  [this] {
                                      // The modal window is on or off the modal stack only once
                                      // its show or hide is done.
                                      QTimer::singleShot(0, this, [this] { validateMenuItems(); });
                                  });
    m_window->setObjectName(QStringLiteral("MainWindowController"));
    m_window->setWindowTitle(
        QStringLiteral("%1 - %2[*]").arg(text("Untitled"), QApplication::applicationName()));
    auto *central = new QWidget(m_window);
    m_window->setCentralWidget(central);

    m_sourceController = new SourceViewController(central);
    m_sourceController->setReloadHandler([this] { sourceMediaHasReload(); });
    m_sourceController->setImportHandler(
        [this](const QList<DVDTitleDataRef> &titles) { placeImportedTitles(titles); });
    connect(m_sourceController->tableView(), &QTreeWidget::itemSelectionChanged, this, [this] {
        validateMenuItems();
    });

    m_addVideoButton = new QPushButton(text("Add Video"), central);
    m_addVideoButton->setObjectName(QStringLiteral("addVideoButton"));
    connect(m_addVideoButton, &QPushButton::clicked, this, &MainWindowController::addVideoAction);
    m_burnButton = new QPushButton(text("Burn"), central);
    m_burnButton->setObjectName(QStringLiteral("burnButton"));
    connect(m_burnButton, &QPushButton::clicked, this, &MainWindowController::burnButtonAction);

    m_pageStill = new MenuPageStillView(central);
    m_pageStill->setObjectName(QStringLiteral("menuPageStill"));

    m_dvdModelPopButton = new QComboBox(central);
    m_dvdModelPopButton->setObjectName(QStringLiteral("dvdModelPopButton"));
    connect(m_dvdModelPopButton,
            &QComboBox::activated,
            this,
            &MainWindowController::dvdModelChangedAction);
    m_qualityMenu = new QMenu(m_window);
    m_dvdQualityPopBtn = new QPushButton(central);
    m_dvdQualityPopBtn->setObjectName(QStringLiteral("dvdQualityPopBtn"));
    m_dvdQualityPopBtn->setMenu(m_qualityMenu);
    m_dvdQualityPopBtn->setMinimumWidth(190);
    m_capacityView = new CustomCapacityView(central);
    m_capacityView->setObjectName(QStringLiteral("capacityView"));
    m_capacityLabel = new QLabel(central);
    m_capacityLabel->setObjectName(QStringLiteral("capacityLabel"));
    // Room for the longest label, so that it is never cut while the gauge gives way.
    m_capacityLabel->setMinimumWidth(
        m_capacityLabel->fontMetrics().horizontalAdvance(QStringLiteral("88888 MB / 8300 MB on D9"))
        + 4);
    m_tipButton = new QToolButton(central);
    m_tipButton->setObjectName(QStringLiteral("tipButton"));
    m_tipButton->setText(QStringLiteral("?"));
    m_tipButton->setToolTip(text("Tips"));
    connect(m_tipButton, &QToolButton::clicked, this, &MainWindowController::showTipController);

    auto *left = new QVBoxLayout;
    left->addWidget(m_sourceController->view(), 1);
    auto *leftButtons = new QHBoxLayout;
    leftButtons->addWidget(m_addVideoButton);
    leftButtons->addStretch();
    left->addLayout(leftButtons);

    auto *top = new QHBoxLayout;
    top->addLayout(left, 2);
    top->addWidget(m_pageStill, 3);

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(m_dvdModelPopButton);
    bottom->addWidget(m_dvdQualityPopBtn);
    bottom->addWidget(m_capacityView, 1);
    bottom->addWidget(m_capacityLabel);
    bottom->addWidget(m_tipButton);
    bottom->addSpacing(12);
    bottom->addWidget(m_burnButton);

    auto *layout = new QVBoxLayout(central);
    layout->addLayout(top, 1);
    layout->addLayout(bottom);
    m_window->resize(900, 520);

    m_customQualityWnd = new CustomQualityWindow(m_window);
    connect(m_customQualityWnd->slider(),
            &QSlider::valueChanged,
            this,
            &MainWindowController::customQualitySliderAction);
    connect(m_customQualityWnd->field(),
            &QLineEdit::editingFinished,
            this,
            &MainWindowController::customQualityFieldAction);
    connect(m_customQualityWnd->okButton(),
            &QPushButton::clicked,
            this,
            &MainWindowController::finishCustomQualityWindow);

    m_burnSettingWindow = new BurnSettingWindow(m_window);
    connect(m_burnSettingWindow->burnType(),
            &QButtonGroup::idClicked,
            this,
            &MainWindowController::burnTypeChangedAction);
    connect(m_burnSettingWindow->devicePopButton(),
            &QComboBox::activated,
            this,
            &MainWindowController::deviceChangedAction);
    connect(m_burnSettingWindow->chooseFolderButton(),
            &QPushButton::clicked,
            this,
            &MainWindowController::chooseFolderAction);
    connect(m_burnSettingWindow->burnDVDNumberTextField(),
            &QLineEdit::editingFinished,
            this,
            &MainWindowController::changeBurnDVDNumberAction);
    connect(m_burnSettingWindow->cancelButton(),
            &QPushButton::clicked,
            this,
            &MainWindowController::cancelBurnAction);
    connect(m_burnSettingWindow->startButton(),
            &QPushButton::clicked,
            this,
            &MainWindowController::startBurnAction);
    // Sheets and the progress window take the commands away while they are up.
    for (QDialog *sheet :
         {static_cast<QDialog *>(m_customQualityWnd), static_cast<QDialog *>(m_burnSettingWindow)})
        connect(sheet, &QDialog::finished, this, [this] { validateMenuItems(); });
}

QAction *MainWindowController::addAction(QMenu *menu,
                                         const QString &name,
                                         const QString &title,
                                         const QKeySequence &shortcut,
                                         std::function<void()> handler)
{
    QAction *action = menu->addAction(title);
    action->setObjectName(name);
    action->setShortcut(shortcut);
    if (handler)
        connect(action, &QAction::triggered, this, [handler] { handler(); });
    m_actions.insert(name, action);
    return action;
}

void MainWindowController::buildMenus()
{
    QMenuBar *bar = m_window->menuBar();
    // The application menu's About and Quit take their titles and handlers from AppDelegate.
    QMenu *application = bar->addMenu(QApplication::applicationName());
    application->setObjectName(QStringLiteral("applicationMenu"));
    addAction(application, "orderFrontStandardAboutPanel:", text("About"), {}, {});
    application->addSeparator();
    addAction(application, "terminate:", text("Quit"), QKeySequence::Quit, {});

    QMenu *file = bar->addMenu(text("File"));
    const auto document = [this](const char *name) {
        return [this, name] { emit documentCommand(QString::fromUtf8(name)); };
    };
    addAction(file, "newDocument:", text("New"), QKeySequence::New, document("newDocument:"));
    addAction(
        file, "openDocument:", text("Open..."), QKeySequence::Open, document("openDocument:"));
    file->addSeparator();
    addAction(file, "saveDocument:", text("Save"), QKeySequence::Save, document("saveDocument:"));
    addAction(file,
              "saveDocumentAs:",
              text("Save As..."),
              QKeySequence::SaveAs,
              document("saveDocumentAs:"));
    addAction(file,
              "revertDocumentToSaved:",
              text("Revert to Saved"),
              {},
              document("revertDocumentToSaved:"));
    file->addSeparator();
    addAction(
        file, "addVideoAction:", text("Add Video..."), QKeySequence(Qt::CTRL | Qt::Key_I), [this] {
            addVideoAction();
        });

    QMenu *edit = bar->addMenu(text("Edit"));
    addAction(edit, "delete:", text("Delete"), QKeySequence::Delete, [this] { deleteAction(); });

    QMenu *help = bar->addMenu(text("Help"));
    help->setObjectName(QStringLiteral("helpMenu"));
    addAction(help, "discwrightHelp:", text("Discwright Help"), QKeySequence::HelpContents, {});
}

void MainWindowController::validateMenuItems()
{
    DW_ASSERT_MAIN_THREAD(return );
    const bool busy = isWindowBusy();
    for (const char *name : {"newDocument:",
                             "openDocument:",
                             "saveDocument:",
                             "saveDocumentAs:",
                             "revertDocumentToSaved:"}) {
        const QString action = QString::fromUtf8(name);
        m_actions.value(action)->setEnabled(!busy && m_documentCommandValidator
                                            && m_documentCommandValidator(action));
    }
    m_actions.value("addVideoAction:")->setEnabled(!busy);
    m_actions.value("delete:")->setEnabled(!busy && m_sourceController->selectionMode() != 0
                                           && m_firstResponderInSource);
    m_addVideoButton->setEnabled(!busy);
    m_burnButton->setEnabled(!busy && hasDVDTitles());
}

bool MainWindowController::isWindowBusy() const
{
    if (QApplication::activeModalWidget())
        return true;
    return m_customQualityWnd->isVisible() || m_burnSettingWindow->isVisible()
           || (m_progressWindow && m_progressWindow->window()->isVisible())
           || (m_progressController && m_progressController->isRunning());
}

void MainWindowController::setDocumentEdited(bool edited)
{
    DW_ASSERT_MAIN_THREAD(return );
    if (edited) {
        if (dvd()->titles().isEmpty() && packagePath().isEmpty())
            m_changeCount = 0;
        else
            ++m_changeCount;
    } else {
        m_changeCount = 0;
    }
    m_window->setWindowModified(m_changeCount > 0);
}

void MainWindowController::updateDVDTitles()
{
    ObjectList titles;
    for (const DVDTitleDataRef &title : m_sourceController->titleArray())
        titles << title;
    dvd()->setTitles(titles);
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
    changeCapacityValue();
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

void MainWindowController::sourceMediaHasReload()
{
    changeCapacityValue();
    updateDVDTitles();
    ControllerFunction::updateDvdMenu();
    displayCanvasView();
    validateMenuItems();
    setDocumentEdited(true);
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
    if (m_sourceController->selectionMode() != 0 && m_firstResponderInSource) {
        m_sourceController->deleteAction();
        ControllerFunction::updateDvdMenu();
    }
}

void MainWindowController::showTipController()
{
    DW_ASSERT_MAIN_THREAD(return );
    m_tipPopover->adjustSize();
    const QPoint below = m_tipButton->mapToGlobal(QPoint(0, m_tipButton->height()));
    m_tipPopover->move(below.x() - m_tipPopover->width() + m_tipButton->width(), below.y());
    m_tipPopover->show();
}

// --- Quality and gauge ---------------------------------------------------------------------------

void MainWindowController::initQualityPopBtn()
{
    m_qualityMenu->clear();
    const QStringList titles = DiscQuality::qualityTitleKeys();
    for (int tag = 0; tag < titles.size(); ++tag) {
        QAction *item = m_qualityMenu->addAction(platform::localizedString(titles[tag]));
        item->setData(tag);
        connect(item, &QAction::triggered, this, [this, tag] { chooseExistQualityAction(tag); });
    }
    m_qualityMenu->addSeparator();
    QAction *custom = m_qualityMenu->addAction(DiscQuality::customQualityTitle(m_customDvdBitrate));
    custom->setData(DiscQuality::kCustomQualityTag);
    connect(custom, &QAction::triggered, this, &MainWindowController::chooseCustomQualityAction);
    for (QAction *item : m_qualityMenu->actions()) {
        if (item->isSeparator())
            continue;
        item->setCheckable(true);
        item->setChecked(item->data().toInt() == m_selectedQualityTag);
        if (item->isChecked())
            m_dvdQualityPopBtn->setText(item->text());
    }
}

void MainWindowController::initDVD()
{
    DW_ASSERT_MAIN_THREAD(return );
    updateDVDEditInterface();
    // The custom item shows the opened project's own rate, not the last one typed.
    m_customDvdBitrate = dvd()->dvdBitrate();
    m_selectedQualityTag = DiscQuality::qualityTagForBitrate(dvd()->dvdBitrate());
    initQualityPopBtn();
    changeCapacityValue();
}

void MainWindowController::chooseExistQualityAction(int tag)
{
    const qint64 rate = DiscQuality::bitrateForQualityTag(tag);
    DW_ASSERT(rate > 0, return );
    dvd()->setDvdBitrate(rate);
    m_selectedQualityTag = tag;
    initQualityPopBtn();
    changeCapacityValue();
}

void MainWindowController::chooseCustomQualityAction()
{
    m_customDvdBitrate = DiscQuality::clampCustomBitrate(dvd()->dvdBitrate());
    changeCapacityValue();
    {
        const QSignalBlocker blocker(m_customQualityWnd->slider());
        m_customQualityWnd->slider()->setValue(int(m_customDvdBitrate));
    }
    m_customQualityWnd->field()->setText(QString::number(m_customDvdBitrate));
    m_customQualityWnd->sizeLabel()->setText(m_customDvdWndSizeString);
    m_customQualityWnd->open();
    validateMenuItems();
}

void MainWindowController::customQualitySliderAction(int value)
{
    m_customDvdBitrate = value;
    dvd()->setDvdBitrate(m_customDvdBitrate);
    changeCapacityValue();
    m_customQualityWnd->field()->setText(QString::number(m_customDvdBitrate));
    m_customQualityWnd->sizeLabel()->setText(m_customDvdWndSizeString);
}

void MainWindowController::customQualityFieldAction()
{
    m_customDvdBitrate
        = DiscQuality::clampCustomBitrate(m_customQualityWnd->field()->text().toLongLong());
    dvd()->setDvdBitrate(m_customDvdBitrate);
    changeCapacityValue();
    m_customQualityWnd->field()->setText(QString::number(m_customDvdBitrate));
    const QSignalBlocker blocker(m_customQualityWnd->slider());
    m_customQualityWnd->slider()->setValue(int(m_customDvdBitrate));
    m_customQualityWnd->sizeLabel()->setText(m_customDvdWndSizeString);
}

void MainWindowController::finishCustomQualityWindow()
{
    // A value typed but not yet committed counts, as it would when the field loses focus.
    customQualityFieldAction();
    m_selectedQualityTag = DiscQuality::kCustomQualityTag;
    initQualityPopBtn();
    changeCapacityValue();
    m_customQualityWnd->accept();
}

void MainWindowController::dvdModelChangedAction()
{
    qCInfo(lcShell, "dvd model change");
    changeCapacityValue();
}

bool MainWindowController::hasDVDTitles() const
{
    for (const DVDTitleDataRef &title : m_sourceController->titleArray())
        if (!title->mediaArray().isEmpty())
            return true;
    return false;
}

bool MainWindowController::hasTitleUsed() const
{
    if (hasDVDTitles() && dvd()->noMenu())
        return true;
    for (const DVDTitleDataRef &title : m_sourceController->titleArray())
        if (title->usedMenuItem())
            return true;
    return false;
}

void MainWindowController::changeCapacityValue()
{
    DW_ASSERT_MAIN_THREAD(return );
    const auto disc = dvd();
    DiscSizeEstimate::DiscContent content;
    content.noMenu = disc->noMenu();
    for (const DVDTitleDataRef &title : m_sourceController->titleArray()) {
        DiscSizeEstimate::DiscContent::Title entry;
        entry.placedOnMenu = title->usedMenuItem() != nullptr;
        for (const MediaDataRef &media : title->mediaArray())
            if (media->movie())
                entry.clipSeconds.push_back(double(media->movie()->trimArrayDuration()) / 1e6);
        content.titles.push_back(std::move(entry));
    }
    const auto settings = tempDvdData();
    if (settings->dvdHasWarningMedia())
        if (auto warning = std::dynamic_pointer_cast<MediaData>(settings->dvdWarningMedia()))
            if (warning->movie())
                content.warningSeconds = double(warning->movie()->trimDuration()) / 1e6;
    for (const auto &page : disc->menus())
        content.pageSeconds.push_back(page->duration());

    m_totalUsedSpace = DiscSizeEstimate::estimatedBytes(content, disc->dvdBitrate());
    const auto type = DiscSizeEstimate::discTypeForIndex(m_dvdModelPopButton->currentIndex());
    m_capacityLabel->setText(DiscSizeEstimate::capacityLabel(m_totalUsedSpace, type));
    m_capacityView->setCapacityValue(DiscSizeEstimate::capacityFraction(m_totalUsedSpace, type));
    m_capacityView->update();
    m_customDvdWndSizeString = DiscSizeEstimate::customSizeText(m_totalUsedSpace);
    m_customQualityWnd->sizeLabel()->setText(m_customDvdWndSizeString);
    m_burnButton->setEnabled(!isWindowBusy() && hasDVDTitles());
}

// --- Production start ----------------------------------------------------------------------------

bool MainWindowController::runAlert(const QString &message,
                                    const QString &informative,
                                    const QString &defaultButton,
                                    const QString &alternateButton)
{
    QWidget *parent
        = m_burnSettingWindow->isVisible() ? static_cast<QWidget *>(m_burnSettingWindow) : m_window;
    QMessageBox box(QMessageBox::Warning,
                    QApplication::applicationName(),
                    message,
                    QMessageBox::NoButton,
                    parent);
    box.setObjectName(QStringLiteral("mainAlert"));
    box.setWindowModality(Qt::WindowModal);
    box.setInformativeText(informative);
    QPushButton *accept = box.addButton(defaultButton, QMessageBox::AcceptRole);
    box.setDefaultButton(accept);
    if (!alternateButton.isEmpty())
        box.setEscapeButton(box.addButton(alternateButton, QMessageBox::RejectRole));
    box.exec();
    return box.clickedButton() == accept;
}

void MainWindowController::burnButtonAction()
{
    DW_ASSERT_MAIN_THREAD(return );
    if (!hasTitleUsed()) {
        runAlert(text("Please import video to DVD menu area , you need drag and drop video to menu "
                      "edit area ."),
                 QString(),
                 text("OK"));
        return;
    }
    qsizetype fullest = 0;
    for (const auto &page : dvd()->menus())
        fullest = std::max(fullest, DVDMenuExtention::titleItems(*page).size());
    const auto aspect = dvd()->aspectType();
    if (ProductionStartRules::menuPageOverLimit(
            fullest, tempDvdData()->dvdShowPlayButton(), aspect)) {
        if (!runAlert(ProductionStartRules::menuPageLimitMessage(aspect),
                      QString(),
                      text("Continue Burn"),
                      text("Cancel")))
            return;
    }
    p_doExportFunction();
}

void MainWindowController::p_doExportFunction()
{
    const int standard = DVDLibraryExtention::isDefaultUseDVDNTSC() ? 0 : 1;
    m_burnSettingWindow->tvStandardType()->button(standard)->setChecked(true);
    awakeDVDBurnSettingWindow();
    m_burnSettingWindow->open();
    validateMenuItems();
}

void MainWindowController::awakeDVDBurnSettingWindow()
{
    m_burnSettingWindow->selectedDirLabel()->setText(FileManagerExtention::defaultOutputPath());
    m_burnSettingWindow->dvdNameField()->setText(text("DVD Name"));
    setStatusString(text("Ready to burn"));
    changeDVDBurnDevice();
    m_burnSettingWindow->burnType()->button(0)->setChecked(true);
    burnTypeChangedAction();
}

void MainWindowController::setStatusString(const QString &status)
{
    QLabel *label = m_burnSettingWindow->statusLabel();
    label->setText(status);
    const bool ready = status == text("Ready to burn");
    label->setStyleSheet(ready ? QStringLiteral("color: blue;") : QStringLiteral("color: red;"));
}

QString MainWindowController::statusString() const
{
    return m_burnSettingWindow->statusLabel()->text();
}

void MainWindowController::changeDVDBurnDevice()
{
    QComboBox *popup = m_burnSettingWindow->devicePopButton();
    popup->clear();
    const auto devices = m_burner->devices();
    for (const auto &device : devices)
        if (!device->displayName().isEmpty())
            popup->addItem(device->displayName(), device->address());
    if (!devices.isEmpty())
        selectDVDDeviceWithIndex(0);
}

void MainWindowController::selectDVDDeviceWithIndex(int index)
{
    QComboBox *popup = m_burnSettingWindow->devicePopButton();
    const auto devices = m_burner->devices();
    if (index < 0 || index >= popup->count() || index >= devices.size())
        return;
    popup->setCurrentIndex(index);
    m_burner->setDevice(devices[index]);
}

void MainWindowController::deviceChangedAction()
{
    selectDVDDeviceWithIndex(m_burnSettingWindow->devicePopButton()->currentIndex());
    updateDVDBurnStatus();
}

void MainWindowController::devicesDidChanged()
{
    changeDVDBurnDevice();
    updateDVDBurnStatus();
}

OutputNaming::OutputKind MainWindowController::selectedOutputKind() const
{
    const int tag = m_burnSettingWindow->burnType()->checkedId();
    return tag < 0 ? OutputNaming::OutputKind::Disc : OutputNaming::OutputKind(tag);
}

void MainWindowController::updateDVDBurnStatus()
{
    if (selectedOutputKind() != OutputNaming::OutputKind::Disc)
        return;
    m_canBurn = false;
    if (m_sourceController->titleArray().isEmpty())
        setStatusString(text("Please import some media."));
    else if (m_burner->devices().isEmpty() || !m_burner->device())
        setStatusString(text("NO Device."));
    else if (!m_burner->mediaIsPresent())
        setStatusString(text("No disc,please insert a blank disc."));
    else if (!m_burner->mediaIsBlank())
        setStatusString(text("Disc not blank,please insert a blank disc."));
    else if (m_burner->mediaWritableSpace() < m_totalUsedSpace)
        setStatusString(text("Disc space is not enough."));
    else {
        setStatusString(text("Ready to burn"));
        m_canBurn = true;
    }
    if (m_burner->device() && m_burner->mediaIsPresent()) {
        qCInfo(lcShell) << "blank:" << m_burner->mediaIsBlank();
        qCInfo(lcShell) << "free:" << m_burner->mediaFreeSpace();
        qCInfo(lcShell) << "used:" << m_burner->mediaUsedSpace();
        qCInfo(lcShell) << "writable:" << m_burner->mediaWritableSpace();
        qCInfo(lcShell) << "IsOverwritable:" << m_burner->mediaOverWritableSpace();
    }
    m_burnSettingWindow->startButton()->setEnabled(m_canBurn);
}

QString MainWindowController::selectedOutputFolder() const
{
    return m_burnSettingWindow->selectedDirLabel()->text();
}

void MainWindowController::setSelectedOutputFolder(const QString &folder)
{
    m_burnSettingWindow->selectedDirLabel()->setText(folder);
}

void MainWindowController::burnTypeChangedAction()
{
    const bool disc = selectedOutputKind() == OutputNaming::OutputKind::Disc;
    m_burnSettingWindow->dvdOptionView()->setVisible(disc);
    m_burnSettingWindow->chooseFolderView()->setVisible(!disc);
    if (disc) {
        updateDVDBurnStatus();
        return;
    }
    m_canBurn = false;
    const bool hasTitles = !m_sourceController->titleArray().isEmpty();
    if (hasTitles && QFileInfo(selectedOutputFolder()).isDir()) {
        m_canBurn = true;
        setStatusString(text("Ready to burn"));
    } else if (hasTitles) {
        setStatusString(text("Please choose an output Directory."));
    } else {
        setStatusString(text("Please import some media."));
    }
    m_burnSettingWindow->startButton()->setEnabled(m_canBurn);
}

void MainWindowController::chooseFolderAction()
{
    const QString folder = OpenPanel::shared().chooseDirectory(
        m_burnSettingWindow, text("Choose Directory"), text("Choose"), selectedOutputFolder());
    if (folder.isEmpty())
        return;
    setSelectedOutputFolder(folder);
    burnTypeChangedAction();
}

void MainWindowController::cancelBurnAction()
{
    m_burnSettingWindow->reject();
}

int MainWindowController::getBurnDVDCopyiedTimes() const
{
    return ProductionStartRules::burnCopiesFromText(
        m_burnSettingWindow->burnDVDNumberTextField()->text());
}

void MainWindowController::changeBurnDVDNumberAction()
{
    m_burnSettingWindow->burnDVDNumberTextField()->setText(
        QString::number(getBurnDVDCopyiedTimes()));
}

void MainWindowController::startBurnAction()
{
    DW_ASSERT_MAIN_THREAD(return );
    // Ends any field edit, so what was typed counts.
    m_burnSettingWindow->setFocus();
    changeBurnDVDNumberAction();
    const auto kind = selectedOutputKind();
    const bool disc = kind == OutputNaming::OutputKind::Disc;
    QString outputFolder;
    if (disc) {
        // The image is made under the temporary root; the free space is asked there.
        outputFolder = FileManagerExtention::tempRootPath();
        QDir().mkpath(outputFolder);
    } else {
        outputFolder = selectedOutputFolder();
        if (!QFileInfo(outputFolder).isDir()) {
            burnTypeChangedAction();
            return;
        }
    }
    const QString name
        = ProductionStartRules::discNameFromField(m_burnSettingWindow->dvdNameField()->text());
    if (ProductionStartRules::isDiscNameTooLong(name)) {
        runAlert(ProductionStartRules::discNameTooLongTitle(),
                 ProductionStartRules::discNameTooLongMessage(name),
                 text("OK"));
        return;
    }
    // The space is checked before anything is made, so a refused start leaves nothing behind.
    const qint64 needed = ProductionStartRules::neededFreeBytes(m_totalUsedSpace);
    const qint64 free = ProductionStartRules::freeBytesAtPath(outputFolder);
    if (!ProductionStartRules::hasEnoughFreeSpace(free, m_totalUsedSpace)) {
        runAlert(ProductionStartRules::freeSpaceAlertTitle(),
                 ProductionStartRules::freeSpaceAlertMessage(free, needed),
                 text("OK"));
        return;
    }
    m_burnSettingWindow->accept();

    std::shared_ptr<DVDLibrary> production = m_productionDiscFactory
                                                 ? m_productionDiscFactory()
                                                 : ProductionDiscModel::getDVDObj(*this);
    if (!production) {
        // The copy production reads could not be made (the reason is in the log).
        runAlert(text("The DVD folder could not be made."), QString(), text("OK"));
        return;
    }
    ProductionRequest request;
    request.kind = kind;
    request.name = name;
    request.copies = getBurnDVDCopyiedTimes();
    request.format = m_burnSettingWindow->tvStandardType()->checkedId() == 0 ? 0 : 1;
    request.output = OutputNaming::outputPath(kind, outputFolder, name);
    // The run makes its own work folder there, at a free name when "temp" is the user's.
    request.workFolder = disc ? QString() : QDir(outputFolder).filePath(QStringLiteral("temp"));
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
