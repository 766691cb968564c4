#include "core/settings/recentfiles.h"

#include "core/codepage/codepage.h"
#include "core/settings/inifile.h"
#include "core/system/systemtools.h"

#include <algorithm>

namespace {

constexpr int MenuItems = 11;

QString Section()
{
    return QString::fromUtf16(RecentSection);
}

bool IsBlank(const QString &text)
{
    return std::all_of(text.cbegin(), text.cend(), [](QChar ch) { return ch == QLatin1Char(' '); });
}

} // namespace

void RecentFileList::addItem(const QString &text)
{
    // After the last entry that does not sort behind it, as a sorted list box inserts.
    const auto pos = std::upper_bound(m_items.begin(), m_items.end(), text,
                                      [](const QString &a, const QString &b) {
                                          return QString::compare(a, b, Qt::CaseInsensitive) < 0;
                                      });
    m_items.insert(pos, text);
}

void RecentFileList::insertItem(int index, const QString &text)
{
    m_items.insert(std::clamp(index, 0, count()), text);
}

void RecentFileList::setItem(int index, const QString &text)
{
    if (index >= 0 && index < count())
        m_items[index] = text;
}

void RecentFileList::removeItem(int index)
{
    if (index >= 0 && index < count())
        m_items.removeAt(index);
}

FileResult RecentFileList::add(const QString &path)
{
    return addRecentFile(m_iniPath, path, *this, m_menu);
}

void RecentFileList::load()
{
    loadRecentFiles(m_iniPath, m_menu, *this);
}

void loadRecentFiles(const QString &WkFileName, RecentMenu *VBMenuName, RecentFileList &LstBox)
{
    LstBox.clear();
    for (const auto &[key, value] : readSettings(WkFileName, Section())) {
        if (!value.isEmpty())
            LstBox.addItem(value);
    }
    rebuildRecentMenu(LstBox, VBMenuName);
}

FileResult addRecentFile(const QString &WkFileName, const QString &wkStr, RecentFileList &LstBox,
                         RecentMenu *VBMenuName)
{
    LstBox.insertItem(0, wkStr);

    // Of equal entries the one nearest the top, the new one, survives.
    const int count = LstBox.count();
    for (int i = 0; i < count; ++i) {
        const QString entry = LstBox.at(i);
        for (int j = 1; j < count; ++j) {
            if (j != i && LstBox.at(j) == entry)
                LstBox.setItem(j, QString());
        }
    }
    for (int i = LstBox.count() - 1; i >= 0; --i) {
        if (IsBlank(LstBox.at(i)))
            LstBox.removeItem(i);
    }

    FileResult stored;
    if (!WkFileName.isEmpty()) {
        // One write for the whole list. A path that code page 932 cannot hold as it is stays in
        // the menu for this run but is not stored: read back, it would name another file.
        QList<std::pair<QString, QString>> values;
        for (const QString &path : LstBox.entries()) {
            if (Cp932::roundTrips(path))
                values.append(
                    {QStringLiteral("%1").arg(values.size() + 1, 2, 10, QLatin1Char('0')), path});
        }
        stored = writeSettings(WkFileName, Section(), values);
    }
    rebuildRecentMenu(LstBox, VBMenuName);
    return stored;
}

void rebuildRecentMenu(const RecentFileList &LstBox, RecentMenu *VBMenuName)
{
    if (!VBMenuName)
        return;
    for (int i = 0; i < VBMenuName->itemCount(); ++i)
        VBMenuName->setItemVisible(i, false);
    const int shown = std::min(LstBox.count(), MenuItems);
    for (int i = 0; i < shown; ++i) {
        while (VBMenuName->itemCount() <= i)
            VBMenuName->addItem();
        const QString path = LstBox.at(i);
        VBMenuName->setItemVisible(i, true);
        VBMenuName->setItemCaption(i, splitPath(path, QStringLiteral("ファイル名")));
        VBMenuName->setItemTag(i, path);
    }
}
