#include "core/analysisfile/analysisinputs.h"

#include "core/codepage/codepage.h"
#include "core/settings/inifile.h"
#include "core/system/safefile.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <charconv>
#include <cmath>
#include <cstring>
#include <optional>

namespace {

const QString MainSection = QStringLiteral("Analysis");
// 2 added the combined model (Combine, Alpha, Gamma), 3 odds snapshots and payouts; every
// earlier version is still read.
constexpr int SidecarVersion = 3;
// Above any runner count the table allows: tickets of a larger field than today's are kept.
constexpr int HighestRunner = 36;
// As for documents: 200 snapshots of every 3連単 ticket fit.
constexpr qint64 MaxSidecarBytes = 64 * 1024 * 1024;
constexpr qint64 MaxYen = 1000000000000LL;

QString number(double v)
{
    return QString::number(v, 'g', QLocale::FloatingPointShortest);
}

std::optional<double> readNumber(const QString &text, double low, double high)
{
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(v) || v < low || v > high)
        return std::nullopt;
    return v;
}

// λ and ρ in (0, 3], β in (0, 5]: the window's ranges, inside which every probability is a
// number.
std::optional<double> readExponent(const QString &text, double high)
{
    const std::optional<double> v = readNumber(text, 0, high);
    return v && *v > 0 ? v : std::nullopt;
}

std::optional<qint64> readYen(const QString &text)
{
    bool ok = false;
    const qint64 v = text.trimmed().toLongLong(&ok);
    if (!ok || v < 1 || v > MaxYen)
        return std::nullopt;
    return v;
}

int highestRunner(BetType type)
{
    return type == BetType::BracketQuinella ? 8 : HighestRunner;
}

// Sets one [Analysis] key; false when the key is unknown or its value out of range.
bool setMainKey(AnalysisInputs &in, const QString &key, const QString &value)
{
    const auto set = [&](double *target, std::optional<double> v) {
        if (v)
            *target = *v;
        return v.has_value();
    };
    const auto number = [&](double *target, double low, double high) {
        return set(target, readNumber(value, low, high));
    };
    const auto yen = [&](qint64 *target) {
        const std::optional<qint64> v = readYen(value);
        if (v)
            *target = *v;
        return v.has_value();
    };
    if (key == QLatin1String("Version")) {
        bool ok = false;
        const int version = value.trimmed().toInt(&ok);
        return ok && version >= 1 && version <= SidecarVersion;
    }
    if (key == QLatin1String("BetType")) {
        const std::optional<BetType> type = betTypeFromName(value.trimmed());
        if (type)
            in.betType = *type;
        return type.has_value();
    }
    if (key == QLatin1String("Model")) {
        const std::optional<OrderModel> model = orderModelFromName(value.trimmed());
        if (model)
            in.parameters.model = *model;
        return model.has_value();
    }
    if (key == QLatin1String("Lambda"))
        return set(&in.parameters.lambda, readExponent(value, MaxLambda));
    if (key == QLatin1String("Rho"))
        return set(&in.parameters.rho, readExponent(value, MaxLambda));
    if (key == QLatin1String("Beta"))
        return set(&in.parameters.beta, readExponent(value, MaxBeta));
    if (key == QLatin1String("Combine")) {
        const QString v = value.trimmed();
        in.parameters.combine = v == QLatin1String("1");
        return v == QLatin1String("0") || v == QLatin1String("1");
    }
    if (key == QLatin1String("Alpha"))
        return number(&in.parameters.alpha, -MaxCombine, MaxCombine);
    if (key == QLatin1String("Gamma"))
        return number(&in.parameters.gamma, -MaxCombine, MaxCombine);
    if (key == QLatin1String("HighRatio"))
        return number(&in.highRatio, 0, 100);
    if (key == QLatin1String("LowRatio"))
        return number(&in.lowRatio, 0, 100);
    if (key == QLatin1String("Budget"))
        return yen(&in.budget);
    if (key == QLatin1String("Bankroll"))
        return yen(&in.bankroll);
    if (key == QLatin1String("KellyFraction"))
        return number(&in.kellyFraction, 0.001, 1);
    if (key == QLatin1String("Kelly")) {
        const QString v = value.trimmed();
        in.kelly = v == QLatin1String("1");
        return v == QLatin1String("0") || v == QLatin1String("1");
    }
    return false;
}

Problem badValue(const QString &key, const QString &value)
{
    Problem p;
    p.fault = Fault::BadValue;
    p.name = key;
    p.text = value;
    return p;
}

// A ticket of the file: its runners against what a file holds, not against today's race.
Result<Ticket> fileTicket(BetType type, const QString &text)
{
    Result<Ticket> t = parseTicket(type, text, highestRunner(type));
    if (t.problem.fault == Fault::RunnerBeyond) {
        t.problem.fault = Fault::RunnerBeyondFile;
        t.error = englishText(t.problem);
    }
    return t;
}

// One key of a bet type's section: Ratio, Picks, Time or a ticket with its odds into `odds`;
// an earlier snapshot's section (latest false) holds tickets only. Fault::None when it is read.
Problem setTypeKey(AnalysisInputs &in, BetType type, bool latest, ActualOdds *odds,
                   const QString &key, const QString &value)
{
    if (latest && key == QLatin1String("Time")) {
        if (!parseSnapshotTime(value))
            return badValue(key, value);
        in.latestTime[size_t(type)] = value;
        return {};
    }
    if (latest && key == QLatin1String("Ratio")) {
        const std::optional<double> v = readNumber(value, 0.01, 1);
        if (!v)
            return badValue(key, value);
        in.parameters.setRatio(type, *v);
        return {};
    }
    if (latest && key == QLatin1String("Picks")) {
        for (const QString &text : value.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            const Result<Ticket> t = fileTicket(type, text.trimmed());
            if (!t.ok())
                return t.problem;
            in.picksOf(type).insert(t.value);
        }
        return {};
    }
    const Result<Ticket> t = fileTicket(type, key);
    if (!t.ok())
        return t.problem;
    const Result<QuotedOdds> read = parseOdds(value, type);
    if (!read.ok())
        return read.problem;
    (*odds)[t.value] = read.value;
    return {};
}

// One odds line exactly as the file writes it ("1>2>3=12.3\r\n", "3-4=3.4-4.1"), read in one
// pass: where the next line starts, or null for any other line (the general reader takes it).
const char *oddsLine(const char *p, const char *end, BetType type, Ticket *ticket, QuotedOdds *odds)
{
    const int size = ticketSize(type);
    const int highest = highestRunner(type);
    const char separator = isOrdered(type) ? '>' : '-';
    Ticket t{};
    for (int k = 0; k < size; ++k) {
        if (p >= end || *p < '1' || *p > '9')
            return nullptr;
        int n = 0;
        while (p < end && *p >= '0' && *p <= '9') {
            n = n * 10 + (*p++ - '0');
            if (n > highest)
                return nullptr;
        }
        t[size_t(k)] = n;
        if (p >= end || *p != (k + 1 < size ? separator : '='))
            return nullptr;
        ++p;
    }
    // Two or three numbers in ascending order for the unordered types.
    if (!isOrdered(type) && size >= 2) {
        if (t[0] > t[1])
            std::swap(t[0], t[1]);
        if (size == 3 && t[1] > t[2])
            std::swap(t[1], t[2]);
        if (t[0] > t[1])
            std::swap(t[0], t[1]);
    }
    if (type != BetType::BracketQuinella)
        for (int a = 0; a + 1 < size; ++a)
            for (int b = a + 1; b < size; ++b)
                if (t[size_t(a)] == t[size_t(b)])
                    return nullptr;
    // Tenths of "12.3": 1.0 to 99,999,999.9, one decimal.
    const auto tenths = [&](qint64 *v) {
        if (p >= end || *p < '1' || *p > '9')
            return false;
        qint64 x = 0;
        for (int digits = 0; p < end && *p >= '0' && *p <= '9'; ++p)
            if (++digits > 8)
                return false;
            else
                x = x * 10 + (*p - '0');
        if (end - p < 2 || *p != '.' || p[1] < '0' || p[1] > '9')
            return false;
        *v = x * 10 + (p[1] - '0');
        p += 2;
        return *v >= 10;
    };
    qint64 low = 0;
    qint64 high = 0;
    if (!tenths(&low))
        return nullptr;
    if (p < end && *p == '-') {
        ++p;
        if ((type != BetType::Place && type != BetType::Wide) || !tenths(&high) || high < low)
            return nullptr;
    }
    if (p < end && *p == '\r')
        ++p;
    if (p < end && *p != '\n')
        return nullptr;
    *ticket = t;
    *odds = QuotedOdds(double(low) / 10, double(high) / 10);
    return p < end ? p + 1 : end;
}

void appendTicket(QByteArray &out, BetType type, const Ticket &t)
{
    const char separator = isOrdered(type) ? '>' : '-';
    for (int k = 0; k < ticketSize(type); ++k) {
        if (k > 0)
            out += separator;
        out += QByteArray::number(t[size_t(k)]);
    }
}

void appendOdds(QByteArray &out, BetType type, const ActualOdds &odds)
{
    char buffer[64];
    const auto fixed = [&](double v) {
        const auto r =
            std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::fixed, 1);
        out.append(buffer, r.ptr - buffer);
    };
    for (const auto &[ticket, value] : odds) {
        appendTicket(out, type, ticket);
        out += '=';
        fixed(value.odds);
        if (value.upper > 0) {
            out += '-';
            fixed(value.upper);
        }
        out += "\r\n";
    }
}

} // namespace

bool AnalysisInputs::operator==(const AnalysisInputs &o) const
{
    const AnalysisParameters &p = parameters;
    const AnalysisParameters &q = o.parameters;
    return betType == o.betType && p.model == q.model && p.lambda == q.lambda && p.rho == q.rho &&
           p.beta == q.beta && p.combine == q.combine && p.alpha == q.alpha && p.gamma == q.gamma &&
           p.payoutRatio == q.payoutRatio && highRatio == o.highRatio && lowRatio == o.lowRatio &&
           actual == o.actual && latestTime == o.latestTime && earlier == o.earlier &&
           payouts == o.payouts && picks == o.picks && budget == o.budget && kelly == o.kelly &&
           kellyFraction == o.kellyFraction && bankroll == o.bankroll;
}

int snapshotCount(const AnalysisInputs &in, BetType type)
{
    return 1 + int(in.earlierOf(type).size());
}

const ActualOdds &snapshotOdds(const AnalysisInputs &in, BetType type, int index)
{
    return index <= 0 ? in.actualOf(type) : in.earlierOf(type)[size_t(index - 1)].odds;
}

QString snapshotTimeOf(const AnalysisInputs &in, BetType type, int index)
{
    return index <= 0 ? in.latestTime[size_t(type)] : in.earlierOf(type)[size_t(index - 1)].time;
}

int pasteSnapshot(AnalysisInputs *in, BetType type, const ActualOdds &pasted, const QString &time)
{
    ActualOdds &latest = in->actualOf(type);
    QString &latestTime = in->latestTime[size_t(type)];
    OddsHistory &earlier = in->earlierOf(type);
    if (!latest.empty() || !latestTime.isEmpty())
        earlier.insert(earlier.begin(), OddsSnapshot{latestTime, latest});
    for (const auto &[ticket, odds] : pasted)
        latest[ticket] = odds;
    latestTime = time;
    int dropped = 0;
    while (1 + earlier.size() > size_t(MaxSnapshots)) {
        earlier.pop_back();
        ++dropped;
    }
    return dropped;
}

void deleteSnapshot(AnalysisInputs *in, BetType type, int index)
{
    OddsHistory &earlier = in->earlierOf(type);
    if (index > 0) {
        if (size_t(index) <= earlier.size())
            earlier.erase(earlier.begin() + (index - 1));
        return;
    }
    if (earlier.empty()) {
        in->actualOf(type).clear();
        in->latestTime[size_t(type)].clear();
        return;
    }
    in->actualOf(type) = std::move(earlier.front().odds);
    in->latestTime[size_t(type)] = earlier.front().time;
    earlier.erase(earlier.begin());
}

QString setSnapshotTime(AnalysisInputs *in, BetType type, int index, const QString &time)
{
    const int count = snapshotCount(*in, type);
    if (index < 0 || index >= count)
        return QStringLiteral("その時点はありません");
    const std::optional<QDateTime> t = parseSnapshotTime(time.trimmed());
    if (!t)
        return QStringLiteral("「%1」は時刻になりません（yyyy-mm-dd hh:mm:ss の形で）")
            .arg(quotedText(time));
    const auto neighbour = [&](int k) {
        return k >= 0 && k < count ? parseSnapshotTime(snapshotTimeOf(*in, type, k)) : std::nullopt;
    };
    for (int k = index - 1; k >= 0; --k)
        if (const std::optional<QDateTime> newer = neighbour(k)) {
            if (*t > *newer)
                return QStringLiteral("次の時点 %1 より後にはできません")
                    .arg(snapshotTimeText(*newer));
            break;
        }
    for (int k = index + 1; k < count; ++k)
        if (const std::optional<QDateTime> older = neighbour(k)) {
            if (*t < *older)
                return QStringLiteral("前の時点 %1 より前にはできません")
                    .arg(snapshotTimeText(*older));
            break;
        }
    const QString text = snapshotTimeText(*t);
    if (index == 0)
        in->latestTime[size_t(type)] = text;
    else
        in->earlierOf(type)[size_t(index - 1)].time = text;
    return {};
}

void AnalysisState::setInputs(const AnalysisInputs &inputs)
{
    if (inputs == m_inputs)
        return;
    if (!sameEntries(inputs, m_inputs))
        m_changed = true;
    m_inputs = inputs;
    Q_EMIT changed();
}

void AnalysisState::resetInputs(const AnalysisInputs &inputs)
{
    const bool differ = !(inputs == m_inputs);
    m_inputs = inputs;
    m_changed = false;
    if (differ)
        Q_EMIT changed();
}

QString sidecarPath(const QString &documentPath)
{
    return documentPath + QStringLiteral(".analysis");
}

QByteArray sidecarBytes(const AnalysisInputs &in)
{
    QStringList lines;
    lines << QStringLiteral("[%1]").arg(MainSection)
          << QStringLiteral("Version=%1").arg(SidecarVersion)
          << QStringLiteral("BetType=") + betTypeName(in.betType)
          << QStringLiteral("Model=") + orderModelName(in.parameters.model)
          << QStringLiteral("Lambda=") + number(in.parameters.lambda)
          << QStringLiteral("Rho=") + number(in.parameters.rho)
          << QStringLiteral("Beta=") + number(in.parameters.beta)
          << QStringLiteral("Combine=%1").arg(in.parameters.combine ? 1 : 0)
          << QStringLiteral("Alpha=") + number(in.parameters.alpha)
          << QStringLiteral("Gamma=") + number(in.parameters.gamma)
          << QStringLiteral("HighRatio=") + number(in.highRatio)
          << QStringLiteral("LowRatio=") + number(in.lowRatio)
          << QStringLiteral("Budget=%1").arg(in.budget)
          << QStringLiteral("Kelly=%1").arg(in.kelly ? 1 : 0)
          << QStringLiteral("KellyFraction=") + number(in.kellyFraction)
          << QStringLiteral("Bankroll=%1").arg(in.bankroll);
    // Only numbers, tickets and times: ASCII. Thousands of odds lines are written as bytes.
    QByteArray out = lines.join(QStringLiteral("\r\n")).toLatin1() + "\r\n";
    for (const BetType type : AllBetTypes) {
        const QByteArray name = betTypeName(type).toLatin1();
        out += '[' + name + "]\r\nRatio=" + number(in.parameters.ratio(type)).toLatin1() + "\r\n";
        QStringList picks;
        for (const Ticket &t : in.picksOf(type))
            picks << ticketText(type, t);
        if (!picks.isEmpty())
            out += "Picks=" + picks.join(QLatin1Char(',')).toLatin1() + "\r\n";
        if (!in.latestTime[size_t(type)].isEmpty())
            out += "Time=" + in.latestTime[size_t(type)].toLatin1() + "\r\n";
        appendOdds(out, type, in.actualOf(type));
        for (const OddsSnapshot &snapshot : in.earlierOf(type)) {
            out += '[' + name + '@' + snapshot.time.toLatin1() + "]\r\n";
            appendOdds(out, type, snapshot.odds);
        }
    }
    if (!in.payouts.empty()) {
        out += "[Payouts]\r\n";
        for (const auto &[key, yen] : in.payouts)
            out += payoutKeyText(key.first, key.second).toLatin1() + '=' + QByteArray::number(yen) +
                   "\r\n";
    }
    return out;
}

QString sidecarText(const AnalysisInputs &in)
{
    return QString::fromLatin1(sidecarBytes(in));
}

Result<AnalysisInputs> parseSidecarBytes(const QByteArray &bytes)
{
    return parseSidecarBytes(bytes, SidecarScope{});
}

Result<AnalysisInputs> parseSidecarBytes(const QByteArray &bytes, const SidecarScope &scope)
{
    AnalysisInputs in;
    // The odds of sections outside the scope: read and judged like the others, not kept.
    ActualOdds passed;
    const auto kept = [&](BetType type, bool latest) {
        return !scope.only || (*scope.only == type && (latest || !scope.latestOnly));
    };
    enum class Section { None, Main, Latest, Earlier, Payouts };
    Section section = Section::None;
    BetType type = BetType::Win;
    ActualOdds *odds = nullptr;
    const char *p = bytes.constData();
    const char *end = p + bytes.size();
    int number = 0;
    while (p < end) {
        // The odds lines, thousands of them: read without a detour through QString.
        Ticket ticket;
        QuotedOdds read;
        if (odds) {
            if (const char *next = oddsLine(p, end, type, &ticket, &read)) {
                ++number;
                // Written in ascending order: the hint makes each insert constant time.
                if (odds != &passed)
                    odds->insert_or_assign(odds->end(), ticket, read);
                p = next;
                continue;
            }
        }
        const char *nl = static_cast<const char *>(std::memchr(p, '\n', size_t(end - p)));
        const char *b = p;
        const char *e = nl ? nl : end;
        p = nl ? nl + 1 : end;
        ++number;
        while (b < e && (*b == ' ' || *b == '\t'))
            ++b;
        while (e > b && (e[-1] == '\r' || e[-1] == ' ' || e[-1] == '\t'))
            --e;
        if (b == e || *b == ';')
            continue;
        const auto bad = [&](Problem problem) {
            problem.line = number;
            return Result<AnalysisInputs>::failure(std::move(problem));
        };
        const QString line = Cp932::decode(QByteArray::fromRawData(b, qsizetype(e - b)));
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            const QString name = line.mid(1, line.size() - 2).trimmed();
            const qsizetype at = name.indexOf(QLatin1Char('@'));
            const std::optional<BetType> named = betTypeFromName(at < 0 ? name : name.left(at));
            const QString time = at < 0 ? QString() : name.mid(at + 1);
            odds = nullptr;
            passed.clear();
            if (name == MainSection) {
                section = Section::Main;
            } else if (name == QLatin1String("Payouts")) {
                section = Section::Payouts;
            } else if (named && at < 0) {
                section = Section::Latest;
                type = *named;
                odds = kept(type, true) ? &in.actualOf(type) : &passed;
            } else if (named && (time.isEmpty() || parseSnapshotTime(time))) {
                section = Section::Earlier;
                type = *named;
                // As many as a paste keeps: more come from no save of this program, and
                // reading them all would take memory without bound.
                if (1 + in.earlierOf(type).size() >= size_t(MaxSnapshots)) {
                    Problem problem;
                    problem.fault = Fault::TooManySnapshots;
                    problem.name = betTypeName(type);
                    problem.betType = int(type);
                    problem.number = MaxSnapshots;
                    return bad(std::move(problem));
                }
                in.earlierOf(type).push_back({time, {}});
                odds = kept(type, false) ? &in.earlierOf(type).back().odds : &passed;
            } else {
                Problem problem;
                problem.fault = Fault::UnknownSection;
                problem.text = name;
                return bad(std::move(problem));
            }
            continue;
        }
        const qsizetype eqAt = line.indexOf(QLatin1Char('='));
        if (eqAt <= 0 || section == Section::None) {
            Problem problem;
            problem.fault = Fault::NotKeyValue;
            problem.text = line;
            return bad(std::move(problem));
        }
        const QString key = line.left(eqAt).trimmed();
        const QString value = line.mid(eqAt + 1).trimmed();
        if (section == Section::Main) {
            if (!setMainKey(in, key, value))
                return bad(badValue(key, value));
        } else if (section == Section::Payouts) {
            const Result<std::pair<BetType, Ticket>> k = parsePayoutKey(key);
            if (!k.ok())
                return bad(k.problem);
            bool ok = false;
            const qint64 yen = value.toLongLong(&ok);
            if (!ok || yen < 1 || yen > 9999999999LL)
                return bad(badValue(key, value));
            in.payouts[k.value] = yen;
        } else {
            Problem why = setTypeKey(in, type, section == Section::Latest, odds, key, value);
            if (why.fault != Fault::None)
                return bad(std::move(why));
        }
    }
    return Result<AnalysisInputs>::success(std::move(in));
}

Result<AnalysisInputs> parseSidecar(const QString &text)
{
    return parseSidecarBytes(Cp932::encode(text).bytes);
}

QString writeSidecar(const QString &path, const AnalysisInputs &inputs)
{
    const FileResult written = replaceFile(path, sidecarBytes(inputs));
    return written.ok ? QString() : written.message;
}

Result<AnalysisInputs> readSidecar(const QString &path, const SidecarScope &scope)
{
    QByteArray bytes;
    const InputRead read = readRegular(path, MaxSidecarBytes, &bytes);
    Problem p;
    p.name = QStringLiteral("an analysis file");
    switch (read.status) {
    case ReadStatus::Read:
        return parseSidecarBytes(bytes, scope);
    case ReadStatus::Missing:
        return Result<AnalysisInputs>::success(AnalysisInputs{});
    case ReadStatus::TooLarge:
        p.fault = Fault::FileTooLarge;
        return Result<AnalysisInputs>::failure(std::move(p));
    case ReadStatus::Failed:
        return Result<AnalysisInputs>::failure(QString::fromLocal8Bit(std::strerror(read.error)));
    case ReadStatus::Folder:
    case ReadStatus::NotRegular:
    case ReadStatus::NotFileOrPipe:
        break;
    }
    p.fault = Fault::NotAFile;
    return Result<AnalysisInputs>::failure(std::move(p));
}

bool saveAnalysisPreferences(const QString &settingsFile, const AnalysisInputs &in)
{
    // One write for the whole section: the settings file is replaced, not patched key by key.
    QList<std::pair<QString, QString>> values{
        {QStringLiteral("Model"), orderModelName(in.parameters.model)}};
    const auto put = [&](const QString &key, double v) { values.append({key, number(v)}); };
    put(QStringLiteral("Lambda"), in.parameters.lambda);
    put(QStringLiteral("Rho"), in.parameters.rho);
    put(QStringLiteral("Beta"), in.parameters.beta);
    values.append({QStringLiteral("Combine"),
                   in.parameters.combine ? QStringLiteral("1") : QStringLiteral("0")});
    put(QStringLiteral("Alpha"), in.parameters.alpha);
    put(QStringLiteral("Gamma"), in.parameters.gamma);
    put(QStringLiteral("HighRatio"), in.highRatio);
    put(QStringLiteral("LowRatio"), in.lowRatio);
    for (const BetType type : AllBetTypes)
        put(QStringLiteral("Ratio.") + betTypeName(type), in.parameters.ratio(type));
    return writeSettings(settingsFile, MainSection, values).ok;
}

void loadAnalysisPreferences(const QString &settingsFile, AnalysisInputs *in)
{
    const auto get = [&](const QString &key) {
        return readSetting(settingsFile, MainSection, key);
    };
    if (const std::optional<OrderModel> model = orderModelFromName(get(QStringLiteral("Model"))))
        in->parameters.model = *model;
    const auto number = [&](const QString &key, double *target, double low, double high) {
        if (const std::optional<double> v = readNumber(get(key), low, high))
            *target = *v;
    };
    const auto exponent = [&](const QString &key, double *target, double high) {
        if (const std::optional<double> v = readExponent(get(key), high))
            *target = *v;
    };
    exponent(QStringLiteral("Lambda"), &in->parameters.lambda, MaxLambda);
    exponent(QStringLiteral("Rho"), &in->parameters.rho, MaxLambda);
    exponent(QStringLiteral("Beta"), &in->parameters.beta, MaxBeta);
    const QString combine = get(QStringLiteral("Combine")).trimmed();
    if (combine == QLatin1String("0") || combine == QLatin1String("1"))
        in->parameters.combine = combine == QLatin1String("1");
    number(QStringLiteral("Alpha"), &in->parameters.alpha, -MaxCombine, MaxCombine);
    number(QStringLiteral("Gamma"), &in->parameters.gamma, -MaxCombine, MaxCombine);
    number(QStringLiteral("HighRatio"), &in->highRatio, 0, 100);
    number(QStringLiteral("LowRatio"), &in->lowRatio, 0, 100);
    for (const BetType type : AllBetTypes) {
        double ratio = in->parameters.ratio(type);
        number(QStringLiteral("Ratio.") + betTypeName(type), &ratio, 0.01, 1);
        in->parameters.setRatio(type, ratio);
    }
}

bool sameEntries(const AnalysisInputs &a, const AnalysisInputs &b)
{
    AnalysisInputs x = a;
    x.betType = b.betType;
    x.parameters.model = b.parameters.model;
    return x == b;
}

Result<QString> setAsideSidecar(const QString &path)
{
    if (!QFileInfo(path).isFile())
        return Result<QString>::failure(QStringLiteral("ファイルではありません"));
    for (int n = 1; n < 1000; ++n) {
        QString aside = path + QStringLiteral(".unreadable");
        if (n > 1)
            aside += QLatin1Char('.') + QString::number(n);
        if (QFileInfo::exists(aside) || QFileInfo(aside).isSymLink())
            continue;
        QFile file(path);
        // rename() never replaces a file that appeared in the meantime.
        if (file.rename(aside))
            return Result<QString>::success(aside);
        if (!QFileInfo::exists(aside))
            return Result<QString>::failure(file.errorString());
    }
    return Result<QString>::failure(QStringLiteral("残しておく名前が空いていません"));
}
