#pragma once

#include "Platterkit/model/DVDMenu.h"
#include "platform/KeyedObject.h"

#include <QSet>
#include <QSize>
#include <QSizeF>
#include <QStringList>
#include <QVariantMap>
#include <memory>
#include <utility>

namespace Platterkit {
class ToolProcess;
}

/**
 * The disc model: titles, menu pages and the disc-wide playback options, plus the page and jump
 * logic that keeps them consistent (pagination, navigation buttons, sub-page chains) and answers
 * what follows a title or a page. The application keeps one in its project and builds a fresh one
 * for each production run. Used from one thread at a time (the main thread while editing, the
 * production thread once handed over); nothing here locks.
 *
 * Titles are application objects: production titles conform to DVDTitleVideo (with DVDChapterVideo
 * chapters); editing titles merely answer the DVDTitleResource messages.
 */
class DVDLibrary : public platform::KeyedObject
{
    Q_OBJECT
    Q_PROPERTY(std::shared_ptr<DVDMenu> currentMenu READ currentMenu WRITE setCurrentMenu)
    Q_PROPERTY(QList<std::shared_ptr<DVDMenu>> menus READ menus WRITE setMenus)
    Q_PROPERTY(ObjectList titles READ titles WRITE setTitles)
    Q_PROPERTY(bool noMenu READ noMenu WRITE setNoMenu)
    Q_PROPERTY(bool autoMenus READ autoMenus WRITE setAutoMenus)
    Q_PROPERTY(qint64 aspectType READ aspectType WRITE setAspectType)
    Q_PROPERTY(qint64 format READ format WRITE setFormat)
    Q_PROPERTY(qint64 dvdBitrate READ dvdBitrate WRITE setDvdBitrate)
    Q_PROPERTY(bool playFirstTitle READ playFirstTitle WRITE setPlayFirstTitle)
    Q_PROPERTY(bool playTitleSequence READ playTitleSequence WRITE setPlayTitleSequence)
    Q_PROPERTY(bool menuLoop READ menuLoop WRITE setMenuLoop)
    Q_PROPERTY(bool loopVideo READ loopVideo WRITE setLoopVideo)
    Q_PROPERTY(QVariantMap customDataStorage READ customDataStorage WRITE setCustomDataStorage)
    Q_PROPERTY(int autoPlayVideos READ autoPlayVideos WRITE setAutoPlayVideos)
    Q_PROPERTY(bool loopAutoPlayVideos READ loopAutoPlayVideos WRITE setLoopAutoPlayVideos)
    Q_PROPERTY(bool menuAutoJumpVideo READ menuAutoJumpVideo WRITE setMenuAutoJumpVideo)
    Q_PROPERTY(bool loopSingleVideo READ loopSingleVideo WRITE setLoopSingleVideo)
public:
    Q_INVOKABLE DVDLibrary();
    ~DVDLibrary() override;

    QStringList allCoderKeys() const override;
    // "titles" holds no page, element or disc model: such a record there fails the archive, as an
    // unknown class does. Other keys decode as every record's do.
    void decoderKey(platform::KeyedUnarchiver &coder, const QString &key) override;

    // --- Stored values ---------------------------------------------------------------------
    // The template page new pages are copied from.
    std::shared_ptr<DVDMenu> currentMenu() const { return m_currentMenu; }
    void setCurrentMenu(const std::shared_ptr<DVDMenu> &menu) { m_currentMenu = menu; }
    // Every page in disc order (main pages and sub-pages mixed); position + 1 is the menu number.
    QList<std::shared_ptr<DVDMenu>> menus() const { return m_menus; }
    void setMenus(const QList<std::shared_ptr<DVDMenu>> &menus) { m_menus = menus; }
    // The titles in disc order; position + 1 is the DVD title number.
    ObjectList titles() const { return m_titles; }
    void setTitles(const ObjectList &titles) { m_titles = titles; }

    bool noMenu() const { return m_noMenu; }
    void setNoMenu(bool noMenu) { m_noMenu = noMenu; }
    // Not archived; a new library has it off.
    bool autoMenus() const { return m_autoMenus; }
    void setAutoMenus(bool autoMenus) { m_autoMenus = autoMenus; }
    // 1 = 16:9, anything else 4:3.
    qint64 aspectType() const { return m_aspectType; }
    void setAspectType(qint64 aspectType) { m_aspectType = aspectType; }
    // 1 = PAL, anything else NTSC.
    qint64 format() const { return m_format; }
    void setFormat(qint64 format) { m_format = format; }
    qint64 dvdBitrate() const { return m_dvdBitrate; }
    void setDvdBitrate(qint64 bitrate) { m_dvdBitrate = bitrate; }
    bool playFirstTitle() const { return m_playFirstTitle; }
    void setPlayFirstTitle(bool on) { m_playFirstTitle = on; }
    bool playTitleSequence() const { return m_playTitleSequence; }
    void setPlayTitleSequence(bool on) { m_playTitleSequence = on; }
    bool menuLoop() const { return m_menuLoop; }
    void setMenuLoop(bool on) { m_menuLoop = on; }
    bool loopVideo() const { return m_loopVideo; }
    void setLoopVideo(bool on) { m_loopVideo = on; }
    QVariantMap customDataStorage() const { return m_customDataStorage; }
    void setCustomDataStorage(const QVariantMap &storage) { m_customDataStorage = storage; }
    int autoPlayVideos() const { return m_autoPlayVideos; }
    void setAutoPlayVideos(int count) { m_autoPlayVideos = count; }
    bool loopAutoPlayVideos() const { return m_loopAutoPlayVideos; }
    void setLoopAutoPlayVideos(bool on) { m_loopAutoPlayVideos = on; }
    bool menuAutoJumpVideo() const { return m_menuAutoJumpVideo; }
    void setMenuAutoJumpVideo(bool on) { m_menuAutoJumpVideo = on; }
    bool loopSingleVideo() const { return m_loopSingleVideo; }
    void setLoopSingleVideo(bool on) { m_loopSingleVideo = on; }

    // --- Custom data store -----------------------------------------------------------------
    // Stores a new dictionary with value set for key (an invalid or null value removes the key);
    // the dictionary handed out before is never changed.
    void setObjectForKey(const QVariant &value, const QString &key);
    QVariant objectForKey(const QString &key) const;

    // --- Derived values --------------------------------------------------------------------
    // 720 x 576 for PAL, 720 x 480 otherwise.
    QSize dvdVideoSize() const;
    // (numerator, denominator): (1, 25) for PAL, (1001, 30000) otherwise.
    std::pair<double, double> dvdVideoTimebase() const;
    // 854 x 480 for a 16:9 page, 640 x 480 otherwise (and for null).
    static QSizeF menuSizeForMenu(const DVDMenuPage *menu);

    // --- Pages and jumps -------------------------------------------------------------------
    // After any change of titles or pages: pagination (autoMenus on, noMenu off), the titles'
    // video size, then every navigation jump.
    void updateDVDMenu();
    // Spreads titles over pages, copying currentMenu for new pages and removing surplus ones (with
    // every jump into them). Titles that no page can take (no currentMenu, or a template without a
    // title slot) are left unplaced.
    void updateDVDMenus();
    // Sends setVideoSize with the page size of aspectType to every title that answers it.
    void updateDVDMenuTitleSize();
    // Wires the chain below element (null: the main chain), recursively.
    void updateDVDMenuJump(const ObjectRef &element);
    // Sets element's jump when the element answers setJump; otherwise nothing.
    void updateMenuElementJump(const ObjectRef &element, const ObjectRef &target);
    // The pages whose parent is element (null: main pages), in menus order.
    QList<std::shared_ptr<DVDMenu>> submenusForMenuItem(const ObjectRef &element) const;
    // Every page below menu, at any depth.
    QList<std::shared_ptr<DVDMenu>> submenusForMenu(const std::shared_ptr<DVDMenu> &menu) const;
    // Removes menu and every page below it, first clearing every jump into them.
    void deleteDVDMenu(const std::shared_ptr<DVDMenu> &menu);
    // Position in menus, or -1.
    qsizetype indexOfMenu(const ObjectRef &menu) const;
    // The first page whose items hold element; null for null or when none.
    std::shared_ptr<DVDMenu> menuForItem(const ObjectRef &element) const;
    std::shared_ptr<DVDMenu> getFirstMenu() const;

    // --- Titles and what follows -----------------------------------------------------------
    // The titles that are not the warning title, in titles order. A title that does not conform
    // to DVDTitleVideo counts as normal.
    ObjectList getAllNormalTitles() const;
    // The last warning title, or null.
    ObjectRef getWarningTitle() const;
    // The chapters (title order, then chapter order) whose titles list holds element.
    ObjectList getChaptersForItem(const ObjectRef &element) const;
    // The first DVDTitleVideo title whose chapters hold chapter, or null.
    ObjectRef getTitleForChapter(const ObjectRef &chapter) const;
    // The element's resolved target: its jump when that is a title resource or a page, otherwise
    // the first chapter that lists the element.
    ObjectRef getJumpObjForMenuElement(const ObjectRef &element) const;
    // What follows title inside the auto-play sequence.
    ObjectRef jumpForAutoPlayVideoPostItem(const ObjectRef &title) const;
    // What follows when object (page, element, title, chapter, or null for the disc start) ends or
    // is activated; null for a title means a return to the menu.
    ObjectRef jumpForActionItem(const ObjectRef &object) const;

    // --- Authoring ---------------------------------------------------------------------------
    // The disc's dvdauthor control file (written by DVDAuthorXML), as the dvdauthor step writes
    // it to "author.xml". Defined with the writer, in Platterkit/authoring.
    QString authorContent() const;
    // Extra attributes for the menu video element of that file; none here. A specialised library
    // overrides it, and the dvdauthor step then passes them on.
    virtual QString customDVDMenuVideoOptions() const;
    // A prepared, not yet launched dvdauthor or spumux process for this disc (see ToolRunner):
    // its only environment variable is VIDEO_FORMAT, "PAL" when format is 1, else "NTSC". Defined
    // with the tool runner, in Platterkit/tools.
    std::shared_ptr<Platterkit::ToolProcess> taskCurrentArguments(
        const QString &toolName, const QString &currentPath, const QStringList &arguments) const;

private:
    // Removes the pages and clears every jump that leads into them.
    void removeMenus(const QList<std::shared_ptr<DVDMenu>> &doomed);
    // The walks below keep the pages already seen, so that a parent loop (possible in a damaged
    // archive) ends instead of recursing forever.
    void wireChain(const ObjectRef &element, QSet<const DVDMenu *> &wired);
    void collectSubmenus(const DVDMenu *menu,
                         QSet<const DVDMenu *> &seen,
                         QList<std::shared_ptr<DVDMenu>> &out) const;

    std::shared_ptr<DVDMenu> m_currentMenu;
    QList<std::shared_ptr<DVDMenu>> m_menus;
    ObjectList m_titles;
    bool m_noMenu = false;
    bool m_autoMenus = false;
    qint64 m_aspectType = 0;
    qint64 m_format = 0;
    qint64 m_dvdBitrate = 0;
    bool m_playFirstTitle = false;
    bool m_playTitleSequence = false;
    bool m_menuLoop = false;
    bool m_loopVideo = false;
    QVariantMap m_customDataStorage;
    int m_autoPlayVideos = 0;
    bool m_loopAutoPlayVideos = false;
    bool m_menuAutoJumpVideo = false;
    bool m_loopSingleVideo = false;
};

using DVDLibraryRef = std::shared_ptr<DVDLibrary>;
