#pragma once

// The workspace: opening web addresses and documents with the user's programs, and showing a
// finished result in the file viewer. The process hands them to the desktop; tests install a
// scripted workspace that records what was asked. Main thread.

#include <QString>
#include <QUrl>
#include <memory>

class Workspace
{
public:
    virtual ~Workspace() = default;

    virtual bool openURL(const QUrl &url) = 0;
    // Opens the file with the user's program for its type.
    virtual bool openFile(const QString &path) = 0;
    // Shows the file or folder in the file viewer, selected where the viewer can. False when
    // nothing could be started to show it (no file viewer or launcher installed).
    virtual bool selectFile(const QString &path) = 0;

    // The installed workspace (the desktop's until one is installed).
    static Workspace &shared();
    // Installs workspace for the process; null puts the desktop's back.
    static void install(std::shared_ptr<Workspace> workspace);
};
