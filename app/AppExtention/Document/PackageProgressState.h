#pragma once

#include <QString>

/**
 * What the open and save sheet of the main window shows, and when: every write of a package and
 * every read of one hang the sheet on the window until the job is over; making a new project is
 * quick and shows none. Only one job runs at a time (the package jobs refuse a second), so a
 * second begin while the sheet is up only changes its text.
 *
 * The sheet has no Cancel: a package stopped halfway would be neither the old one nor the new
 * one, and a read stopped halfway would leave no project to show.
 *
 * Plain state, owned by the window's document host. Main thread only.
 */
class PackageProgressState
{
public:
    enum class Job { Open, Save };

    // Whether a job on path (empty: a new project) is run behind the sheet.
    static bool showsSheet(Job job, const QString &path);
    // The sheet's line: "Opening "Name" ..." or "Saving "Name" ...", with the package's name
    // without its extension.
    static QString message(Job job, const QString &path);

    // A job starts; answers whether the sheet is to be shown now (it may be up already).
    bool begin(Job job, const QString &path);
    // The job ended; answers whether the sheet is to be taken down.
    bool end();

    bool isShown() const { return m_shown; }
    // The line of the job shown; empty while the sheet is down.
    QString message() const { return m_message; }

private:
    bool m_shown = false;
    QString m_message;
};
