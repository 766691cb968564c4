#pragma once
// Why the analysis has no value for something: a kind and the facts it names. The window says
// it in Japanese, kirrel-cli in English; user text is quoted through quotedText, bounded.

#include <QString>
#include <QStringView>
#include <QtGlobal>

enum class Fault {
    None,
    Other, // free text (a file system's reason): `text`
    // Tickets: `text` the ticket as given, `betType` its type.
    NotTicket,
    RunnerBeyond,     // `number` the runner, `high` the race's highest; `bracket` for 枠連
    RunnerBeyondFile, // the same against the analysis file's highest
    // Odds: `text` the field as given.
    NoOdds,          // a ticket without odds after it
    NotOdds,         // not 1.0 to 99,999,999.9 with one decimal
    RangeNotSold,    // a range like 3.4-4.1 for a bet type other than place and wide
    TooManyFields,   // `number` fields, no header naming the odds column
    DuplicateTicket, // `name` the ticket, `otherLine` the earlier line
    ColumnTooLong,   // `number` tickets
    ColumnTooShort,  // `number` odds for `high` tickets
    MatrixHeader,    // `high` the highest runner
    MatrixPair,      // `number` the block's runner, `high` the highest runner
    MatrixStray,
    MatrixType,
    // The analysis file.
    UnknownSection, // `text` the section name
    NotKeyValue,    // `text` the line
    BadValue,       // `name` the key, `text` the value
    FileTooLarge,
    NotAFile,
    NoSuchFile,
    TooManySnapshots, // `name` the bet type's name, `betType` it, `number` the most kept
    // The race and the model.
    PlaceTooFew,
    BracketTooFew,
    NoBracket,       // `number` the runner
    TooFewSupported, // `betType`, `number` runners needed, `high` there are
    NoSupport,
    NormalFit,
    // The combined model: own columns, market columns, a runner with both shares.
    NoOwnColumns,
    NoMarketColumns,
    NoCombinedRunner,
    NotFinite, // `name` the model name
    // Stakes.
    NoTickets,
    BudgetRange,
    BankrollRange,
    KellyFraction,
    OddsNotPositive,
    ProbabilityRange,
    ProbabilitySum,
    PayoutOverflow, // `name` the ticket (or its place in the list)
};

struct Problem
{
    Fault fault = Fault::None;
    int line = 0;      // 1-based line of the text it is about; 0 for none
    int otherLine = 0; // the earlier line of a duplicate
    QString text;      // user text as given (quoted when said), or the reason of Fault::Other
    QString name;
    qint64 number = 0;
    qint64 high = 0;
    bool bracket = false;
    int betType = 0; // a BetType
};

// At most 60 characters of the text, then "…"; control characters as \x00-style escapes.
QString quotedText(QStringView text);

// kirrel-cli's English: "line 3: '1-99' names runner 99, the race has runners 1 to 18".
QString englishText(const Problem &problem);
// The window's Japanese: "3 行目：「1-99」の 99 番はこのレースにいません（1～18 番）".
QString japaneseText(const Problem &problem);
