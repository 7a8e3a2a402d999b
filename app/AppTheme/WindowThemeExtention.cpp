#include "app/AppTheme/WindowThemeExtention.h"

#include "platform/MainThread.h"

#include <QGuiApplication>
#include <QWidget>
#include <cstring>
#include <xcb/xcb.h>

namespace WindowThemeExtention {

bool changeTitleBarTheme(QWidget *window)
{
    DW_ASSERT_MAIN_THREAD(return false);
    if (!window)
        return false;
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection())
        return false;
    xcb_connection_t *connection = x11->connection();
    static const char kAtom[] = "_GTK_THEME_VARIANT";
    static const char kUtf8[] = "UTF8_STRING";
    static const char kDark[] = "dark";
    const auto cookie = xcb_intern_atom(connection, 0, std::strlen(kAtom), kAtom);
    const auto typeCookie = xcb_intern_atom(connection, 0, std::strlen(kUtf8), kUtf8);
    xcb_intern_atom_reply_t *atom = xcb_intern_atom_reply(connection, cookie, nullptr);
    xcb_intern_atom_reply_t *type = xcb_intern_atom_reply(connection, typeCookie, nullptr);
    bool done = false;
    if (atom && type) {
        xcb_change_property(connection,
                            XCB_PROP_MODE_REPLACE,
                            xcb_window_t(window->winId()),
                            atom->atom,
                            type->atom,
                            8,
                            std::strlen(kDark),
                            kDark);
        xcb_flush(connection);
        done = true;
    }
    std::free(atom);
    std::free(type);
    return done;
}

} // namespace WindowThemeExtention
