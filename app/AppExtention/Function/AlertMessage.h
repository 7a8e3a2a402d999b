#pragma once

// What an alert says, as data: the string-table key of its message and the values of the
// message's placeholders, the same for its informative line, and the diagnostic reason (a file
// name, a tool's error) that the user may open as the alert's details and that goes to the log.
// Controllers build one and show it; nothing localizes a text twice, because only text() and
// informativeText() look the keys up.
//
// A plain value: any thread may build one; the strings are read from the process table.

#include <QString>
#include <QStringList>

struct AlertMessage
{
    QString key;
    QStringList arguments;
    QString informativeKey;
    QStringList informativeArguments;
    QString reason;

    bool isEmpty() const { return key.isEmpty(); }
    // The message, looked up and filled; empty for an empty alert.
    QString text() const;
    // The informative line, looked up and filled; empty without an informative key.
    QString informativeText() const;
    // Writes the alert and its reason to the shell's log at warning level.
    void log() const;
};
