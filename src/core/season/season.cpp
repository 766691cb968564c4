#include "core/season/season.h"

#include "core/document/oddsdocument.h"
#include "core/file/documentfile.h"
#include "core/racemodel/combinedmodel.h"
#include "core/racemodel/normalmodel.h"
#include "core/text/datetext.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <set>

#include <dirent.h>
#include <sys/stat.h>

namespace {

// log sum exp over the runners that are left, by their logs.
double logSumExp(const std::vector<double> &logs, double exponent, int skipA, int skipB)
{
    double largest = -INFINITY;
    for (int i = 0; i < int(logs.size()); ++i)
        if (i != skipA && i != skipB)
            largest = std::max(largest, exponent * logs[size_t(i)]);
    double sum = 0;
    for (int i = 0; i < int(logs.size()); ++i)
        if (i != skipA && i != skipB)
            sum += std::exp(exponent * logs[size_t(i)] - largest);
    return largest + std::log(sum);
}

} // namespace

namespace {

struct FoundFile
{
    QByteArray bytes; // the path as the system has it
    QString shown;
    QString problem;
};

// A name as text, and whether it is the system's name exactly (bytes that are not UTF-8 are
// shown as \xNN and cannot be opened by that text).
std::pair<QString, bool> nameText(const QByteArray &bytes)
{
    const QString decoded = QFile::decodeName(bytes);
    if (QFile::encodeName(decoded) == bytes)
        return {decoded, true};
    QString shown;
    QByteArray run;
    const auto flush = [&] {
        shown += QFile::decodeName(run);
        run.clear();
    };
    for (qsizetype i = 0; i < bytes.size();) {
        // The longest valid sequence starting here, else one escaped byte.
        qsizetype n = 1;
        const uchar c = uchar(bytes[i]);
        if (c >= 0x80) {
            const qsizetype want = c >= 0xf0 ? 4 : c >= 0xe0 ? 3 : c >= 0xc0 ? 2 : 0;
            const QByteArray part = bytes.mid(i, want);
            if (want == 0 || part.size() < want ||
                QFile::encodeName(QFile::decodeName(part)) != part) {
                flush();
                shown += QStringLiteral("\\x%1").arg(c, 2, 16, QLatin1Char('0'));
                ++i;
                continue;
            }
            n = want;
        }
        run += bytes.mid(i, n);
        i += n;
    }
    flush();
    return {shown, false};
}

bool endsWithCsv(const char *name)
{
    const size_t n = std::strlen(name);
    return n >= 4 && name[n - 4] == '.' && (name[n - 3] | 0x20) == 'c' &&
           (name[n - 2] | 0x20) == 's' && (name[n - 1] | 0x20) == 'v';
}

// Every ".csv" below the folder, and the folders that cannot be listed. Symbolic links to
// folders are not followed (no loops); links to files are taken.
void walk(const QByteArray &folder, const QString &shown, std::vector<FoundFile> *found,
          const std::function<bool()> &cancelled)
{
    DIR *dir = ::opendir(folder.constData());
    if (!dir) {
        const int error = errno;
        found->push_back(
            {folder + '/', shown + u'/', QString::fromLocal8Bit(std::strerror(error))});
        return;
    }
    std::vector<std::pair<QByteArray, bool>> entries; // name, a folder
    while (const dirent *e = ::readdir(dir)) {
        if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0)
            continue;
        bool folderEntry = e->d_type == DT_DIR;
        if (e->d_type == DT_UNKNOWN) {
            struct stat st;
            const QByteArray full = folder + '/' + e->d_name;
            folderEntry = ::lstat(full.constData(), &st) == 0 && S_ISDIR(st.st_mode);
        }
        if (folderEntry || endsWithCsv(e->d_name))
            entries.emplace_back(QByteArray(e->d_name), folderEntry);
    }
    ::closedir(dir);
    for (const auto &[name, isFolder] : entries) {
        if (cancelled && cancelled())
            return;
        const auto [text, exact] = nameText(name);
        const QByteArray full = folder + '/' + name;
        const QString shownFull = shown + u'/' + text;
        if (!exact)
            found->push_back({isFolder ? full + '/' : full, isFolder ? shownFull + u'/' : shownFull,
                              QStringLiteral("the name is not UTF-8")});
        else if (isFolder)
            walk(full, shownFull, found, cancelled);
        else
            found->push_back({full, shownFull, {}});
    }
}

} // namespace

SeasonFiles seasonDocuments(const QStringList &paths, const std::function<bool()> &cancelled)
{
    std::vector<FoundFile> found;
    SeasonFiles out;
    for (const QString &path : paths) {
        const QByteArray bytes = QFile::encodeName(path);
        struct stat st;
        if (::stat(bytes.constData(), &st) != 0) {
            if (::lstat(bytes.constData(), &st) != 0) {
                out.missing << path;
                continue;
            }
        }
        if (!S_ISDIR(st.st_mode)) {
            found.push_back({bytes, path, {}});
            continue;
        }
        // Keep the folder as the user wrote it, without a trailing "/" doubled below it.
        QByteArray folder = bytes;
        QString shown = path;
        while (folder.size() > 1 && folder.endsWith('/')) {
            folder.chop(1);
            shown.chop(1);
        }
        walk(folder, shown, &found, cancelled);
    }
    std::sort(found.begin(), found.end(),
              [](const FoundFile &a, const FoundFile &b) { return a.bytes < b.bytes; });
    std::set<QByteArray> seen;
    for (FoundFile &f : found) {
        QByteArray key = f.bytes;
        if (char *real = ::realpath(f.bytes.constData(), nullptr)) {
            key = real;
            std::free(real);
        }
        if (!seen.insert(key).second) {
            ++out.duplicates;
            continue;
        }
        if (!f.problem.isEmpty())
            out.refused.insert(f.shown, f.problem);
        out.files << std::move(f.shown);
    }
    return out;
}

QStringList seasonFiles(const QStringList &paths, const std::function<bool()> &cancelled)
{
    return seasonDocuments(paths, cancelled).files;
}

QString escapedName(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c == u'\t')
            out += QLatin1String("\\t");
        else if (c == u'\n')
            out += QLatin1String("\\n");
        else if (c == u'\r')
            out += QLatin1String("\\r");
        else if (c.unicode() < 0x20 || c.unicode() == 0x7f ||
                 (c.unicode() >= 0x80 && c.unicode() < 0xa0))
            out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

SeasonRace readSeasonRace(const SeasonFiles &files, const QString &file, bool split, bool columns)
{
    const QString why = files.refusal(file);
    if (why.isEmpty())
        return readSeasonRace(file, split, columns);
    SeasonRace race;
    race.file = file;
    race.unreadable = why;
    race.result.exclusion = Exclusion::Unreadable;
    return race;
}

SeasonRace readSeasonRace(const QString &file, bool split, bool columns)
{
    SeasonRace race;
    race.file = file;
    OddsDocument document;
    OddsDocument *doc = &document;
    doc->startFresh(1, QDate::currentDate());
    const FileResult loaded = loadDocument(*doc, file);
    if (!loaded.ok) {
        race.unreadable = loaded.message;
        race.result.exclusion = Exclusion::Unreadable;
        return race;
    }
    doc->recalculate();
    race.title = doc->titleText(0);
    race.dateText = doc->titleText(1);
    race.date = parseDateField(race.dateText).value_or(QDate());
    race.runnerCount = std::max(doc->runnerCount, 0);
    race.scores = doc->supportScores();
    race.result = parseRaceResult(doc->titleText(5), positiveShares(race.scores));
    if (split && race.result.ok()) {
        SplitScores s = ownAndMarketScores(*doc);
        race.own = std::move(s.own);
        race.market = std::move(s.market);
        if (columns)
            race.columns = ownColumnScores(*doc);
    }
    return race;
}

std::array<CalibrationBin, 9> SeasonSummary::emptyBins()
{
    static constexpr double edges[10] = {0, .02, .05, .10, .15, .20, .30, .40, .60, 1.00};
    std::array<CalibrationBin, 9> bins;
    for (size_t i = 0; i < bins.size(); ++i) {
        bins[i].low = edges[i];
        bins[i].high = edges[i + 1];
    }
    return bins;
}

size_t SeasonSummary::binOf(double p)
{
    static const std::array<CalibrationBin, 9> bins = emptyBins();
    const double rounded = std::round(p * 1e12) / 1e12;
    size_t i = 0;
    while (i + 1 < bins.size() && !(rounded < bins[i].high))
        ++i;
    return i;
}

Result<RaceField> seasonField(const SeasonRace &race, const SeasonModel &model)
{
    if (model.combine)
        return combinedFieldFromScores({race.own, race.market}, {}, model.alpha, model.gamma);
    return raceFieldFromScores(race.scores, {}, model.beta);
}

namespace {

// The win probabilities of the runners with one, in runner order, and where the result's
// places stand among them (at[k], -1 for a place not among them).
std::vector<double> supportedRunners(const RaceField &field, const RaceResult &result, int at[3])
{
    std::vector<double> win;
    for (int r = 1; r <= field.runnerCount; ++r) {
        if (!(field.win[size_t(r)] > 0))
            continue;
        for (int k = 0; k < result.placeCount; ++k)
            if (result.places[size_t(k)] == r)
                at[k] = int(win.size());
        win.push_back(field.win[size_t(r)]);
    }
    return win;
}

} // namespace

Result<double> orderLogLikelihood(const RaceField &field, const RaceResult &result,
                                  const SeasonModel &model)
{
    const int places = result.placeCount;
    if (model.order == OrderModel::Normal) {
        // Only this race's order is integrated, not every triple as the analysis table needs.
        int at[3] = {-1, -1, -1};
        const std::vector<double> win = supportedRunners(field, result, at);
        if (places < 3 || win.size() < 3) // whoever wins, the other is second
            return Result<double>::success(places > 0 ? std::log(win[size_t(at[0])]) : 0.0);
        const Result<NormalFit> fit = fitNormalModel(win);
        if (!fit.ok())
            return Result<double>::failure(fit.error);
        return Result<double>::success(
            std::log(normalOrderProbability(fit.value.theta, at[0], at[1], at[2])));
    }
    // The discount model's conditional shares, summed as logs: the product of the three
    // probabilities underflows for long shots in a large field.
    int at[3] = {-1, -1, -1};
    std::vector<double> logs = supportedRunners(field, result, at);
    for (double &p : logs)
        p = std::log(p);
    const bool discount = model.order == OrderModel::Discount;
    const double exponents[3] = {1, discount ? model.lambda : 1, discount ? model.rho : 1};
    double sum = 0;
    for (int k = 0; k < places; ++k) {
        sum += exponents[k] * logs[size_t(at[k])] -
               logSumExp(logs, exponents[k], k > 0 ? at[0] : -1, k > 1 ? at[1] : -1);
    }
    return Result<double>::success(sum);
}

RaceEvaluation SeasonEvaluator::add(const SeasonRace &race)
{
    RaceEvaluation e;
    e.exclusion = race.result.exclusion;
    Result<RaceField> field = Result<RaceField>::failure(QString());
    if (e.exclusion == Exclusion::None && m_model.combine && race.own.empty())
        e.exclusion = Exclusion::NoOwnColumns;
    if (e.exclusion == Exclusion::None) {
        field = seasonField(race, m_model);
        for (int k = 0; k < race.result.placeCount && e.exclusion == Exclusion::None; ++k)
            if (!field.ok() || !(field.value.win[size_t(race.result.places[size_t(k)])] > 0))
                e.exclusion = Exclusion::NoSupport;
    }
    Result<double> loglik = Result<double>::failure(QString());
    if (e.exclusion == Exclusion::None) {
        loglik = orderLogLikelihood(field.value, race.result, m_model);
        if (!loglik.ok())
            e.exclusion = Exclusion::NoModel;
    }
    if (e.exclusion != Exclusion::None) {
        ++m_summary.excluded;
        return e;
    }
    const RaceField &f = field.value;
    const int winner = race.result.places[0];
    e.pwin = f.win[size_t(winner)];
    e.winRank = 1;
    for (int r = 1; r <= f.runnerCount; ++r)
        e.winRank += f.win[size_t(r)] > e.pwin ? 1 : 0;
    e.loglik = loglik.value;

    SeasonSummary &s = m_summary;
    ++s.races;
    s.loglik += e.loglik;
    s.winLoglik += std::log(e.pwin);
    s.favourites += e.winRank == 1 ? 1 : 0;
    double brier = 0;
    for (int r = 1; r <= f.runnerCount; ++r) {
        const double p = f.win[size_t(r)];
        const double won = r == winner ? 1.0 : 0.0;
        brier += (p - won) * (p - won);
        if (!(p > 0))
            continue;
        CalibrationBin *bin = &s.bins[SeasonSummary::binOf(p)];
        ++bin->count;
        bin->sumP += p;
        bin->wins += r == winner ? 1 : 0;
    }
    s.brierSum += brier;
    const std::vector<double> &market = race.market;
    if (size_t(winner) < market.size() &&
        std::any_of(market.begin(), market.end(), [](double m) { return m > 0; })) {
        ++s.marketRaces;
        const double won = market[size_t(winner)];
        s.marketFavourites += won > 0 && std::none_of(market.begin(), market.end(),
                                                      [won](double m) { return m > won; })
                                  ? 1
                                  : 0;
    }
    return e;
}
