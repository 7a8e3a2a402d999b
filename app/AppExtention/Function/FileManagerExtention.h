#pragma once

// Where the application keeps its files: one private temporary root (emptied at start-up, so no
// intermediate file outlives the next launch), unique temporary files in named folders under it,
// and the default folders under the user's Movies, Music, Pictures and application data folders,
// all named by the bundle identifier. Class methods only; they report no errors to the caller and
// log why something could not be made. Any thread.

#include <QString>

class FileManagerExtention
{
public:
    FileManagerExtention() = delete;

    // "org.discwright.Discwright".
    static QString bundleIdentifier();

    static bool isDirectoryAtPath(const QString &path);
    // The item itself (links not followed) is a symbolic link.
    static bool isSymbolicLinkFileAtPath(const QString &path);
    // Creates the folder with its parents when nothing is at path; anything already there (a file
    // too) is left alone.
    static void createDirectoryAtPathIfCan(const QString &path);

    // The private temporary root: the user's temporary location / bundle identifier, made with mode
    // 0700 by the first call that creates something inside it. An existing root that is not a
    // folder of this user is never used.
    static QString tempRootPath();
    // tempRootPath() / name; nothing is created.
    static QString tempFileDirectory(const QString &name);
    // A new empty file "XXXXXXXX.<extension>" (the eight characters unique) in the named temporary
    // folder, readable and writable by the owner only; missing folders are created. Empty, with
    // the reason logged, when no file could be made.
    static QString tempFilePath(const QString &name, const QString &extension);
    // Sets the file's modification time to now.
    static void touchFile(const QString &path);
    // Empties the temporary root but for the instance lock, or deletes one named folder of it. A
    // link standing in their place is removed itself; what it points at is left alone.
    static void removeTempFiles();
    // The name of the one-instance lock file in the temporary root ("instance.lock"): emptying the
    // root spares it and QLockFile's own files beside it, or a second process could take the lock
    // the running one holds.
    static QString instanceLockName();
    static void removeTempFile(const QString &name);
    // Deletes whatever is at path and creates its parent folder.
    static void prepareForCreateFilePath(const QString &path);

    // The default folders, created when missing and answered with symbolic links resolved.
    static QString defaultOutputPath();
    static QString defaultOutputVideoPath() { return defaultOutputPath(); }
    static QString defaultSaveDocumentPath() { return defaultOutputPath(); }
    static QString defaultOutputMusicPath();
    static QString defaultOutputScreenshotPath();
    // defaultOutputPath() / "RecordWavePath.mov".
    static QString defaultRecordPath();
    // defaultSaveDocumentPath() / "project" and / "library", created, answered as built.
    static QString projectPath();
    static QString libraryPath();
    // The user's application data folder / bundle identifier, where the settings file lives; not
    // created.
    static QString applicationSupportPath();

    // path itself ("mov" appended when it has no extension) when nothing is there, else the first
    // free "<name><n>.<ext>" for n = 1, 2, ... in the same folder.
    static QString fullPathWithNumberIncreaseIfExist(const QString &path);
};
