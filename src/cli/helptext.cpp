#include "cli/helptext.h"

namespace {

// The options that several commands share, with the same meaning in each.
const OptionHelp BetOption{
    QStringLiteral("--bet BET"),
    QStringLiteral(
        "the bet type: win (単勝), place (複勝), bracket-quinella (枠連), quinella (馬連), "
        "wide (ワイド), exacta (馬単), trio (3連複) or trifecta (3連単); the Japanese "
        "names also with full-width digits (３連単). Tickets are written with runner "
        "or bracket numbers: 7, 3-5, 1-2, 1>2, 1-2-3, 1>2>3; any order for \"-\" "
        "combinations")};
const OptionHelp ModelOption{
    QStringLiteral("--model harville|discount|normal"),
    QStringLiteral("the finishing-order model of the analysis (default harville)")};
const OptionHelp LambdaOption{
    QStringLiteral("--lambda L"),
    QStringLiteral("discount model: second place by p^L (default 0.81); above 0, at most 3")};
const OptionHelp RhoOption{
    QStringLiteral("--rho R"),
    QStringLiteral("discount model: third place by p^R (default 0.65); above 0, at most 3")};
const OptionHelp BetaOption{
    QStringLiteral("--beta B"),
    QStringLiteral("win probabilities p^B, renormalised (default 1); above 0, at most 5")};
OptionHelp combineOption(const QString &more)
{
    return {QStringLiteral("--combine"),
            QStringLiteral("win probabilities own^A x market^G instead of p^B: market = the odds "
                           "columns and those headed 投票金, own = the other weighted columns; "
                           "needs --alpha and --gamma") +
                more};
}
const OptionHelp AlphaOption{QStringLiteral("--alpha A"),
                             QStringLiteral("with --combine: the exponent of own, -5 to 5")};
const OptionHelp GammaOption{QStringLiteral("--gamma G"),
                             QStringLiteral("with --combine: the exponent of market, -5 to 5")};
const OptionHelp RatioOption{
    QStringLiteral("--ratio PCT"),
    QStringLiteral("the payout ratio of the bet type in percent (default: win and place 80, "
                   "bracket-quinella, quinella and wide 77.5, exacta and trio 75, trifecta "
                   "72.5); estimated odds = ratio / probability, truncated to one decimal, at "
                   "least 1.0")};
const OptionHelp OddsOption{
    QStringLiteral("--odds FILE"),
    QStringLiteral("actual odds, UTF-8 or code page 932: each line COMBO TAB ODDS (or separated "
                   "by blanks); a first line without a digit is a header naming the odds column; "
                   "ODDS 1.0 to 99999999.9, one decimal; 取消, 除外 or --- for none")};

const QString ModelsDiffer = QStringLiteral(
    "These are the estimates of the analysis window, from a finishing-order model (--model) "
    "and a payout ratio (--ratio); for quinella they differ from those of the quinella command "
    "and the 馬連 table, the worksheet's own estimate from the runners' win odds.");
const QString SeeFit =
    QStringLiteral("; fit --model combined finds the A and G that fit the results best");
const QString StandardInput = QStringLiteral(
    "IN can be \"-\" for standard input; pipes and FIFOs are read like files, to their end (a "
    "document up to 64 MiB).");
const QString StandardInputOrOdds = QStringLiteral(
    "IN, or the FILE of --odds, can be \"-\" for standard input (one of them); pipes and FIFOs "
    "are read like files, to their end (a document up to 64 MiB).");
const QString SeasonPaths = QStringLiteral("PATH: documents, or folders searched for *.csv.");

QList<CommandHelp> makeCommands()
{
    QList<CommandHelp> commands;
    commands << CommandHelp{
        QStringLiteral("recalc"),
        {QStringLiteral("recalc IN [-o OUT]")},
        {QStringLiteral("Load IN, recalculate as the \"集計\" button does and write the document "
                        "(to OUT, or to standard output) in the document format, code page 932.")},
        {{QStringLiteral("-o OUT"),
          QStringLiteral("the file to write; \"-o -\" writes to standard output")}},
        {StandardInput}};
    commands << CommandHelp{
        QStringLiteral("quinella"),
        {QStringLiteral("quinella IN")},
        {QStringLiteral("Load, recalculate and estimate the quinella odds; print one pair a line "
                        "(1-2:4.3), UTF-8."),
         QStringLiteral("This is the worksheet's own estimate, the one its 馬連 table shows, "
                        "made from the runners' win odds. exotics --bet quinella prints the "
                        "analysis window's estimate instead, from a finishing-order model and a "
                        "payout ratio, so the odds of a pair differ between the two.")},
        {},
        {StandardInput}};
    commands << CommandHelp{
        QStringLiteral("cells"),
        {QStringLiteral("cells IN [--quinella]")},
        {QStringLiteral("Load and recalculate; print every cell of the runner table row by row "
                        "as row TAB column TAB text TAB background TAB text colour (#rrggbb), "
                        "UTF-8; a TAB, CR or LF in a text is written as \\t, \\r or \\n.")},
        {{QStringLiteral("--quinella"),
          QStringLiteral("estimate the quinella odds and print the cells of the quinella matrix "
                         "instead")}},
        {StandardInput}};
    commands << CommandHelp{
        QStringLiteral("exotics"),
        {QStringLiteral("exotics IN --bet BET [--model M] [--lambda L] [--rho R] [--beta B] "
                        "[--combine --alpha A --gamma G] [--ratio PCT] [--odds FILE] [--top N]")},
        {QStringLiteral("Load and recalculate; print every combination of the bet type that has "
                        "a probability, most probable first, as COMBO TAB PROBABILITY TAB ODDS "
                        "(probability with 9 decimals, estimated odds with 1); with --odds, the "
                        "combinations that have actual odds add TAB ACTUAL TAB EV (EV = "
                        "probability x actual odds, 3 decimals). UTF-8."),
         ModelsDiffer},
        {BetOption,
         ModelOption,
         LambdaOption,
         RhoOption,
         BetaOption,
         combineOption(QString()),
         AlphaOption,
         GammaOption,
         RatioOption,
         OddsOption,
         {QStringLiteral("--top N"), QStringLiteral("print the first N combinations only")}},
        {StandardInputOrOdds}};
    commands << CommandHelp{
        QStringLiteral("stakes"),
        {QStringLiteral("stakes IN --bet BET --pick COMBO[,COMBO...] --budget YEN [--model M] "
                        "[--lambda L] [--rho R] [--beta B] [--combine --alpha A --gamma G] "
                        "[--ratio PCT] [--odds FILE]"),
         QStringLiteral("stakes IN --bet BET --kelly FRACTION --bankroll YEN --odds FILE "
                        "[--model M] [--lambda L] [--rho R] [--beta B] "
                        "[--combine --alpha A --gamma G] [--ratio PCT]")},
        {QStringLiteral("With --pick: spread YEN over the combinations so that each pays about "
                        "the same (dutching), stakes rounded to 100 yen, at least 100; a line "
                        "per pick COMBO TAB ODDS TAB STAKE TAB PAYOUT, then 合成オッズ TAB "
                        "combined odds, 合計 TAB total, 払戻 TAB smallest TAB largest payout, and "
                        "トリガミ when the smallest payout is below the total. Odds are the actual "
                        "ones when --odds has them, else the estimated ones."),
         QStringLiteral("With --kelly: Kelly stakes over the combinations of the odds file, a "
                        "line per combination staked COMBO TAB PROBABILITY TAB ODDS TAB FRACTION "
                        "(of the bankroll at full Kelly) TAB STAKE (YEN x FRACTION x the Kelly "
                        "fraction, rounded down to 100 yen), then 留保 TAB the part kept back. "
                        "Not for place and wide."),
         ModelsDiffer},
        {BetOption,
         {QStringLiteral("--pick COMBO[,COMBO...]"), QStringLiteral("the combinations to stake")},
         {QStringLiteral("--budget YEN"), QStringLiteral("the total to spread over the picks")},
         {QStringLiteral("--kelly FRACTION"),
          QStringLiteral("the fraction of Kelly: above 0 and at most 1, as 0.5 or 1/2")},
         {QStringLiteral("--bankroll YEN"),
          QStringLiteral("the bankroll Kelly stakes are part of")},
         ModelOption,
         LambdaOption,
         RhoOption,
         BetaOption,
         combineOption(QString()),
         AlphaOption,
         GammaOption,
         RatioOption,
         OddsOption},
        {StandardInputOrOdds}};
    commands << CommandHelp{
        QStringLiteral("backtest"),
        {QStringLiteral("backtest PATH... --bet BET [--model M] [--lambda L] [--rho R] "
                        "[--beta B] [--combine --alpha A --gamma G] [--ratio PCT] "
                        "[--min-ratio X | --min-ev E] [--flat YEN | --kelly FRACTION "
                        "--bankroll YEN] [--at HH:MM]")},
        {QStringLiteral("Play a betting rule over documents in the order of their date field, "
                        "then their paths; a race counts with a result and actual odds of BET "
                        "in its analysis file (the latest snapshot, or the last one at or before "
                        "--at). A winning ticket returns its payout from the analysis file, else "
                        "stake x odds (counted under fromodds). A line per race FILE TAB TICKETS "
                        "TAB STAKED TAB RETURNED TAB PROFIT (cumulative), then races, bet, "
                        "tickets, hits, staked, returned, recovery, profit, maxdrawdown, "
                        "longestlosing and fromodds, each NAME TAB VALUE. UTF-8."),
         SeasonPaths},
        {BetOption,
         ModelOption,
         LambdaOption,
         RhoOption,
         BetaOption,
         combineOption(QString()),
         AlphaOption,
         GammaOption,
         RatioOption,
         {QStringLiteral("--min-ratio X"),
          QStringLiteral("buy every ticket whose actual / estimated odds (2 decimals, halves up) "
                         "is at least X (the default, 1.2)")},
         {QStringLiteral("--min-ev E"),
          QStringLiteral("buy every ticket whose probability x actual odds (3 decimals) is at "
                         "least E")},
         {QStringLiteral("--flat YEN"),
          QStringLiteral("stake YEN on each ticket, a multiple of 100 (the default, 100)")},
         {QStringLiteral("--kelly FRACTION"),
          QStringLiteral("Kelly stakes of that fraction of Kelly (above 0, at most 1) on the "
                         "bankroll as it stands")},
         {QStringLiteral("--bankroll YEN"), QStringLiteral("the starting bankroll, with --kelly")},
         {QStringLiteral("--at HH:MM"),
          QStringLiteral("the odds of the last snapshot at or before that time of day")}},
        {}};
    commands << CommandHelp{
        QStringLiteral("season"),
        {QStringLiteral("season PATH... [--model harville|discount|normal] [--lambda L] "
                        "[--rho R] [--beta B] [--combine --alpha A --gamma G]")},
        {QStringLiteral("Load every document of the PATHs, read its result field (結果, "
                        "\"3-7-12\") as the finishing order and evaluate the model on it: a line "
                        "per document FILE TAB RUNNERS TAB RESULT TAB PWIN (the winner's "
                        "probability) TAB WINRANK (its rank by probability) TAB LOGLIK (log P of "
                        "the first three in order), or FILE TAB RUNNERS TAB - TAB REASON for one "
                        "left out; then races, excluded, loglik, winloglik, brier, favourites and "
                        "nine calibration lines LO TAB HI TAB COUNT TAB MEANP TAB WINS. UTF-8."),
         SeasonPaths},
        {ModelOption, LambdaOption, RhoOption, BetaOption, combineOption(SeeFit), AlphaOption,
         GammaOption},
        {}};
    const OptionHelp HoldoutOption{
        QStringLiteral("--holdout F"),
        QStringLiteral("0 < F < 1: hold out the latest whole dates until they reach F of the "
                       "dated races (undated races are never held out: undated TAB N) and add "
                       "the held-out log-likelihood")};
    const OptionHelp RobustOption{
        QStringLiteral("--robust"),
        QStringLiteral("standard errors clustered by race instead of the model's (first line "
                       "se TAB robust)")};
    commands << CommandHelp{
        QStringLiteral("fit"),
        {QStringLiteral("fit PATH... [--model harville|discount|combined|columns] [--holdout F] "
                        "[--robust]")},
        {QStringLiteral("Fit the model to the results of the documents by maximum likelihood: "
                        "races, excluded, a line per parameter NAME TAB VALUE TAB STANDARD ERROR "
                        "(harville beta; discount beta, lambda, rho; combined alpha, gamma), "
                        "loglik TAB BEFORE TAB AFTER. With a holdout, holdout TAB N TAB BEFORE "
                        "TAB AFTER for the races held out."),
         QStringLiteral("columns: one exponent per own column (by its header; a column fewer "
                        "than half of the documents have is listed unused TAB NAME TAB N), "
                        "column TAB NAME TAB VALUE TAB SE lines, then gamma for the market."),
         SeasonPaths},
        {{QStringLiteral("--model harville|discount|combined|columns"),
          QStringLiteral("the model to fit (default harville); combined fits the alpha and "
                         "gamma of own^alpha x market^gamma, the win probabilities that season "
                         "--combine --alpha A --gamma G evaluates; columns fits one exponent "
                         "per own column and gamma for the market")},
         HoldoutOption,
         RobustOption},
        {}};
    commands << CommandHelp{
        QStringLiteral("compare"),
        {QStringLiteral("compare PATH... [--holdout F] [--robust]")},
        {QStringLiteral("Fit every model the documents allow on the races all of them can take: "
                        "races, excluded, then model TAB NAME TAB K TAB LOGLIK TAB AIC TAB BRIER "
                        "(with --holdout also the held-out LOGLIK) for support, discount, "
                        "market, own, combined and columns, a line param TAB MODEL TAB NAME TAB "
                        "VALUE TAB SE per parameter, and likelihood-ratio tests lr TAB SMALL TAB "
                        "LARGE TAB STAT TAB DF TAB P of the nested pairs."),
         SeasonPaths},
        {HoldoutOption, RobustOption},
        {}};
    return commands;
}

QString exitStatus(const CommandHelp *command)
{
    const bool all = !command;
    const bool seasonal = all || command->name == QLatin1String("season") ||
                          command->name == QLatin1String("fit") ||
                          command->name == QLatin1String("compare");
    const bool analysis = all || command->name == QLatin1String("exotics") ||
                          command->name == QLatin1String("stakes") ||
                          command->name == QLatin1String("backtest");
    QString failures = QStringLiteral("a file could not be read or written");
    if (analysis)
        failures += QStringLiteral(" or the document cannot be analysed for the bet type");
    if (seasonal)
        failures +=
            all ? QStringLiteral(" (season, fit, compare: no race has a result, or the fit fails)")
                : QStringLiteral(", no race has a result, or the fit fails");
    return QStringLiteral("Exit status: 0 done, 1 %1, 2 wrong usage.").arg(failures);
}

const QString Messages = QStringLiteral(
    "Messages: usage errors are English. A failure with a file is reported as \"kirrel-cli: "
    "FILE: reason\": a reason about a document (reading, writing, the quinella layout) is the "
    "Japanese text the program's windows show; the analysis commands' reasons and those about "
    "standard output are English.");

// Splits at blanks outside brackets, so that "[--combine --alpha A --gamma G]" stays whole.
QStringList synopsisWords(const QString &line)
{
    QStringList words;
    QString word;
    int depth = 0;
    for (const QChar c : line) {
        if (c == u'[')
            ++depth;
        else if (c == u']')
            --depth;
        if (c == u' ' && depth == 0) {
            if (!word.isEmpty())
                words << word;
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.isEmpty())
        words << word;
    return words;
}

// Columns on a terminal: two for the wide characters of East Asian text.
int displayWidth(const QString &text)
{
    int width = 0;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const bool wide = (u >= 0x1100 && u <= 0x115F) || (u >= 0x2E80 && u <= 0xA4CF) ||
                          (u >= 0xAC00 && u <= 0xD7A3) || (u >= 0xF900 && u <= 0xFAFF) ||
                          (u >= 0xFE30 && u <= 0xFE4F) || (u >= 0xFF00 && u <= 0xFF60) ||
                          (u >= 0xFFE0 && u <= 0xFFE6);
        width += wide ? 2 : 1;
    }
    return width;
}

QString wrappedWords(const QStringList &words, int start, int indent, int width)
{
    QString out;
    int column = start;
    bool lineEmpty = true;
    for (const QString &word : words) {
        const int wordWidth = displayWidth(word);
        if (!lineEmpty && column + 1 + wordWidth > width) {
            out += u'\n' + QString(indent, u' ');
            column = indent;
            lineEmpty = true;
        }
        if (!lineEmpty) {
            out += u' ';
            ++column;
        }
        out += word;
        column += wordWidth;
        lineEmpty = false;
    }
    return out;
}

QString synopsisText(const CommandHelp &command, bool first)
{
    QString out;
    for (const QString &line : command.synopsis) {
        const QString lead =
            first ? QStringLiteral("usage: kirrel-cli ") : QStringLiteral("       kirrel-cli ");
        out += lead + wrappedWords(synopsisWords(line), int(lead.size()), 18, 79) + u'\n';
        first = false;
    }
    return out;
}

QString optionsText(const QList<OptionHelp> &options)
{
    constexpr int TextColumn = 24;
    QString out;
    for (const OptionHelp &o : options) {
        out += QStringLiteral("  ") + o.form;
        int column = 2 + int(o.form.size());
        if (column + 2 > TextColumn) {
            out += u'\n' + QString(TextColumn, u' ');
        } else {
            out += QString(TextColumn - column, u' ');
        }
        out += wrapped(o.text, TextColumn, TextColumn) + u'\n';
    }
    return out;
}

// Separated by blank lines.
QString paragraphs(const QStringList &list, int indent)
{
    QString out;
    for (const QString &p : list)
        out += (out.isEmpty() ? QString() : QStringLiteral("\n")) + QString(indent, u' ') +
               wrapped(p, indent, indent) + u'\n';
    return out;
}

// man(7) text: backslashes and minus signs escaped, no line starting with a control character.
QString roff(const QString &text)
{
    QString out;
    for (const QChar c : text) {
        if (c == u'\\')
            out += QStringLiteral("\\e");
        else if (c == u'-')
            out += QStringLiteral("\\-");
        else
            out += c;
    }
    if (out.startsWith(u'.') || out.startsWith(u'\''))
        out.prepend(QStringLiteral("\\&"));
    return out;
}

// A usage line filled and wrapped with a hanging indent, never inside brackets.
QString roffSynopsis(const QString &line)
{
    QString out = QStringLiteral(".SY kirrel\\-cli\n");
    const QStringList words = synopsisWords(line);
    for (const QString &word : words)
        out += (&word == &words.first() ? QString() : QStringLiteral(" ")) +
               roff(word).replace(u' ', QStringLiteral("\\ "));
    return out + QStringLiteral("\n.YS\n");
}

// "--bet BET": the name bold, its value's placeholder italic.
QString roffOptionForm(const QString &form)
{
    const qsizetype space = form.indexOf(u' ');
    if (space < 0)
        return QStringLiteral("\\fB%1\\fR").arg(roff(form));
    return QStringLiteral("\\fB%1\\fR \\fI%2\\fR")
        .arg(roff(form.left(space)), roff(form.mid(space + 1)));
}

QString roffOptions(const QList<OptionHelp> &options)
{
    QString out;
    for (const OptionHelp &o : options)
        out += QStringLiteral(".TP\n") + roffOptionForm(o.form) + u'\n' + roff(o.text) + u'\n';
    return out;
}

QString roffParagraphs(const QStringList &list)
{
    QString out;
    for (const QString &p : list)
        out += QStringLiteral(".PP\n") + roff(p) + u'\n';
    return out;
}

QString filled(QString templ, const QList<std::pair<QString, QString>> &parts)
{
    for (const auto &[name, text] : parts) {
        // A placeholder stands on a line of its own; the version may stand anywhere.
        templ.replace(u'@' + name + QStringLiteral("@\n"), text);
        templ.replace(u'@' + name + u'@', text);
    }
    return templ;
}

} // namespace

QString OptionHelp::name() const
{
    const qsizetype space = form.indexOf(u' ');
    return space < 0 ? form : form.left(space);
}

bool OptionHelp::takesValue() const
{
    return form.contains(u' ');
}

const QList<CommandHelp> &cliCommands()
{
    static const QList<CommandHelp> commands = makeCommands();
    return commands;
}

const CommandHelp *findCliCommand(const QString &name)
{
    for (const CommandHelp &c : cliCommands())
        if (c.name == name)
            return &c;
    return nullptr;
}

QStringList cliClosing()
{
    return {QStringLiteral("IN, or the FILE of --odds, can be \"-\" for standard input (one of "
                           "them); pipes and FIFOs are read like files, to their end (a document "
                           "up to 64 MiB). \"-o -\" writes to standard output. Options take "
                           "their values as --bet trio or --bet=trio."),
            exitStatus(nullptr), Messages};
}

QString wrapped(const QString &paragraph, int start, int indent, int width)
{
    return wrappedWords(paragraph.split(u' ', Qt::SkipEmptyParts), start, indent, width);
}

QString cliUsage()
{
    QString out;
    bool first = true;
    for (const CommandHelp &c : cliCommands()) {
        out += synopsisText(c, first);
        first = false;
    }
    out += QStringLiteral("       kirrel-cli COMMAND --help\n"
                          "       kirrel-cli --help | --version\n\n");
    for (const CommandHelp &c : cliCommands())
        out += QStringLiteral("  %1").arg(c.name, -10) + wrapped(c.description.first(), 12, 12) +
               u'\n';
    out += QStringLiteral("\nEach command's options and output: kirrel-cli COMMAND --help, or "
                          "man kirrel-cli.\n\n");
    out += paragraphs(cliClosing(), 0);
    return out;
}

QString cliUsage(const CommandHelp &command)
{
    QString out = synopsisText(command, true) + u'\n';
    out += paragraphs(command.description, 0);
    if (!command.options.isEmpty())
        out += QStringLiteral("\nOptions (their values also as --option=value):\n") +
               optionsText(command.options);
    if (!command.notes.isEmpty())
        out += u'\n' + paragraphs(command.notes, 0);
    out += u'\n' + wrapped(exitStatus(&command), 0, 0) + u'\n';
    return out;
}

QList<OptionHelp> programOptions()
{
    return {{QStringLiteral("--help"), QStringLiteral("print this usage and end (also -h)")},
            {QStringLiteral("--version"), QStringLiteral("print the version and end (also -v)")}};
}

QString programUsage()
{
    return QStringLiteral("usage: kirrel [FILE...]\n"
                          "       kirrel --help | --version\n\n") +
           wrapped(QStringLiteral("Kirrel, a racing odds worksheet: opens each FILE, an odds "
                                  "document, in a window of its own. A Kirrel that the same user "
                                  "already runs takes the files instead and the later start "
                                  "ends."),
                   0, 0) +
           QStringLiteral("\n\nOptions:\n") + optionsText(programOptions()) +
           QStringLiteral("\nBoth answer without a display. The scripting commands are in "
                          "kirrel-cli.\n");
}

QString cliManPage(const QString &templ, const QString &version, const QString &date)
{
    QString synopsis;
    for (const CommandHelp &c : cliCommands())
        for (const QString &line : c.synopsis)
            synopsis += roffSynopsis(line);
    synopsis += roffSynopsis(QStringLiteral("COMMAND --help")) +
                roffSynopsis(QStringLiteral("--help | --version"));
    QString commands;
    for (const CommandHelp &c : cliCommands()) {
        commands += QStringLiteral(".SS %1\n").arg(c.name);
        for (const QString &line : c.synopsis)
            commands += roffSynopsis(line);
        commands +=
            roffParagraphs(c.description) + roffOptions(c.options) + roffParagraphs(c.notes);
    }
    const QStringList closing = cliClosing();
    return filled(templ, {{QStringLiteral("VERSION"), version},
                          {QStringLiteral("DATE"), date},
                          {QStringLiteral("SYNOPSIS"), synopsis},
                          {QStringLiteral("COMMANDS"), commands},
                          {QStringLiteral("INPUT"), roffParagraphs({closing.at(0)})},
                          {QStringLiteral("EXITSTATUS"), roffParagraphs({closing.at(1)})},
                          {QStringLiteral("DIAGNOSTICS"), roffParagraphs({closing.at(2)})}});
}

QString programManPage(const QString &templ, const QString &version, const QString &date)
{
    return filled(templ, {{QStringLiteral("VERSION"), version},
                          {QStringLiteral("DATE"), date},
                          {QStringLiteral("OPTIONS"), roffOptions(programOptions())}});
}

QString cliCompletion(const QString &templ)
{
    QStringList commands;
    QStringList values;
    QString options;
    for (const CommandHelp &c : cliCommands()) {
        commands << c.name;
        QStringList names{QStringLiteral("--help")};
        for (const OptionHelp &o : c.options) {
            names << o.name();
            if (o.takesValue() && !values.contains(o.name()))
                values << o.name();
        }
        options += QStringLiteral("            %1) COMPREPLY=($(compgen -W '%2' -- \"$cur\")) ;;\n")
                       .arg(c.name, names.join(u' '));
    }
    return filled(templ, {{QStringLiteral("COMMANDS"), commands.join(u' ')},
                          {QStringLiteral("VALUES"), values.join(QStringLiteral(" | "))},
                          {QStringLiteral("OPTIONS"), options}});
}
