// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

// A shortcut that starts the program: what "Kısayol Oluştur" puts on the
// desktop or into the application menu.
struct ShortcutTarget
{
    QString name;              // file name (without extension), Name and Comment
    QString executable;        // full path of the program
    QString workingDirectory;  // the folder of the register in use
    QString icon;              // an icon file's path or a theme icon name
};

enum class ShortcutPlace { Desktop, QuickLaunch };

// Use: the menu handlers call create(target, place) with the name from
// shortcutName(version), QCoreApplication::applicationFilePath(), the current
// directory and shortcutIcon(GetAppPath()); the result is not shown to anyone.
// An entry of the same name is replaced.
class Shortcuts
{
public:
    virtual ~Shortcuts() = default;
    // True when the entry was written.
    virtual bool create(const ShortcutTarget& target, ShortcutPlace place) = 0;
};

// Freedesktop desktop entries ("<name>.desktop"). The desktop entry is made
// executable and marked trusted so the desktop starts it without asking.
// The desktop folder is not made when missing (no desktop, no entry); the
// application-menu folder is, since it belongs to the user's data folder.
// On Windows, shell links ("<name>.lnk", through IShellLinkW) on the desktop
// and in Quick Launch, the folders the user's "Shell Folders" name: the name
// as description, the program as target and relative path, the register's
// folder as working folder, and the program's first icon.
class DesktopShortcuts : public Shortcuts
{
public:
    // Empty folders mean the user's own (userDesktopDir, userMenuDir).
    explicit DesktopShortcuts(QString desktopDir = {}, QString menuDir = {});
    bool create(const ShortcutTarget& target, ShortcutPlace place) override;

    QString folder(ShortcutPlace place) const;
    // xdg-user-dir DESKTOP, or ~/Desktop when that tool gives nothing; on
    // Windows the "Desktop" shell folder.
    static QString userDesktopDir();
    // $XDG_DATA_HOME/applications, by default ~/.local/share/applications;
    // on Windows Quick Launch in the "AppData" shell folder.
    static QString userMenuDir();
    // The entry's content, UTF-8.
    static QByteArray desktopEntry(const ShortcutTarget& target);

private:
    QString m_desktopDir;
    QString m_menuDir;
};

// "Rirede Zarevave Rurored " followed by the version text (kVersion).
QString shortcutName(const QString& version);
// The program's icon for a shortcut: the picture beside the program when there
// is one (a build tree), otherwise the installed theme icon "radadir".
QString shortcutIcon(const QString& programDir);

// A shell link's fields as IShellLinkW reads them back (Windows only; on
// other systems read stays false).
struct ShellLinkFields
{
    bool read = false;
    QString description;
    QString executable;
    QString workingDirectory;
    QString icon;
    int iconIndex = -1;
};
ShellLinkFields readShellLink(const QString& path);
