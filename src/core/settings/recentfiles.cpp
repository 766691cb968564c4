#include "core/settings/recentfiles.h"

#include "core/codepage/codepage.h"
#include "core/settings/inifile.h"
#include "core/system/systemtools.h"

#include <algorithm>

namespace {

constexpr int MenuItems = 11;

QString section()
{
    return QString::fromUtf16(RecentSection);
}

bool isBlank(const QString &text)
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

void loadRecentFiles(const QString &fileName, RecentMenu *menu, RecentFileList &list)
{
    list.clear();
    for (const auto &[key, value] : readSettings(fileName, section())) {
        if (!value.isEmpty())
            list.addItem(value);
    }
    rebuildRecentMenu(list, menu);
}

FileResult addRecentFile(const QString &fileName, const QString &text, RecentFileList &list,
                         RecentMenu *menu)
{
    list.insertItem(0, text);

    // Of equal entries the one nearest the top, the new one, survives.
    const int count = list.count();
    for (int i = 0; i < count; ++i) {
        const QString entry = list.at(i);
        for (int j = 1; j < count; ++j) {
            if (j != i && list.at(j) == entry)
                list.setItem(j, QString());
        }
    }
    for (int i = list.count() - 1; i >= 0; --i) {
        if (isBlank(list.at(i)))
            list.removeItem(i);
    }

    FileResult stored;
    if (!fileName.isEmpty()) {
        // One write for the whole list. A path that code page 932 cannot hold as it is stays in
        // the menu for this run but is not stored: read back, it would name another file.
        QList<std::pair<QString, QString>> values;
        for (const QString &path : list.entries()) {
            if (Cp932::roundTrips(path))
                values.append(
                    {QStringLiteral("%1").arg(values.size() + 1, 2, 10, QLatin1Char('0')), path});
        }
        stored = writeSettings(fileName, section(), values);
    }
    rebuildRecentMenu(list, menu);
    return stored;
}

void rebuildRecentMenu(const RecentFileList &list, RecentMenu *menu)
{
    if (!menu)
        return;
    for (int i = 0; i < menu->itemCount(); ++i)
        menu->setItemVisible(i, false);
    const int shown = std::min(list.count(), MenuItems);
    for (int i = 0; i < shown; ++i) {
        while (menu->itemCount() <= i)
            menu->addItem();
        const QString path = list.at(i);
        menu->setItemVisible(i, true);
        menu->setItemCaption(i, splitPath(path, QStringLiteral("ファイル名")));
        menu->setItemTag(i, path);
    }
}
