#pragma once

// Which of the main window's commands may run, from what the window is doing: a pure function of
// a few facts, so that the rule is read and tested in one place and the window only applies it.
// Any thread (it touches nothing).

#include <QHash>
#include <QString>
#include <functional>

namespace CommandEnabling {

struct State
{
    // A sheet is attached to the main window, a modal window runs or the progress window is up.
    bool windowBusy = false;
    // A title is selected in the title list, and the list has the keyboard.
    bool titleSelected = false;
    bool sourceHasFocus = true;
    // Some title has a clip.
    bool hasTitlesWithClips = false;
    // The document controller's answer for a document command ("newDocument:", ...); without one
    // the document commands are off.
    std::function<bool(const QString &action)> documentCommandAllowed;
};

// The commands this rule decides, by action name: the five document commands, "addVideoAction:",
// "delete:", and the buttons "addVideoButton" and "burnButton".
QStringList commandNames();

// Each of commandNames to whether it is enabled.
QHash<QString, bool> enabledCommands(const State &state);

} // namespace CommandEnabling
