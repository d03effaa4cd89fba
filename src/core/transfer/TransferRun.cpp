// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/transfer/TransferRun.h"

#include "core/register/Columns.h"
#include "Version.h"

#include "core/register/Dataset.h"
#include "core/register/Tables.h"
#include "core/shell/Facility.h"
#include "core/transfer/Compaction.h"
#include "core/transfer/KonaklamaWriter.h"
#include "core/transfer/RunHistory.h"
#include "core/transfer/StayStatistics.h"
#include "platform/core/Clock.h"
#include "platform/core/Dialogs.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Platform.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHash>
#include <QScopeGuard>
#include <QSet>
#include <algorithm>

const QString TransferRun::kNotSetUpText =
    QStringLiteral("Tesis bilgileri henüz girilmemiş.\rTransfer dosyası oluşturmadan önce lütfen Tesis Kodu'nu ve "
                   "Tesis Adı'nı giriniz.");
const QString TransferRun::kSuccessText = QStringLiteral("Dosya Başarılı Şekilde Oluşturuldu.\rDosyanın Konumu :\r");
const QString TransferRun::kFailureText =
    QStringLiteral("Dosya Oluşturulurken Hata Oluştu. Lütfen Program Satıcınız İle Temasa Geçiniz.");
const QString TransferRun::kPurgedText = QStringLiteral(
    "Bildirim dosyası eksiksiz yazıldı ve ayrılan misafirler kayıttan silindi.\rDosya: %1\r"
    "Dosyadaki misafir sayısı: %2\rLütfen bu dosyayı bildiriniz: ayrılan bu misafirler yeni bir transfer "
    "dosyasında yer almaz.");
const QString TransferRun::kNotPurgedText = QStringLiteral(
    "Bildirim dosyası eksiksiz yazıldı, ancak ayrılan misafirler kayıttan silinemedi.\rDosya: %1\r"
    "Ayrılan misafirler kayıtta duruyor ve bir sonraki transfer dosyasında da yer alacak.");
const QString TransferRun::kNotRecordedText = QStringLiteral("Bu işlem kayda geçirilemedi.");
const QString TransferRun::kDialogTitle = QStringLiteral("Veri Dosyası Kaydet...");
const QString TransferRun::kConnectionLostText =
    QStringLiteral("Sunucu bağlantısı koptu; transfer durduruldu. Dosya yazılmadı, kayıttan hiçbir misafir "
                   "silinmedi.");
const QString TransferRun::kBusyText =
    QStringLiteral("Başka bir bilgisayarda transfer dosyası oluşturuluyor. Lütfen bitince tekrar deneyiniz.");

namespace {

// A row of the guest table read in place, without moving the cursor.
class RowFields final : public KisiFields
{
public:
    RowFields(const Dataset& ds, int row) : m_ds(ds), m_row(row) {}
    QString text(const QString& column) const override { return m_ds.rowText(m_row, column); }
    bool isTrue(const QString& column) const override
    {
        return m_ds.rowBoolean(m_row, m_ds.table().indexOf(column));
    }

private:
    const Dataset& m_ds;
    int m_row;
};

const QString kOverwriteText = QStringLiteral("%1 zaten var.\nDeğiştirmek istiyor musunuz?");
const QString kRunTask = QStringLiteral("transfer");

} // namespace

TransferRun::TransferRun(Platform& platform, Store& store, Tables& tables, Compaction* compaction,
                         std::function<QString()> facilityCode, QObject* parent)
    : QObject(parent), m_platform(platform), m_store(store), m_tables(tables), m_compaction(compaction),
      m_facilityCode(std::move(facilityCode))
{
}

QString TransferRun::defaultFileName(const QDateTime& moment)
{
    return moment.toString(QStringLiteral("yyyy-MM-dd HH-mm-ss"));
}

QString TransferRun::askPath()
{
    Dialogs::SaveFileRequest request{kDialogTitle, QStringLiteral("XML Dosyası (*.xml)"), QStringLiteral("xml"),
                                     defaultFileName(m_platform.clock.now()), QString()};
    for (;;) {
        QString path = m_platform.dialogs.saveFileName(request);
        if (path.isEmpty())
            return {};
        if (QFileInfo(path).suffix().isEmpty())
            path += QStringLiteral(".xml");
        path = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
        if (!m_platform.fs.exists(path))
            return path;
        const auto answer = m_platform.dialogs.message(kDialogTitle, kOverwriteText.arg(QFileInfo(path).fileName()),
                                                       Dialogs::Icon::Warning, Dialogs::Buttons(Dialogs::Yes) | Dialogs::No,
                                                       Dialogs::No);
        if (answer == Dialogs::Yes)
            return path;
        request.proposedName = QFileInfo(path).fileName();
        request.directory = QFileInfo(path).absolutePath();
    }
}

bool TransferRun::run()
{
    if (!Facility::isSetUp(*m_tables.ayar)) {
        m_platform.dialogs.inform(kNotSetUpText);
        Q_EMIT facilityMissing();
        return false;
    }
    // The compaction closes every table: what is being edited or typed is
    // stored (or refused) before the clerk is asked for anything.
    if (!m_tables.settleAll())
        return false;
    if (!claimRun())
        return false;
    const auto release = qScopeGuard([this] { m_store.endExclusive(kRunTask); });
    const QString path = askPath();
    if (path.isEmpty())
        return false;
    return runTo(path);
}

bool TransferRun::claimRun()
{
    try {
        if (m_store.tryExclusive(kRunTask))
            return true;
        m_platform.dialogs.inform(kBusyText);
    } catch (const StoreError& e) {
        m_platform.dialogs.reportError(e.text());
    }
    return false;
}

bool TransferRun::runTo(const QString& path)
{
    Dataset* guests = m_tables.kisi;
    lastTimings = {};
    QElapsedTimer clock;

    if (!claimRun())
        return false;
    const auto release = qScopeGuard([this] { m_store.endExclusive(kRunTask); });

    // A new row still being built is settled like any move would, while
    // the pickers still hold what the clerk entered for it.
    if (!guests->first())
        return false;
    // Other desks may have added, changed or deleted guests: the file
    // carries the register as it is now.
    if (m_store.isShared()) {
        try {
            guests->catchUp();
            guests->first();
        } catch (const StoreError& e) {
            m_platform.dialogs.reportError(e.text());
            return false;
        }
    }

    // The rows of the file are final: what is likely to be refused is shown
    // before anything is written.
    const QDateTime tarih = m_platform.clock.now();
    if (reviewFindings && !reviewUntilSettled(tarih))
        return false;

    // The run goes on only as long as its lock holds: the lock went with a
    // connection that broke (while the check was on screen, say), and another
    // desk may be running meanwhile.
    // Taken once more, the lock is found on the connection that holds it
    // or the call fails.
    try {
        if (!m_store.tryExclusive(kRunTask))
            throw StoreUnreachable(QString());
        m_store.endExclusive(kRunTask);
    } catch (const StoreError& e) {
        fail(e.text().isEmpty() ? kConnectionLostText : kConnectionLostText + QLatin1Char('\r') + e.text());
        return false;
    }

    // From here on every run leaves its record, whatever becomes of it.
    // Where the outcome is known while the register is open, the record is
    // made before the clerk is told; otherwise as the last step, once the
    // tables have been opened again.
    RunHistory::Run history;
    history.moment = tarih;
    history.path = path;
    history.outcome = RunHistory::kNothingWritten;
    bool recorded = false;
    auto recordRun = [this, &history, &recorded] {
        if (!recorded)
            recorded = RunHistory::record(m_store, history);
        return recorded;
    };
    const auto recordAtLast = qScopeGuard(recordRun);

    clock.start();
    KonaklamaWriter writer;
    QByteArray file;
    m_purgeList.clear();
    try {
        writer.BeginKonaklama(m_facilityCode(), tarih, kVersion);
        const int n = guests->recordCount();
        writer.reserve(n);
        const int kalici = guests->table().indexOf(Columns::Kalici);
        for (int i = 0; i < n; ++i) {
            writer.AddKisi(i + 1, RowFields(*guests, i));
            if (!guests->rowBoolean(i, kalici))
                m_purgeList << Store::VersionedKey{guests->rowKey(i), guests->rowVersion(i)};
        }
        QByteArray root = writer.EndKonaklama();
        file = TransferFileText(std::move(root), writer.digest());
    } catch (const TransferRefused& e) {
        // Nothing has been written or deleted.
        history.failure = RunHistory::kUnwritableValue;
        m_platform.dialogs.message(QStringLiteral("Error"), e.text(), Dialogs::Icon::Error, Dialogs::Ok, Dialogs::Ok);
        restoreTables();
        return false;
    }
    lastTimings.composeMs = clock.restart();

    // The file first, whole, in one rename: a failure here deletes nobody.
    if (!m_platform.fs.writeAtomically(path, file)) {
        history.failure = RunHistory::kWriteFailed;
        fail(kFailureText);
        return false;
    }
    lastTimings.writeMs = clock.restart();
    step(Step::Written);

    const int written = guests->recordCount();
    history.written = written;
    history.digest = QString::fromLatin1(writer.digest());
    history.outcome = RunHistory::kPurgeFailed;
    history.failure = RunHistory::kPurgeRefused;
    bool purged = false;
    try {
        const QList<qint64> departed = purgeDeparted();
        purged = true;
        history.purged = int(departed.size());
        history.outcome = RunHistory::kWrittenAndPurged;
        history.failure = RunHistory::kReopenFailed;
        lastTimings.purgeMs = clock.restart();

        bool compacted = true;
        if (m_compaction) {
            m_tables.closeAll();
            compacted = m_compaction->compactRegister();
            lastTimings.compactMs = clock.restart();
            m_tables.openAll();
        } else if (!departed.isEmpty()) {
            // A server has no file to compact: the guest table just lets
            // the purged rows go.
            guests->dropRows(departed);
        }
        guests->first();
        history.failure = compacted ? QString() : RunHistory::kCompactionFailed;
    } catch (const RadaError&) {
        const QString file = QDir::toNativeSeparators(path);
        if (purged) {
            // The departures are in this file and nowhere else now: the next
            // run would not carry them.
            fail(kFailureText, kPurgedText.arg(file).arg(written));
        } else {
            // The file is complete, and every guest is still in the register.
            QString text = kNotPurgedText.arg(file);
            if (!recordRun())
                text += QLatin1Char('\r') + kNotRecordedText;
            fail(kFailureText, text);
        }
        return false;
    }
    // Recorded before the message: a program ended while it is shown has
    // still recorded its run.
    recordRun();
    const std::optional<QString> backupFailure = backUp ? backUp() : std::nullopt;
    m_platform.dialogs.message(QStringLiteral("Information"), kSuccessText + path, Dialogs::Icon::Information,
                               Dialogs::Ok, Dialogs::Ok);
    if (backupFailure)
        m_platform.dialogs.message(kAppTitle, *backupFailure, Dialogs::Icon::Warning, Dialogs::Ok, Dialogs::Ok);
    Q_EMIT succeeded();
    return true;
}

bool TransferRun::reviewUntilSettled(const QDateTime& tarih)
{
    Dataset* guests = m_tables.kisi;
    QList<Completeness::Finding> findings = Completeness::check(*guests, tarih);
    for (;;) {
        // The rows as they were checked; another desk's saves may come in
        // while the list is on screen.
        QHash<qint64, qint64> checked;
        for (int row = 0; row < guests->recordCount(); ++row)
            checked.insert(guests->rowKey(row), guests->rowVersion(row));
        if (!findings.isEmpty()) {
            const Completeness::Decision decision = reviewFindings(findings);
            if (decision.choice == Completeness::Decision::GoToGuest) {
                showGuest(decision.key, decision.column);
                return false;
            }
        }
        if (!m_store.isShared())
            return true;
        try {
            guests->catchUp();
            guests->first();
        } catch (const StoreUnreachable& e) {
            fail(kConnectionLostText + QLatin1Char('\r') + e.text());
            return false;
        } catch (const StoreError& e) {
            m_platform.dialogs.reportError(e.text());
            return false;
        }
        // Rows that came in or changed since the check are checked too; one
        // with a problem brings the list back before anything is written.
        QSet<qint64> changed;
        for (int row = 0; row < guests->recordCount(); ++row) {
            const auto it = checked.constFind(guests->rowKey(row));
            if (it == checked.cend() || *it != guests->rowVersion(row))
                changed.insert(guests->rowKey(row));
        }
        if (changed.isEmpty())
            return true;
        findings = Completeness::check(*guests, tarih);
        const bool concernsChanged = std::any_of(findings.cbegin(), findings.cend(),
                                                 [&](const Completeness::Finding& f) { return changed.contains(f.key); });
        if (!concernsChanged)
            return true;
    }
}

QList<qint64> TransferRun::purgeDeparted()
{
    // The purge asks nobody: it deletes through the store, past the
    // dataset's question.
    if (m_purgeList.isEmpty())
        return {};
    Store::Transaction tx = m_store.transaction();
    const QList<qint64> deleted = m_store.removeUnchanged(m_tables.kisi->table().name, m_purgeList);
    // The monthly figures keep what the purge forgets, in the same
    // transaction: a purge undone counts nobody.
    const QDate today = m_platform.clock.now().date();
    StayStatistics::store(m_store, StayStatistics::ofGuests(*m_tables.kisi, deleted, today), today);
    step(Step::Purging);
    tx.commit();
    m_purgeList.clear();
    return deleted;
}

void TransferRun::showGuest(qint64 key, const QString& column)
{
    Dataset* guests = m_tables.kisi;
    for (int row = 0; row < guests->recordCount(); ++row) {
        if (guests->rowKey(row) == key) {
            if (guests->moveToRow(row) && !column.isEmpty() && guests->showField)
                guests->showField(column);
            return;
        }
    }
}

void TransferRun::step(Step s)
{
    if (onStep)
        onStep(s);
}

void TransferRun::fail(const QString& text, const QString& afterwards)
{
    m_platform.dialogs.message(QStringLiteral("Error"), text, Dialogs::Icon::Error, Dialogs::Ok, Dialogs::Ok);
    if (!afterwards.isEmpty())
        m_platform.dialogs.message(kAppTitle, afterwards, Dialogs::Icon::Warning, Dialogs::Ok, Dialogs::Ok);
    restoreTables();
}

void TransferRun::restoreTables()
{
    try {
        if (m_compaction)
            m_compaction->reopenIfClosed();
        m_tables.openClosed();
        m_tables.kisi->first();
    } catch (const RadaError& e) {
        m_platform.dialogs.reportError(e.text());
    }
}
