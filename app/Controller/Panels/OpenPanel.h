#pragma once

// The open panel: the one place where the shell asks the user for files or a folder. The process
// uses the platform's file dialog; tests install a scripted panel that answers at once. Main
// thread.

#include <QString>
#include <QStringList>
#include <memory>

class QWidget;

class OpenPanel
{
public:
    virtual ~OpenPanel() = default;

    // Files to open, several allowed; empty when the user cancels.
    virtual QStringList chooseFiles(QWidget *parent, const QString &title) = 0;
    // One existing folder (links resolved), starting in startFolder; empty when the user cancels.
    virtual QString chooseDirectory(QWidget *parent,
                                    const QString &title,
                                    const QString &prompt,
                                    const QString &startFolder)
        = 0;

    // The installed panel (the file dialog until one is installed).
    static OpenPanel &shared();
    // Installs panel for the process; null puts the file dialog back.
    static void install(std::shared_ptr<OpenPanel> panel);
};
