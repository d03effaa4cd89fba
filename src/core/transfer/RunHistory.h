// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

class Store;

// The record of every transfer run that went past its dialog and its check:
// when, into which file, how many guests were written and purged, and how it
// ended. It holds no guest's data, so nothing of a purged guest outlives the
// purge.
namespace RunHistory {

inline const QString kTable = QStringLiteral("TransferGecmisi");

// How a run ended.
inline const QString kWrittenAndPurged = QStringLiteral("Yazıldı ve silindi");
inline const QString kPurgeFailed = QStringLiteral("Yazıldı, silinemedi");
inline const QString kNothingWritten = QStringLiteral("Yazılmadı");

// Why, in words that name no guest.
inline const QString kUnwritableValue = QStringLiteral("Dosyaya yazılamayan bir karakter");
inline const QString kWriteFailed = QStringLiteral("Dosya yazılamadı");
inline const QString kPurgeRefused = QStringLiteral("Silme veritabanınca reddedildi");
inline const QString kReopenFailed = QStringLiteral("Veritabanı yeniden açılamadı");
inline const QString kCompactionFailed = QStringLiteral("Veritabanı sıkıştırılamadı");

struct Run
{
    qint64 id = 0;
    QDateTime moment;     // the moment the file carries
    QString path;         // the file, as the run wrote it
    QString digest;       // the MD5 digest of its hash instruction
    int written = 0;      // guests in the file
    int purged = 0;       // guests deleted afterwards
    QString outcome;
    QString failure;      // empty when nothing failed

    bool succeeded() const { return outcome == kWrittenAndPurged; }
};

// Adds a run. Best effort: false when the register would not take it (locked,
// closed); nothing is thrown.
bool record(Store& store, const Run& run);

// Every run, newest first.
QList<Run> readAll(Store& store);

// "Son başarılı transfer: 2 gün 3 saat önce (2024-03-07 09:05:30)", or that
// there has been none yet.
QString sinceLastSuccess(const QList<Run>& runs, const QDateTime& now);

} // namespace RunHistory
