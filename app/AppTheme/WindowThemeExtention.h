#pragma once

class QWidget;

// The dark title bar. The window manager draws the title bar here, so the window only asks for
// its dark variant: the X11 property "_GTK_THEME_VARIANT" = "dark" on the window. Elsewhere (no X11
// connection, as under the offscreen platform) it does nothing and answers false. Main thread.
namespace WindowThemeExtention {

bool changeTitleBarTheme(QWidget *window);

} // namespace WindowThemeExtention
