// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/core/Shortcuts.h"

#include "platform/core/Dialogs.h"
#include "platform/core/FileSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

const QString kIconName = QStringLiteral("radadir");

// A value of type string: backslash and control characters escaped, a
// leading blank kept.
QString stringValue(const QString& text)
{
    QString out;
    out.reserve(text.size() + 8);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\\'))
            out += QStringLiteral("\\\\");
        else if (c == QLatin1Char('\n'))
            out += QStringLiteral("\\n");
        else if (c == QLatin1Char('\t'))
            out += QStringLiteral("\\t");
        else if (c == QLatin1Char('\r'))
            out += QStringLiteral("\\r");
        else if (c == QLatin1Char(' ') && i == 0)
            out += QStringLiteral("\\s");
        else
            out += c;
    }
    return out;
}

// The program as the one word of an Exec command line: always quoted, with
// the characters that stay special inside quotes escaped and % doubled.
QString execArgument(const QString& path)
{
    QString quoted = QStringLiteral("\"");
    for (QChar c : path) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        if (c == QLatin1Char('%'))
            quoted += QLatin1Char('%');
        quoted += c;
    }
    quoted += QLatin1Char('"');
    // The string escapes are undone before the quoting.
    return stringValue(quoted);
}

#ifndef Q_OS_WIN
// Lets the desktop start the entry without asking whether it is trusted.
// Where gio or its metadata store is missing this does nothing.
void markTrusted(const QString& path)
{
    const QString gio = QStandardPaths::findExecutable(QStringLiteral("gio"));
    if (gio.isEmpty())
        return;
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(gio, {QStringLiteral("set"), path, QStringLiteral("metadata::trusted"), QStringLiteral("true")});
    if (!process.waitForFinished(3000)) {
        process.kill();
        process.waitForFinished(1000);
    }
}
#endif

} // namespace

QString shortcutName(const QString& version)
{
    return kAppTitle + QLatin1Char(' ') + version;
}

QString shortcutIcon(const QString& programDir)
{
    const QString beside = QDir(programDir).filePath(kIconName + QStringLiteral(".png"));
    return QFileInfo::exists(beside) ? QDir::cleanPath(beside) : kIconName;
}

DesktopShortcuts::DesktopShortcuts(QString desktopDir, QString menuDir)
    : m_desktopDir(std::move(desktopDir)), m_menuDir(std::move(menuDir))
{
}

QString DesktopShortcuts::folder(ShortcutPlace place) const
{
    if (place == ShortcutPlace::Desktop)
        return m_desktopDir.isEmpty() ? userDesktopDir() : m_desktopDir;
    return m_menuDir.isEmpty() ? userMenuDir() : m_menuDir;
}

QString DesktopShortcuts::userDesktopDir()
{
    QProcess process;
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(QStringLiteral("xdg-user-dir"), {QStringLiteral("DESKTOP")});
    if (process.waitForFinished(3000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0) {
        const QString dir = QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
        if (!dir.isEmpty())
            return dir;
    } else if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(1000);
    }
    return QDir::home().filePath(QStringLiteral("Desktop"));
}

QString DesktopShortcuts::userMenuDir()
{
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    // The variable counts only when it names an absolute path.
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::home().filePath(QStringLiteral(".local/share"));
    return QDir(base).filePath(QStringLiteral("applications"));
}

QByteArray DesktopShortcuts::desktopEntry(const ShortcutTarget& target)
{
    QString text = QStringLiteral("[Desktop Entry]\n");
    auto line = [&text](const char* key, const QString& value) {
        text += QLatin1String(key) + QLatin1Char('=') + value + QLatin1Char('\n');
    };
    line("Type", QStringLiteral("Application"));
    line("Version", QStringLiteral("1.0"));
    line("Name", stringValue(target.name));
    line("Comment", stringValue(target.name));
    line("Exec", execArgument(target.executable));
    line("Path", stringValue(target.workingDirectory));
    line("Icon", stringValue(target.icon));
    line("Terminal", QStringLiteral("false"));
    return text.toUtf8();
}

bool DesktopShortcuts::create(const ShortcutTarget& target, ShortcutPlace place)
{
#ifdef Q_OS_WIN
    // Shell links are not written yet.
    Q_UNUSED(target);
    Q_UNUSED(place);
    return false;
#else
    const QString dir = folder(place);
    if (place == ShortcutPlace::QuickLaunch && !makePrivateFolder(dir, nullptr))
        return false;
    if (!QFileInfo(dir).isDir())
        return false;

    const QString path = QDir(dir).filePath(target.name + QStringLiteral(".desktop"));
    const QByteArray content = desktopEntry(target);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(content) != content.size()) {
        file.cancelWriting();
        return false;
    }
    if (!file.commit())
        return false;

    if (place == ShortcutPlace::Desktop) {
        QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ExeOwner | QFileDevice::ExeUser
                                        | QFileDevice::ExeGroup | QFileDevice::ExeOther);
        markTrusted(path);
    }
    return true;
#endif
}
