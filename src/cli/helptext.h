#pragma once
// The usage texts of kirrel-cli and kirrel, kept as data: --help prints them wrapped, the
// manual pages are made from the same entries, and the option forms (--bet=win) are read
// against the options listed here.

#include <QList>
#include <QString>
#include <QStringList>

struct OptionHelp
{
    QString form; // "--bet BET", "--combine": the name, then the value's placeholder if any
    QString text; // one paragraph

    QString name() const;
    bool takesValue() const;
};

struct CommandHelp
{
    QString name;
    QStringList synopsis;    // usage lines without the program name
    QStringList description; // paragraphs
    QList<OptionHelp> options;
    QStringList notes; // paragraphs after the options
};

// Every kirrel-cli command, in the order of the whole usage.
const QList<CommandHelp> &cliCommands();
const CommandHelp *findCliCommand(const QString &name);

// Paragraphs the whole usage ends with (standard input, exit status, messages).
QStringList cliClosing();

// Plain text, wrapped at 79 columns.
QString cliUsage();
QString cliUsage(const CommandHelp &command);

// The desktop program's own options.
QList<OptionHelp> programOptions();
QString programUsage();

// Paragraphs wrapped at width, each line after the first indented by indent blanks; the first
// line starts at column start (it is already written).
QString wrapped(const QString &paragraph, int start, int indent, int width = 79);

// Manual pages in man(7) markup: the template's placeholder lines replaced by text made from the
// entries above (kirrel-cli: @SYNOPSIS@, @COMMANDS@, @INPUT@, @EXITSTATUS@, @DIAGNOSTICS@;
// kirrel: @OPTIONS@), @VERSION@ and @DATE@ by the version and its date.
QString cliManPage(const QString &templ, const QString &version, const QString &date);
QString programManPage(const QString &templ, const QString &version, const QString &date);

// The bash completion script: the template's @COMMANDS@, @VALUES@ (a case pattern of the options
// that take a value) and @OPTIONS@ (a case branch per command) filled in.
QString cliCompletion(const QString &templ);
