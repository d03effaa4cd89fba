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
#include <iterator>
#include <optional>
#include <string>

#ifdef Q_OS_WIN
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>
#endif

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

#ifdef Q_OS_WIN
std::wstring wide(const QString& text)
{
    return QDir::toNativeSeparators(text).toStdWString();
}

// A value of the current user's "Shell Folders" key. Asked for as a plain
// string: one stored with variables comes back with them expanded, whereas
// asking for the expandable type as such, without RRF_NOEXPAND, is refused
// as an invalid parameter and found no folder at all.
QString shellFolder(const wchar_t* value)
{
    wchar_t buffer[MAX_PATH * 4] = {};
    DWORD size = sizeof buffer;
    if (RegGetValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", value,
                     RRF_RT_REG_SZ, nullptr, buffer, &size)
        != ERROR_SUCCESS)
        return {};
    return QDir::fromNativeSeparators(QString::fromWCharArray(buffer));
}

// COM for this thread for as long as the scope lasts; a thread that has it
// already keeps its own.
class ComScope
{
public:
    ComScope() : m_result(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComScope()
    {
        if (SUCCEEDED(m_result))
            CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    HRESULT m_result;
};

// Releases a COM interface at the end of the scope.
template <typename T>
struct ComPtr
{
    T* p = nullptr;
    ~ComPtr()
    {
        if (p)
            p->Release();
    }
    void** out() { return reinterpret_cast<void**>(&p); }
};

// Wine's shell writes the relative path's string into the link but leaves
// out its flag, so that every reader takes the relative path for the working
// folder and the working folder for the icon. Where the string stands right
// after the description, followed by the working folder, the flag is set;
// a link written by Windows itself carries it and is left as it is.
bool markRelativePath(const QString& path, const std::wstring& relative, const std::wstring& folder)
{
    constexpr quint32 kHasIdList = 0x1, kHasLinkInfo = 0x2, kHasName = 0x4, kHasRelativePath = 0x8,
                      kHasWorkingDir = 0x10, kUnicode = 0x80;
    constexpr qsizetype kFlagsAt = 0x14, kHeaderSize = 0x4c;
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    const QByteArray data = file.readAll();
    auto number = [&data](qsizetype at, int bytes) -> qint64 {
        if (at < 0 || at + bytes > data.size())
            return -1;
        quint32 value = 0;
        for (int i = bytes - 1; i >= 0; --i)
            value = (value << 8) | quint8(data.at(at + i));
        return value;
    };
    const qint64 flags = number(kFlagsAt, 4);
    if (flags < 0 || (flags & kHasRelativePath) || !(flags & kUnicode) || !(flags & kHasWorkingDir))
        return true;
    qsizetype at = kHeaderSize;
    if (flags & kHasIdList) {
        const qint64 size = number(at, 2);
        if (size < 0)
            return true;
        at += 2 + size;
    }
    if (flags & kHasLinkInfo) {
        const qint64 size = number(at, 4);
        if (size < 4)
            return true;
        at += size;
    }
    // A counted UTF-16 string; a closing null is not part of it.
    auto text = [&](qsizetype& from) -> std::optional<std::wstring> {
        const qint64 count = number(from, 2);
        if (count < 0 || from + 2 + 2 * count > data.size())
            return std::nullopt;
        std::wstring out;
        for (qint64 i = 0; i < count; ++i)
            out += wchar_t(number(from + 2 + 2 * i, 2));
        from += 2 + 2 * count;
        while (!out.empty() && out.back() == L'\0')
            out.pop_back();
        return out;
    };
    if ((flags & kHasName) && !text(at))
        return true;
    qsizetype next = at;
    if (text(next) != relative || text(next) != folder)
        return true;
    const char marked = char(quint8(data.at(kFlagsAt)) | kHasRelativePath);
    return file.seek(kFlagsAt) && file.write(&marked, 1) == 1 && file.flush();
}

bool writeShellLink(const ShortcutTarget& target, const QString& path)
{
    ComScope com;
    ComPtr<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.out())))
        return false;
    const std::wstring program = wide(target.executable);
    const std::wstring folder = wide(target.workingDirectory);
    const std::wstring description = target.name.toStdWString();
    if (FAILED(link.p->SetPath(program.c_str())) || FAILED(link.p->SetDescription(description.c_str()))
        || FAILED(link.p->SetRelativePath(program.c_str(), 0)) || FAILED(link.p->SetWorkingDirectory(folder.c_str()))
        || FAILED(link.p->SetIconLocation(program.c_str(), 0)))
        return false;
    ComPtr<IPersistFile> file;
    if (FAILED(link.p->QueryInterface(IID_IPersistFile, file.out())))
        return false;
    return SUCCEEDED(file.p->Save(wide(path).c_str(), TRUE)) && markRelativePath(path, program, folder);
}
#endif

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
#ifdef Q_OS_WIN
    return shellFolder(L"Desktop");
#else
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
#endif
}

QString DesktopShortcuts::userMenuDir()
{
#ifdef Q_OS_WIN
    const QString appData = shellFolder(L"AppData");
    return appData.isEmpty() ? QString() : appData + QStringLiteral("/Microsoft/Internet Explorer/Quick Launch");
#else
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    // The variable counts only when it names an absolute path.
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::home().filePath(QStringLiteral(".local/share"));
    return QDir(base).filePath(QStringLiteral("applications"));
#endif
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
    const QString dir = folder(place);
#ifdef Q_OS_WIN
    if (dir.isEmpty() || (place == ShortcutPlace::QuickLaunch && !QDir().mkpath(dir)) || !QFileInfo(dir).isDir())
        return false;
    return writeShellLink(target, QDir(dir).filePath(target.name + QStringLiteral(".lnk")));
#else
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

ShellLinkFields readShellLink(const QString& path)
{
    ShellLinkFields fields;
#ifdef Q_OS_WIN
    ComScope com;
    ComPtr<IShellLinkW> link;
    ComPtr<IPersistFile> file;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.out()))
        || FAILED(link.p->QueryInterface(IID_IPersistFile, file.out()))
        || FAILED(file.p->Load(wide(path).c_str(), STGM_READ)))
        return fields;
    wchar_t text[MAX_PATH * 4] = {};
    const int size = int(std::size(text));
    // The target as the shell starts it: its item list. The path beside it
    // is kept in the system's code page as well, and Wine reads that one.
    PIDLIST_ABSOLUTE items = nullptr;
    if (SUCCEEDED(link.p->GetIDList(&items)) && items && SHGetPathFromIDListW(items, text))
        fields.executable = QDir::fromNativeSeparators(QString::fromWCharArray(text));
    else if (SUCCEEDED(link.p->GetPath(text, size, nullptr, SLGP_RAWPATH)))
        fields.executable = QDir::fromNativeSeparators(QString::fromWCharArray(text));
    CoTaskMemFree(items);
    if (SUCCEEDED(link.p->GetDescription(text, size)))
        fields.description = QString::fromWCharArray(text);
    if (SUCCEEDED(link.p->GetWorkingDirectory(text, size)))
        fields.workingDirectory = QDir::fromNativeSeparators(QString::fromWCharArray(text));
    int index = -1;
    if (SUCCEEDED(link.p->GetIconLocation(text, size, &index))) {
        fields.icon = QDir::fromNativeSeparators(QString::fromWCharArray(text));
        fields.iconIndex = index;
    }
    fields.read = true;
#else
    Q_UNUSED(path);
#endif
    return fields;
}
