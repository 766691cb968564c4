// The document's identity (its file, its name while untitled, whether it changed) and the
// recipe every new document starts from.
#include "core/document/oddsdocument.h"

#include "core/text/datetext.h"
#include "core/text/textcompare.h"

#include <QDate>
#include <QFileInfo>

bool OddsDocument::isTemplate() const
{
    return textLike(QFileInfo(m_filePath).fileName(), QStringLiteral("*.def"));
}

QString OddsDocument::caption() const
{
    return isUntitled() ? m_untitledName : m_filePath;
}

QString OddsDocument::displayCaption() const
{
    return m_changed ? caption() + QStringLiteral(" *") : caption();
}

void OddsDocument::startFresh(int untitledNumber, const QDate &today,
                              const std::function<void()> &loadTemplate)
{
    m_untitledName = QStringLiteral("新規ｵｯｽﾞﾄﾞｷｭﾒﾝﾄ ") + QString::number(untitledNumber);
    m_filePath.clear();
    setTitleText(0, m_untitledName);
    buildTable();
    if (loadTemplate)
        loadTemplate();
    setTitleText(1, formatDate(today, QStringLiteral("yyyy/mm/dd")));
    m_changed = false;
}
