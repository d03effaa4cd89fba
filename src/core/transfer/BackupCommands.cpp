// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/transfer/BackupCommands.h"

#include "core/register/Database.h"
#include "core/register/Formats.h"
#include "core/register/RegisterPassword.h"
#include "core/register/Tables.h"
#include "core/transfer/BackupSchedule.h"
#include "platform/core/Dialogs.h"

#include <QDir>

namespace {

const QString kRestoreTitle = QStringLiteral("Yedekten Geri Yükle");

QString named(const QString& heading, const QStringList& paths)
{
    QStringList lines = {heading};
    for (const QString& path : paths)
        lines << QDir::toNativeSeparators(path);
    return lines.join(QLatin1Char('\r'));
}

} // namespace

BackupCommands::BackupCommands(Backups& backups, Database& database, Tables& tables, Dialogs& dialogs)
    : m_backups(backups), m_database(database), m_tables(tables), m_dialogs(dialogs)
{
}

void BackupCommands::chooseFolder()
{
    const QString folder = m_dialogs.folderName(QStringLiteral("Yedekleme Klasörü"), m_backups.folder());
    if (folder.isEmpty())
        return;
    QString reason;
    const QString before = m_backups.folder();
    if (!m_backups.setFolder(folder, &reason)) {
        m_dialogs.reportError(QStringLiteral("Yedekleme klasörü kaydedilemedi: %1").arg(reason));
        return;
    }
    std::optional<QString> failure;
    try {
        failure = m_backups.make();
    } catch (const WorkAbandoned&) {
        // "İptal": the backups go where they went.
        m_backups.setFolder(before);
        return;
    }
    if (failure) {
        m_dialogs.reportError(*failure);
        return;
    }
    QString done = QStringLiteral("Yedekler bundan sonra bu klasöre alınacak:\r%1").arg(QDir::toNativeSeparators(folder));
    if (m_backups.folderIsShared())
        done += QLatin1Char('\r') + Backups::kSharedFolder;
    m_dialogs.inform(done);
}

std::optional<QByteArray> BackupCommands::keyFor(const Backups::Entry& backup)
{
    if (backup.opensWithKey)
        return m_database.password();
    // A backup made before the register had a password opens with the
    // built-in key, which nobody could type.
    if (Database::opensWith(backup.path, Database::kPassword))
        return Database::kPassword;
    Dialogs::TextRequest request;
    request.caption = kRestoreTitle;
    request.prompt = QStringLiteral("Bu yedek başka bir parolayla alınmış. Yedeğin parolasını giriniz:");
    request.secret = true;
    const std::optional<QString> typed = m_dialogs.inputText(request);
    if (!typed)
        return std::nullopt;
    const QByteArray key = RegisterPassword::keyFor(*typed);
    if (!Database::opensWith(backup.path, key)) {
        m_dialogs.inform(RegisterPassword::kWrong);
        return std::nullopt;
    }
    return key;
}

void BackupCommands::restore()
{
    // The tables are replaced: what is being edited is stored (or refused)
    // first, as before a transfer run.
    if (!m_tables.settleAll() || !chooseBackup)
        return;
    const std::optional<Backups::Entry> backup = chooseBackup(m_backups.list(m_database.password()));
    if (!backup)
        return;
    if (backup->damaged) {
        m_dialogs.reportError(Backups::kRestoreFailure.arg(QDir::toNativeSeparators(backup->path), Backups::kDamaged));
        return;
    }
    const std::optional<QByteArray> key = keyFor(*backup);
    if (!key)
        return;
    const QString question =
        QStringLiteral("%1 tarihli yedek geri yüklenecek.\rBu yedekten sonra bildirilen misafirler bir sonraki "
                       "transfer dosyasında yeniden yer alacak ve aylık konaklama istatistiğinde yeniden sayılacak (istatistik "
                       "olduğu gibi kalır); bu yedekten sonra girilen ve değiştirilen kayıtlar "
                       "kaybolacak (şu anki kayıt önce yedeklenir).\rDevam edilsin mi?")
            .arg(Formats::dateTimeText(backup->moment));
    if (m_dialogs.message(kRestoreTitle, question, Dialogs::Icon::Warning, Dialogs::Buttons(Dialogs::Evet) | Dialogs::Hayir,
                          Dialogs::Hayir) != Dialogs::Evet)
        return;
    // The windows follow the tables opened again by themselves.
    std::optional<QString> failure;
    try {
        failure = restoreBackup(m_backups, m_tables, *backup, *key);
    } catch (const WorkAbandoned&) {
        // "İptal": the register is as it was.
        return;
    }
    if (failure) {
        m_dialogs.reportError(*failure);
        return;
    }
    QString done = QStringLiteral("Yedek geri yüklendi.");
    if (*key != m_database.password())
        done += QLatin1Char('\r') +
                (m_database.hasOwnPassword() ? Backups::kRekeyedWithPassword : Backups::kRekeyedWithoutPassword);
    m_dialogs.inform(done);
    if (restored)
        restored();
}

void BackupCommands::reencrypt(const QByteArray& oldKey)
{
    Backups::Rewritten outcome;
    {
        const std::unique_ptr<Dialogs::Work> work =
            m_dialogs.beginWork({QStringLiteral("Yedekler yeni parolayla şifreleniyor..."), false});
        outcome = m_backups.reencrypt(oldKey, [&work](int done, int total) { work->setProgress(done, total); });
    }
    QStringList said;
    if (!outcome.failed.isEmpty())
        said << named(Backups::kNotReencrypted, outcome.failed);
    if (!outcome.otherKey.isEmpty())
        said << named(Backups::kUnderAnotherKey, outcome.otherKey);
    if (!outcome.damaged.isEmpty())
        said << named(Backups::kDamagedDeleted, outcome.damaged);
    if (!said.isEmpty())
        m_dialogs.reportError(said.join(QLatin1Char('\r')));
    // A damaged backup goes only once the clerk has been told.
    if (!m_backups.removeDamaged(outcome.damaged))
        m_dialogs.reportError(Backups::kDamagedNotDeleted);
}
