#pragma once
// kirrel-cli's analysis commands: exotics (every ticket of a bet type with its probability and
// odds) and stakes (dutching a budget, or Kelly stakes).

#include "core/file/documentfile.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <functional>

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

// Takes a piece of a command's output; false when it could not be written (the command then
// stops writing).
using OutputSink = std::function<bool(QByteArrayView)>;

// args: the command name and its arguments. With a sink, exotics writes its lines to it as they
// are made (they are too many to hold) and leaves output empty; otherwise, and for the other
// commands, the output is returned whole.
CommandOutcome runAnalysisCommand(const QStringList &args, DocumentLoader load,
                                  const OutputSink &sink = {});
