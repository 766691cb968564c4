#include "core/racemodel/problem.h"

#include "core/racemodel/bettypes.h"

#include <algorithm>

namespace {

constexpr qsizetype MaxQuoted = 60;

QString n(qint64 v)
{
    return QString::number(v);
}

// Thousands separators, as the odds range is written.
QString grouped(qint64 v)
{
    QString digits = QString::number(v);
    for (qsizetype at = digits.size() - 3; at > 0; at -= 3)
        digits.insert(at, QLatin1Char(','));
    return digits;
}

QString en(const QString &text)
{
    return QLatin1Char('\'') + quotedText(text) + QLatin1Char('\'');
}

QString ja(const QString &text)
{
    return QStringLiteral("「") + quotedText(text) + QStringLiteral("」");
}

const QString OddsRangeEn = QStringLiteral("odds from 1.0 to 99,999,999.9 with one decimal");
const QString OddsRangeJa = QStringLiteral("オッズは 1.0～99,999,999.9、小数 1 桁まで");

QString englishBody(const Problem &p)
{
    const QString what = p.bracket ? QStringLiteral("bracket") : QStringLiteral("runner");
    switch (p.fault) {
    case Fault::None:
        return {};
    case Fault::Other:
        return quotedText(p.text);
    case Fault::NotTicket: {
        const QString name = betTypeName(BetType(p.betType));
        const bool vowel = QStringLiteral("aeiou").contains(name.front());
        return en(p.text) + (vowel ? QStringLiteral(" is not an ") : QStringLiteral(" is not a ")) +
               name + QStringLiteral(" combination (like ") + ticketExample(BetType(p.betType)) +
               QLatin1Char(')');
    }
    case Fault::RunnerBeyond:
        return en(p.text) + QStringLiteral(" names ") + what + QLatin1Char(' ') + n(p.number) +
               QStringLiteral(", the race has ") + what + QStringLiteral("s 1 to ") + n(p.high);
    case Fault::RunnerBeyondFile:
        return en(p.text) + QStringLiteral(" names ") + what + QLatin1Char(' ') + n(p.number) +
               QStringLiteral(", an analysis file holds ") + what + QStringLiteral("s 1 to ") +
               n(p.high);
    case Fault::NoOdds:
        return QStringLiteral("no odds after ") + en(p.text);
    case Fault::NotOdds:
        return en(p.text) + QStringLiteral(" is not odds (") + OddsRangeEn + QLatin1Char(')');
    case Fault::RangeNotSold:
        return en(p.text) +
               QStringLiteral(" is a range of odds: only place and wide odds are ranges");
    case Fault::TooManyFields:
        return n(p.number) +
               QStringLiteral(" fields and no header line naming the odds column (実オッズ or "
                              "オッズ)");
    case Fault::DuplicateTicket:
        return QStringLiteral("lines ") + n(p.otherLine) + QStringLiteral(" and ") + n(p.line) +
               QStringLiteral(" give ") + p.name + QStringLiteral(" different odds");
    case Fault::ColumnTooLong:
        return en(p.text) + QStringLiteral(" is one more than the ") + n(p.number) +
               QStringLiteral(" tickets");
    case Fault::ColumnTooShort:
        return n(p.number) + QStringLiteral(" odds for ") + n(p.high) +
               QStringLiteral(" tickets: a bare column needs one for every ticket");
    case Fault::MatrixHeader:
        return en(p.text) + QStringLiteral(" heads no pairs of runners 1 to ") + n(p.high);
    case Fault::MatrixPair:
        return en(p.text) + QStringLiteral(" is not a pair of ") + n(p.number) +
               QStringLiteral(" with runners ") + n(p.number + 1) + QStringLiteral(" to ") +
               n(p.high);
    case Fault::MatrixStray:
        return en(p.text) + QStringLiteral(" lies in no block of the matrix");
    case Fault::MatrixType:
        return QStringLiteral("the matrix layout holds pairs: it is for quinella and wide only");
    case Fault::UnknownSection:
        return QStringLiteral("unknown section [") + quotedText(p.text) + QLatin1Char(']');
    case Fault::NotKeyValue:
        return en(p.text) + QStringLiteral(" is not a key=value line of a section");
    case Fault::BadValue:
        return QStringLiteral("bad ") + quotedText(p.name) + QLatin1Char(' ') + en(p.text);
    case Fault::FileTooLarge:
        return QStringLiteral("too large for ") + p.name;
    case Fault::NotAFile:
        return QStringLiteral("not a file");
    case Fault::NoSuchFile:
        return QStringLiteral("no such file");
    case Fault::TooManySnapshots:
        return QStringLiteral("more than ") + n(p.number) + QStringLiteral(" snapshots of ") +
               p.name;
    case Fault::PlaceTooFew:
        return QStringLiteral("place is not sold with fewer than 5 runners");
    case Fault::BracketTooFew:
        return QStringLiteral("bracket-quinella is not sold with fewer than 9 runners");
    case Fault::NoBracket:
        return QStringLiteral("runner ") + n(p.number) +
               QStringLiteral(" has no bracket number (1 to 8)");
    case Fault::TooFewSupported:
        return betTypeName(BetType(p.betType)) + QStringLiteral(" needs ") + n(p.number) +
               QStringLiteral(" runners with support, the race has ") + n(p.high);
    case Fault::NoSupport:
        return QStringLiteral("no runner has support");
    case Fault::NormalFit:
        return QStringLiteral("the normal model cannot be fitted to these win probabilities");
    case Fault::NoOwnColumns:
        return QStringLiteral("the combined model needs own columns (a positive weight, not "
                              "投票金)");
    case Fault::NoMarketColumns:
        return QStringLiteral("the combined model needs market columns (odds, or a 投票金 "
                              "header)");
    case Fault::NoCombinedRunner:
        return QStringLiteral("no runner has both an own and a market share");
    case Fault::NotFinite:
        return QStringLiteral("the ") + p.name +
               QStringLiteral(" model gives probabilities that are not finite numbers");
    case Fault::NoTickets:
        return QStringLiteral("no tickets to spread the budget over");
    case Fault::BudgetRange:
        return QStringLiteral("the budget must be 1 to 1,000,000,000,000 yen");
    case Fault::BankrollRange:
        return QStringLiteral("the bankroll must be 1 to 1,000,000,000,000 yen");
    case Fault::KellyFraction:
        return QStringLiteral("the Kelly fraction must be above 0 and at most 1");
    case Fault::OddsNotPositive:
        return QStringLiteral("odds must be positive");
    case Fault::ProbabilityRange:
        return QStringLiteral("a probability is outside 0 to 1");
    case Fault::ProbabilitySum:
        return QStringLiteral("the probabilities add up to more than 1");
    case Fault::PayoutOverflow:
        return QStringLiteral("the payout of ") + p.name +
               QStringLiteral(" is beyond what can be counted (") + grouped(p.number) +
               QStringLiteral(" yen at most)");
    }
    return {};
}

QString japaneseBody(const Problem &p)
{
    const QString unit = p.bracket ? QStringLiteral("枠") : QStringLiteral("番");
    switch (p.fault) {
    case Fault::None:
        return {};
    case Fault::Other:
        return quotedText(p.text);
    case Fault::NotTicket:
        return ja(p.text) + QStringLiteral("は") + betTypeLabel(BetType(p.betType)) +
               QStringLiteral("の買い目ではありません（例：") + ticketExample(BetType(p.betType)) +
               QStringLiteral("）");
    case Fault::RunnerBeyond:
        return ja(p.text) + QStringLiteral("の ") + n(p.number) + unit +
               QStringLiteral("はこのレースにありません（1～") + n(p.high) + unit +
               QStringLiteral("）");
    case Fault::RunnerBeyondFile:
        return ja(p.text) + QStringLiteral("の ") + n(p.number) + unit +
               QStringLiteral("は分析ファイルに書ける範囲の外です（1～") + n(p.high) + unit +
               QStringLiteral("）");
    case Fault::NoOdds:
        return ja(p.text) + QStringLiteral("の後にオッズがありません");
    case Fault::NotOdds:
        return ja(p.text) + QStringLiteral("はオッズとして読めません（") + OddsRangeJa +
               QStringLiteral("）");
    case Fault::RangeNotSold:
        return ja(p.text) +
               QStringLiteral("は幅のあるオッズです：幅があるのは複勝とワイドだけです");
    case Fault::TooManyFields:
        return QStringLiteral("項目が ") + n(p.number) +
               QStringLiteral(" 個あり、オッズの列を示す見出し行（実オッズ・オッズ）がありません");
    case Fault::DuplicateTicket:
        return n(p.otherLine) + QStringLiteral(" 行目と ") + n(p.line) +
               QStringLiteral(" 行目で ") + p.name + QStringLiteral(" のオッズが違います");
    case Fault::ColumnTooLong:
        return ja(p.text) + QStringLiteral("は買い目 ") + n(p.number) +
               QStringLiteral(" 点より多い 1 つです");
    case Fault::ColumnTooShort:
        return QStringLiteral("オッズ ") + n(p.number) + QStringLiteral(" 個に買い目 ") +
               n(p.high) + QStringLiteral(" 点：1 列だけのオッズはすべての買い目の分が要ります");
    case Fault::MatrixHeader:
        return ja(p.text) + QStringLiteral("の組み合わせは 1～") + n(p.high) +
               QStringLiteral("番の中にありません");
    case Fault::MatrixPair:
        return ja(p.text) + QStringLiteral("は ") + n(p.number) + QStringLiteral(" 番と ") +
               n(p.number + 1) + QStringLiteral("～") + n(p.high) +
               QStringLiteral(" 番の組み合わせではありません");
    case Fault::MatrixStray:
        return ja(p.text) + QStringLiteral("は表のどのブロックにも入っていません");
    case Fault::MatrixType:
        return QStringLiteral("■番■ の表の形は馬連とワイドだけのものです");
    case Fault::UnknownSection:
        return QStringLiteral("知らない見出し [") + quotedText(p.text) + QLatin1Char(']');
    case Fault::NotKeyValue:
        return ja(p.text) + QStringLiteral("は見出しの下の「名前=値」の行ではありません");
    case Fault::BadValue:
        return quotedText(p.name) + QStringLiteral(" の値") + ja(p.text) +
               QStringLiteral("が読めないか範囲外です");
    case Fault::FileTooLarge:
        return QStringLiteral("ファイルが大きすぎます");
    case Fault::NotAFile:
        return QStringLiteral("ファイルではありません");
    case Fault::NoSuchFile:
        return QStringLiteral("ファイルがありません");
    case Fault::TooManySnapshots:
        return betTypeLabel(BetType(p.betType)) + QStringLiteral("のオッズの時点が ") +
               n(p.number) + QStringLiteral(" を超えています");
    case Fault::PlaceTooFew:
        return QStringLiteral("複勝は 4 頭以下のレースでは発売されません");
    case Fault::BracketTooFew:
        return QStringLiteral("枠連は 8 頭以下のレースでは発売されません");
    case Fault::NoBracket:
        return n(p.number) + QStringLiteral(" 番に枠番（1～8）がありません");
    case Fault::TooFewSupported:
        return betTypeLabel(BetType(p.betType)) + QStringLiteral("には支持のある馬が ") +
               n(p.number) + QStringLiteral(" 頭要りますが、このレースは ") + n(p.high) +
               QStringLiteral(" 頭です");
    case Fault::NoSupport:
        return QStringLiteral("支持のある馬がいません");
    case Fault::NormalFit:
        return QStringLiteral("正規モデルをこの勝率に合わせられません");
    case Fault::NoOwnColumns:
        return QStringLiteral("結合には自分の列（比率が正で、投票金でない列）が要ります");
    case Fault::NoMarketColumns:
        return QStringLiteral("結合には市場の列（オッズの列か、見出しに投票金のある列）が要ります");
    case Fault::NoCombinedRunner:
        return QStringLiteral("自分の列と市場の列の両方に支持のある馬がいません");
    case Fault::NotFinite:
        return p.name +
               QStringLiteral(" モデルの確率が数になりません（λ・ρ・β を見直してください）");
    case Fault::NoTickets:
        return QStringLiteral("予算を割り振る買い目がありません");
    case Fault::BudgetRange:
        return QStringLiteral("予算は 1～1,000,000,000,000 円です");
    case Fault::BankrollRange:
        return QStringLiteral("資金は 1～1,000,000,000,000 円です");
    case Fault::KellyFraction:
        return QStringLiteral("ケリー係数は 0 より大きく 1 以下です");
    case Fault::OddsNotPositive:
        return QStringLiteral("オッズは正の数です");
    case Fault::ProbabilityRange:
        return QStringLiteral("確率が 0～1 の外です");
    case Fault::ProbabilitySum:
        return QStringLiteral("確率の合計が 1 を超えます");
    case Fault::PayoutOverflow:
        return p.name + QStringLiteral(" の払戻が数えられる上限（") + grouped(p.number) +
               QStringLiteral(" 円）を超えます");
    }
    return {};
}

} // namespace

QString quotedText(QStringView text)
{
    QString out;
    const qsizetype shown = std::min(text.size(), MaxQuoted);
    out.reserve(shown + 8);
    for (qsizetype i = 0; i < shown; ++i) {
        const char16_t c = text[i].unicode();
        if (c < 0x20 || c == 0x7f || (c >= 0x80 && c < 0xa0))
            out +=
                QStringLiteral("\\x") + QStringLiteral("%1").arg(uint(c), 2, 16, QLatin1Char('0'));
        else
            out += text[i];
    }
    if (text.size() > MaxQuoted)
        out += QChar(0x2026);
    return out;
}

QString englishText(const Problem &problem)
{
    const QString body = englishBody(problem);
    return problem.line > 0 && problem.fault != Fault::DuplicateTicket
               ? QStringLiteral("line ") + n(problem.line) + QStringLiteral(": ") + body
               : body;
}

QString japaneseText(const Problem &problem)
{
    const QString body = japaneseBody(problem);
    return problem.line > 0 && problem.fault != Fault::DuplicateTicket
               ? n(problem.line) + QStringLiteral(" 行目：") + body
               : body;
}
