// The process entry of Discwright: the application object, the library operations the
// application replaces, the delegate's start-up, then the event loop.

#include "app/AppExtention/DVDLibraryExtention.h"
#include "app/Controller/AppDelegate.h"
#include "app/Controller/MainWindowDocumentHost.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Discwright"));
    QApplication::setApplicationVersion(QStringLiteral(DW_VERSION));
    QApplication::setOrganizationDomain(QStringLiteral("discwright.org"));
    QApplication::setOrganizationName(QStringLiteral("Discwright"));
    DVDLibraryExtention::install();

    AppDelegate delegate;
    if (!delegate.applicationWillFinishLaunching()) {
        const QString message = AppDelegate::alreadyRunningMessage();
        std::fprintf(stderr, "%s\n", qPrintable(message));
        // Nobody reads a box on a screen that is not shown.
        if (QApplication::platformName() != QLatin1String("offscreen"))
            QMessageBox::information(nullptr, QApplication::applicationName(), message);
        return 1;
    }
    // The one document: the File menu, the window's close and a package named on the command line.
    MainWindowDocumentHost documents(*delegate.mainWndController());
    documents.install();
    delegate.setDocumentHooks([&documents] { return documents.hasDocument(); },
                              [&documents] { documents.openFirstDocument(); });
    if (QApplication::arguments().size() > 1)
        documents.setStartupPackage(QApplication::arguments().at(1));
    QTimer::singleShot(0, &delegate, &AppDelegate::applicationDidFinishLaunching);
    return application.exec();
}
