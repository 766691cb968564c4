#include "core/analysis/analysisinputs.h"

#include "core/codepage/codepage.h"
#include "core/settings/inifile.h"
#include "core/system/safefile.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <cmath>
#include <optional>

namespace {

const QString MainSection = QStringLiteral("Analysis");
// 2 added the combined model (Combine, Alpha, Gamma); every earlier version is still read.
constexpr int SidecarVersion = 2;
// Above any runner count the table allows: tickets of a larger field than today's are kept.
constexpr int HighestRunner = 36;
constexpr qint64 MaxSidecarBytes = 4 * 1024 * 1024;
constexpr qint64 MaxYen = 1000000000000LL;

QString Number(double v)
{
    return QString::number(v, 'g', QLocale::FloatingPointShortest);
}

std::optional<double> ReadNumber(const QString &text, double low, double high)
{
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(v) || v < low || v > high)
        return std::nullopt;
    return v;
}

// λ and ρ in (0, 3], β in (0, 5]: the window's ranges, inside which every probability is a
// number.
std::optional<double> ReadExponent(const QString &text, double high)
{
    const std::optional<double> v = ReadNumber(text, 0, high);
    return v && *v > 0 ? v : std::nullopt;
}

std::optional<qint64> ReadYen(const QString &text)
{
    bool ok = false;
    const qint64 v = text.trimmed().toLongLong(&ok);
    if (!ok || v < 1 || v > MaxYen)
        return std::nullopt;
    return v;
}

int Highest(BetType type)
{
    return type == BetType::BracketQuinella ? 8 : HighestRunner;
}

// Sets one [Analysis] key; false when the key is unknown or its value out of range.
bool SetMainKey(AnalysisInputs &in, const QString &key, const QString &value)
{
    const auto set = [&](double *target, std::optional<double> v) {
        if (v)
            *target = *v;
        return v.has_value();
    };
    const auto number = [&](double *target, double low, double high) {
        return set(target, ReadNumber(value, low, high));
    };
    const auto yen = [&](qint64 *target) {
        const std::optional<qint64> v = ReadYen(value);
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
        const std::optional<BetType> type = BetTypeFromName(value.trimmed());
        if (type)
            in.betType = *type;
        return type.has_value();
    }
    if (key == QLatin1String("Model")) {
        const std::optional<OrderModel> model = OrderModelFromName(value.trimmed());
        if (model)
            in.parameters.model = *model;
        return model.has_value();
    }
    if (key == QLatin1String("Lambda"))
        return set(&in.parameters.lambda, ReadExponent(value, MaxLambda));
    if (key == QLatin1String("Rho"))
        return set(&in.parameters.rho, ReadExponent(value, MaxLambda));
    if (key == QLatin1String("Beta"))
        return set(&in.parameters.beta, ReadExponent(value, MaxBeta));
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

Problem BadValue(const QString &key, const QString &value)
{
    Problem p;
    p.fault = Fault::BadValue;
    p.name = key;
    p.text = value;
    return p;
}

// A ticket of the file: its runners against what a file holds, not against today's race.
Result<Ticket> FileTicket(BetType type, const QString &text)
{
    Result<Ticket> t = ParseTicket(type, text, Highest(type));
    if (t.problem.fault == Fault::RunnerBeyond) {
        t.problem.fault = Fault::RunnerBeyondFile;
        t.error = EnglishText(t.problem);
    }
    return t;
}

// One key of a bet type's section: Ratio, Picks or a ticket with its odds. Fault::None when
// it is read.
Problem SetTypeKey(AnalysisInputs &in, BetType type, const QString &key, const QString &value)
{
    if (key == QLatin1String("Ratio")) {
        const std::optional<double> v = ReadNumber(value, 0.01, 1);
        if (!v)
            return BadValue(key, value);
        in.parameters.setRatio(type, *v);
        return {};
    }
    if (key == QLatin1String("Picks")) {
        for (const QString &text : value.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            const Result<Ticket> t = FileTicket(type, text.trimmed());
            if (!t.ok())
                return t.problem;
            in.picksOf(type).insert(t.value);
        }
        return {};
    }
    const Result<Ticket> t = FileTicket(type, key);
    if (!t.ok())
        return t.problem;
    const Result<QuotedOdds> odds = ParseOdds(value, type);
    if (!odds.ok())
        return odds.problem;
    in.actualOf(type)[t.value] = odds.value;
    return {};
}

} // namespace

bool AnalysisInputs::operator==(const AnalysisInputs &o) const
{
    const AnalysisParameters &p = parameters;
    const AnalysisParameters &q = o.parameters;
    return betType == o.betType && p.model == q.model && p.lambda == q.lambda && p.rho == q.rho &&
           p.beta == q.beta && p.combine == q.combine && p.alpha == q.alpha && p.gamma == q.gamma &&
           p.payoutRatio == q.payoutRatio && highRatio == o.highRatio && lowRatio == o.lowRatio &&
           actual == o.actual && picks == o.picks && budget == o.budget && kelly == o.kelly &&
           kellyFraction == o.kellyFraction && bankroll == o.bankroll;
}

void AnalysisState::setInputs(const AnalysisInputs &inputs)
{
    if (inputs == m_inputs)
        return;
    if (!SameEntries(inputs, m_inputs))
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

QString SidecarPath(const QString &documentPath)
{
    return documentPath + QStringLiteral(".analysis");
}

QString SidecarText(const AnalysisInputs &in)
{
    QStringList lines;
    lines << QStringLiteral("[%1]").arg(MainSection)
          << QStringLiteral("Version=%1").arg(SidecarVersion)
          << QStringLiteral("BetType=") + BetTypeName(in.betType)
          << QStringLiteral("Model=") + OrderModelName(in.parameters.model)
          << QStringLiteral("Lambda=") + Number(in.parameters.lambda)
          << QStringLiteral("Rho=") + Number(in.parameters.rho)
          << QStringLiteral("Beta=") + Number(in.parameters.beta)
          << QStringLiteral("Combine=%1").arg(in.parameters.combine ? 1 : 0)
          << QStringLiteral("Alpha=") + Number(in.parameters.alpha)
          << QStringLiteral("Gamma=") + Number(in.parameters.gamma)
          << QStringLiteral("HighRatio=") + Number(in.highRatio)
          << QStringLiteral("LowRatio=") + Number(in.lowRatio)
          << QStringLiteral("Budget=%1").arg(in.budget)
          << QStringLiteral("Kelly=%1").arg(in.kelly ? 1 : 0)
          << QStringLiteral("KellyFraction=") + Number(in.kellyFraction)
          << QStringLiteral("Bankroll=%1").arg(in.bankroll);
    for (const BetType type : AllBetTypes) {
        lines << QStringLiteral("[%1]").arg(BetTypeName(type))
              << QStringLiteral("Ratio=") + Number(in.parameters.ratio(type));
        QStringList picks;
        for (const Ticket &t : in.picksOf(type))
            picks << TicketText(type, t);
        if (!picks.isEmpty())
            lines << QStringLiteral("Picks=") + picks.join(QLatin1Char(','));
        for (const auto &[ticket, odds] : in.actualOf(type))
            lines << TicketText(type, ticket) + QLatin1Char('=') + OddsText(odds);
    }
    return lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

Result<AnalysisInputs> ParseSidecar(const QString &text)
{
    AnalysisInputs in;
    std::optional<BetType> section;
    bool main = false;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        const auto bad = [&](Problem p) {
            p.line = int(i + 1);
            return Result<AnalysisInputs>::failure(std::move(p));
        };
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            const QString name = line.mid(1, line.size() - 2).trimmed();
            main = name == MainSection;
            section = BetTypeFromName(name);
            if (!main && !section) {
                Problem p;
                p.fault = Fault::UnknownSection;
                p.text = name;
                return bad(std::move(p));
            }
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0 || (!main && !section)) {
            Problem p;
            p.fault = Fault::NotKeyValue;
            p.text = line;
            return bad(std::move(p));
        }
        const QString key = line.left(eq).trimmed();
        const QString value = line.mid(eq + 1).trimmed();
        if (main) {
            if (!SetMainKey(in, key, value))
                return bad(BadValue(key, value));
        } else {
            Problem why = SetTypeKey(in, *section, key, value);
            if (why.fault != Fault::None)
                return bad(std::move(why));
        }
    }
    return Result<AnalysisInputs>::success(std::move(in));
}

QString WriteSidecar(const QString &path, const AnalysisInputs &inputs)
{
    // Only numbers and tickets: the text always has a code page 932 form.
    const FileResult written = replaceFile(path, Cp932::encode(SidecarText(inputs)).bytes);
    return written.ok ? QString() : written.message;
}

Result<AnalysisInputs> ReadSidecar(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return Result<AnalysisInputs>::success(AnalysisInputs{});
    Problem p;
    p.fault = !info.isFile()                  ? Fault::NotAFile
              : info.size() > MaxSidecarBytes ? Fault::FileTooLarge
                                              : Fault::None;
    p.name = QStringLiteral("an analysis file");
    if (p.fault != Fault::None)
        return Result<AnalysisInputs>::failure(std::move(p));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Result<AnalysisInputs>::failure(file.errorString());
    const QByteArray bytes = file.read(MaxSidecarBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return Result<AnalysisInputs>::failure(file.errorString());
    return ParseSidecar(Cp932::decode(bytes));
}

bool SaveAnalysisPreferences(const QString &settingsFile, const AnalysisInputs &in)
{
    // One write for the whole section: the settings file is replaced, not patched key by key.
    QList<std::pair<QString, QString>> values{
        {QStringLiteral("Model"), OrderModelName(in.parameters.model)}};
    const auto put = [&](const QString &key, double v) { values.append({key, Number(v)}); };
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
        put(QStringLiteral("Ratio.") + BetTypeName(type), in.parameters.ratio(type));
    return writeSettings(settingsFile, MainSection, values).ok;
}

void LoadAnalysisPreferences(const QString &settingsFile, AnalysisInputs *in)
{
    const auto get = [&](const QString &key) {
        return readSetting(settingsFile, MainSection, key);
    };
    if (const std::optional<OrderModel> model = OrderModelFromName(get(QStringLiteral("Model"))))
        in->parameters.model = *model;
    const auto number = [&](const QString &key, double *target, double low, double high) {
        if (const std::optional<double> v = ReadNumber(get(key), low, high))
            *target = *v;
    };
    const auto exponent = [&](const QString &key, double *target, double high) {
        if (const std::optional<double> v = ReadExponent(get(key), high))
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
        number(QStringLiteral("Ratio.") + BetTypeName(type), &ratio, 0.01, 1);
        in->parameters.setRatio(type, ratio);
    }
}

bool SameEntries(const AnalysisInputs &a, const AnalysisInputs &b)
{
    AnalysisInputs x = a;
    x.betType = b.betType;
    x.parameters.model = b.parameters.model;
    return x == b;
}

Result<QString> SetAsideSidecar(const QString &path)
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
