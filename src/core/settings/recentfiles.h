#pragma once
// The recent-file list: the ordered list of paths (recentFiles), its store in the settings
// file (section "最近使ったファイル", keys "01", "02", ...) and the File menu items that
// show its first eleven entries.

#include "core/system/safefile.h"

#include <QString>
#include <QStringList>

// The File menu's recent-file items (recentFileActions), as the list needs them. Indices from 0.
class RecentMenu
{
public:
    virtual ~RecentMenu() = default;
    virtual int itemCount() const = 0;
    virtual void addItem() = 0; // appends one hidden item
    virtual void setItemVisible(int index, bool visible) = 0;
    virtual void setItemCaption(int index, const QString &caption) = 0;
    virtual void setItemTag(int index, const QString &tag) = 0; // the full path
};

// recentFiles: entries appended without a position are kept in ascending text order (case
// ignored; after equal entries); an entry inserted at a position stays there.
// It also carries the settings file and the menu, so the main window records a path with one
// call.
class RecentFileList
{
public:
    RecentFileList() = default;
    explicit RecentFileList(const QString &iniPath, RecentMenu *menu = nullptr)
        : m_iniPath(iniPath), m_menu(menu)
    {
    }

    QString iniPath() const { return m_iniPath; }
    void setIniPath(const QString &path) { m_iniPath = path; }
    RecentMenu *menu() const { return m_menu; }
    void setMenu(RecentMenu *menu) { m_menu = menu; }

    const QStringList &entries() const { return m_items; }
    int count() const { return int(m_items.size()); }
    QString at(int index) const { return m_items.value(index); }
    void clear() { m_items.clear(); }
    void addItem(const QString &text);               // sorted
    void insertItem(int index, const QString &text); // at index (clamped)
    void setItem(int index, const QString &text);
    void removeItem(int index);

    // addRecentFile(iniPath(), path, *this, menu()).
    FileResult add(const QString &path);
    // loadRecentFiles(iniPath(), menu(), *this).
    void load();

private:
    QString m_iniPath;
    RecentMenu *m_menu = nullptr;
    QStringList m_items;
};

inline constexpr char16_t RecentSection[] = u"最近使ったファイル";

// Refills the list from the settings file (non-empty values, sorted) and rebuilds the menu.
void loadRecentFiles(const QString &fileName, RecentMenu *menu, RecentFileList &list);

// Puts text on top, drops repeats (case counts) and blank entries, stores the entries under
// "01".. in the settings file with one write and rebuilds the menu. An empty fileName stores
// nothing. Keys beyond the new count are left in the file. Entries that code page 932 cannot
// hold as they are are not stored. Not ok, saying why, when the settings file could not be
// written; the list and the menu are updated all the same.
FileResult addRecentFile(const QString &fileName, const QString &text, RecentFileList &list,
                         RecentMenu *menu);

// Hides every item, then shows the first eleven entries captioned with their base names
// and tagged with their paths, creating items as needed. menu may be null.
void rebuildRecentMenu(const RecentFileList &list, RecentMenu *menu);
