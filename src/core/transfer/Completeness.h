// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

class Dataset;

// The guests the identity notification system is likely to refuse or query,
// found before the transfer file is written so that the clerk can correct
// them first. The check only reads: it neither moves the guest cursor nor
// keeps anything of a guest once it returns.
//
// Use in the transfer run, once the rows the file will carry are final
// (pending edits settled) and before anything is written:
//
//     const auto findings = Completeness::check(*guests, moment);
//     if (!findings.isEmpty()) {
//         const Completeness::Decision d = ask(findings);   // the run's callback
//         if (d.choice == Completeness::Decision::GoToGuest) {
//             // stop the run, nothing written; show the guest with key d.key
//         }
//     }
//
// The window side of the callback is CompletenessDialog::ask
// (transfer/CompletenessDialog.h); tests of the run pass their own function.
namespace Completeness {

inline const QString kIdentityNumber = QStringLiteral("T.C. Kimlik No geçersiz ya da eksik.");
inline const QString kNoBirthDate = QStringLiteral("Doğum tarihi girilmemiş.");
inline const QString kFutureBirthDate = QStringLiteral("Doğum tarihi ileri bir tarih.");
inline const QString kCitizenDocument =
    QStringLiteral("Yabancı uyruklu misafirin kimlik belgesi türü yalnızca T.C. vatandaşlarına verilen bir belge.");
inline const QString kFutureArrival = QStringLiteral("Geliş zamanı transfer anından sonra.");
// %1: the file number of the other guest.
inline const QString kSameIdentityNumber =
    QStringLiteral("Aynı T.C. Kimlik No ile kalan başka bir misafir var (sıra no %1).");
inline const QString kSameDocument =
    QStringLiteral("Aynı kimlik belgesiyle kalan başka bir misafir var (sıra no %1).");
// %1: the box's label as the guest window shows it ("İkâmet Adresi :"),
// %2: the character ("\"–\" (U+2013)", or only its code when it does not print).
inline const QString kUnwritableCharacter = QStringLiteral("%1 %2 karakteri bildirim dosyasına yazılamaz.");

// One guest with something wrong.
struct Finding
{
    int siraNo = 0;       // number in the file: visible row + 1
    qint64 key = 0;       // record key of the guest row
    QString adi;
    QString soyadi;
    QStringList problems; // one sentence each, in the order the checks run
    // A value holds a character the notification file cannot carry: the
    // writer would refuse the guest, so the run cannot go on past it.
    bool blocksRun = false;
    QStringList columns = {}; // the column each problem is about, in step with problems
    QString room = {};        // VerilenOdaNo
};

// True when a finding stops the run: "go on" is no answer then.
bool blocksRun(const QList<Finding>& findings);

// What the clerk chose after seeing the findings.
struct Decision
{
    enum Choice {
        GoToGuest, // stop the run before anything is written and show the guest
        GoOn,      // write the file as it is; never offered when blocksRun()
    };
    Choice choice = GoToGuest;
    qint64 key = 0; // the guest to show, with GoToGuest
    QString column = {}; // and the column of its first problem, whose box takes the focus
};

// How the run asks the clerk; called only with at least one finding.
using Ask = std::function<Decision(const QList<Finding>&)>;

// Checks every visible row of the guest dataset (table Kisi) in its visible
// order, which is the order of the file, against the moment of the run:
// - a Turkish citizen (Uyrugu "TC") whose TCKimlikNo is not eleven digits
//   passing TCKNoKontrol;
// - a foreigner without a birth date (empty or day zero); anyone born after
//   the run's date;
// - a foreigner with a document given to Turkish citizens only (N, K);
// - an arrival (GelisTarihi's date with GelisSaati) after the moment, to the
//   second;
// - two staying guests (Kalici) with the same identity number, or with the
//   same document type and serial number (trimmed; empty ones and a number of
//   blanks do not count): each names the first other one;
// - a character that the notification file cannot carry (CodePage::fits) in
//   any value the file writer reads, read as the writer reads it (the date
//   part of a date, the trimmed number columns, no departure for a staying
//   guest): the first such character of each box, and the finding blocks
//   the run.
// Returns the guests with at least one problem, in file order. Linear in the
// number of rows.
QList<Finding> check(const Dataset& guests, const QDateTime& moment);

} // namespace Completeness
