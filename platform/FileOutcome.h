#pragma once

#include "platform/Result.h"

#include <QString>

namespace tw::platform {

// The file operations of a run and of its undo, by the run's action index.
enum class FileAction
{
    Rename = 0,
    Copy = 1,
    Move = 2,
};

// What one file operation did: done, or why not. The run builds its monitor line from it and the undo
// its reason, so neither has to read the other's texts.
struct [[nodiscard]] FileOutcome
{
    FileAction action = FileAction::Rename;
    QString source;
    QString target;
    int error = 0;  // errno value; 0 when done
    QString reason; // German text of the error; empty when done

    bool done() const { return error == 0; }
    Result result() const { return done() ? Result::success() : Result::failure(error, reason); }
};

// Renames, copies or moves source to target as FileTransfer does. A path that would not address the file
// it was read for is refused before anything is touched.
FileOutcome performFileAction(FileAction action, const QString& source, const QString& target);

} // namespace tw::platform
