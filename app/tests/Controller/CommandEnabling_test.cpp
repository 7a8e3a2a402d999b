// The command rule of the main window, as a table of what the window is doing.

#include "app/Controller/CommandEnabling.h"

#include <gtest/gtest.h>

namespace {

TEST(CommandEnabling, WhatTheWindowIsDoingDecidesEachCommand)
{
    const auto allowAll = [](const QString &) { return true; };
    const auto allowOpenOnly = [](const QString &action) { return action == "openDocument:"; };
    struct Row
    {
        const char *name;
        CommandEnabling::State state;
        QStringList enabled;
    };
    const QStringList documents{"newDocument:",
                                "openDocument:",
                                "saveDocument:",
                                "saveDocumentAs:",
                                "revertDocumentToSaved:"};
    const QStringList adding{"addVideoAction:", "addVideoButton"};
    const Row rows[] = {
        {"an empty window without a document controller", {}, adding},
        {"an empty window", {false, false, true, false, allowAll}, documents + adding},
        {"the document controller allows only open",
         {false, false, true, false, allowOpenOnly},
         QStringList{"openDocument:"} + adding},
        {"titles with clips",
         {false, false, true, true, allowAll},
         documents + adding + QStringList{"burnButton"}},
        {"a title selected in the list",
         {false, true, true, true, allowAll},
         documents + adding + QStringList{"delete:", "burnButton"}},
        {"a title selected while the list has no keyboard",
         {false, true, false, true, allowAll},
         documents + adding + QStringList{"burnButton"}},
        {"a sheet is up", {true, true, true, true, allowAll}, {}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const QHash<QString, bool> enabled = CommandEnabling::enabledCommands(row.state);
        EXPECT_EQ(enabled.size(), CommandEnabling::commandNames().size());
        for (const QString &command : CommandEnabling::commandNames())
            EXPECT_EQ(enabled.value(command), row.enabled.contains(command))
                << command.toStdString();
    }
}

} // namespace
