// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/transfer/Compaction.h"

#include "platform/core/Dialogs.h"
#include "platform/core/FileSystem.h"
#include "core/register/Database.h"
#include "core/register/Schema.h"

#include <QDir>
#include <QFileInfo>

const QString Compaction::kWorkText = QStringLiteral("Kayıt dosyası sıkıştırılıyor...");
const QString Compaction::kFailureText =
    QStringLiteral("Veri Tabanı Onarımınında Hata Oluştu.\rLütfen Program Satıcınız İle Temasa Geçiniz!");

Compaction::Compaction(Database& connection, FileSystem& fs, Dialogs& dialogs)
    : m_connection(connection), m_fs(fs), m_dialogs(dialogs)
{
}

QString Compaction::compactionPath() const
{
    return compactionPathFor(m_connection.filePath());
}

QString Compaction::compactionPathFor(const QString& liveFile)
{
    return QFileInfo(liveFile).absoluteDir().filePath(QStringLiteral("radadir.dvb"));
}

bool Compaction::exportCompactedCopy(const QString& source, const QString& destination)
{
    try {
        // A copy left by an earlier run must not be mistaken for this one's.
        if (!step(Step::RemoveStale) || !m_fs.remove(destination))
            return false;
        // The copy holds every guest: private from its first byte, filled by
        // SQLCipher.
        if (!createPrivateFile(destination, nullptr))
            return false;
        QList<int> counts;
        {
            if (!step(Step::Export))
                return false;
            Database live(source, m_connection.password());
            live.open(Database::Missing::Refuse);
            for (const TableDef* t : Schema::allTables())
                counts << live.count(t->name);
            live.exportTo(destination);
        }
        if (!step(Step::Verify))
            return false;
        Database copy(destination, m_connection.password());
        copy.open(Database::Missing::Refuse);
        if (copy.integrityCheck() != QStringLiteral("ok"))
            return false;
        int i = 0;
        for (const TableDef* t : Schema::allTables()) {
            if (copy.count(t->name) != counts[i++])
                return false;
        }
        return true;
    } catch (const WorkAbandoned&) {
        throw;
    } catch (const RadaError&) {
        return false;
    }
}

bool Compaction::compactRegister()
{
    // The file itself: a link to it stays a link to the compacted register.
    const QString live = m_connection.filePath();
    const QString compacted = compactionPath();
    // Within a work that cannot be abandoned (a destruction) it is one of
    // its steps, and goes on whatever the clerk chooses.
    std::unique_ptr<Dialogs::Work> work = m_dialogs.beginWork({kWorkText, true});
    m_connection.close();
    bool ok = false;
    std::unique_ptr<Dialogs::Work> rest;
    try {
        ok = exportCompactedCopy(live, compacted);
        if (ok) {
            // The compacted register takes the mode of the one it replaces; a
            // file system without modes has none to keep.
            (void)m_fs.copyMode(live, compacted);
            // The last moment the compaction may be abandoned.
            Dialogs::checkpoint();
            rest = Dialogs::toTheEnd();
            ok = step(Step::Replace) && m_fs.replace(compacted, live);
        }
    } catch (const WorkAbandoned&) {
        // "İptal": the register stays as it was, not compacted; nothing to say.
        rest = Dialogs::toTheEnd();
        m_fs.remove(compacted);
        m_connection.open(Database::Missing::Refuse);
        return false;
    }
    if (!ok) {
        m_fs.remove(compacted);
        rest.reset();
        work.reset();
        m_dialogs.message(QStringLiteral("Error"), kFailureText, Dialogs::Icon::Error, Dialogs::Ok, Dialogs::Ok);
    }
    m_connection.open(Database::Missing::Refuse);
    return ok;
}

void Compaction::reopenIfClosed()
{
    if (!m_connection.isOpen())
        m_connection.open(Database::Missing::Refuse);
}
