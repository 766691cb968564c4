#include "core/racemodel/resultcheck.h"

#include "core/document/oddsdocument.h"
#include "core/racemodel/combinedmodel.h"
#include "core/racemodel/raceresult.h"

QString resultFieldProblem(const OddsDocument &doc)
{
    const QString text = doc.titleText(5);
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() || trimmed == QStringLiteral("結果"))
        return QString();
    // Read against the race as the season reads it: recalculated, whatever the window last did.
    OddsDocument copy = doc;
    copy.setMeasurer(nullptr);
    copy.recalculate();
    const RaceResult result = parseRaceResult(text, positiveShares(copy.supportScores()));
    if (result.ok())
        return QString();
    const bool notAnOrder =
        result.exclusion == Exclusion::NoResult || result.exclusion == Exclusion::UnreadableResult;
    const QString why = notAnOrder
                            ? QStringLiteral("数字と区切り（- → ・ 空白など）以外の文字がある")
                            : exclusionText(result.exclusion);
    return QStringLiteral(
               "「%1」は着順として読めません（%2）。成績と検証ではこのレースを数えません。")
        .arg(trimmed, why);
}
