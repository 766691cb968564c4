#pragma once
// kirrel-cli's analysis commands: exotics (every ticket of a bet type with its probability and
// odds) and stakes (dutching a budget, or Kelly stakes).

#include "core/file/documentfile.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

class OddsDocument;

struct CommandOutcome
{
    enum Kind { Done, BadInput, Usage };
    Kind kind = Done;
    QByteArray output; // UTF-8 for standard output when Done
    QString file;      // the file at fault when BadInput
    QString reason;    // when BadInput or Usage
};

// Loads a file into a document as the other commands do.
using DocumentLoader = FileResult (*)(OddsDocument &doc, const QString &path);

bool isAnalysisCommand(const QString &command);

// args: the command name and its arguments.
CommandOutcome runAnalysisCommand(const QStringList &args, DocumentLoader load);
