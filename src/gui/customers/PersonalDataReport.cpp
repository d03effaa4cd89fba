// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/customers/PersonalDataReport.h"

#include "core/register/Columns.h"
#include "core/register/Formats.h"
#include "core/register/Schema.h"
#include "core/register/Store.h"
#include "gui/widgets/PdfDocument.h"
#include "platform/core/Dialogs.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Platform.h"

#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QHash>
#include <QPainter>

const QString PersonalDataReport::kFontFamily = PdfDocument::kFontFamily;
const QString PersonalDataReport::kTitle = QStringLiteral("Kişisel Veri Başvurusu: Kayıtlı Bilgiler");

namespace {

// Code -> name of each lookup column.
QHash<QString, QHash<QString, QString>> lookupNames(Store& store)
{
    QHash<QString, QHash<QString, QString>> names;
    for (const Columns::Person& p : Columns::person()) {
        // A list of bare names (the provinces) has no name to add.
        if (p.list == Columns::List::None || Schema::lookupTable(p.list).columns.size() < 2)
            continue;
        QHash<QString, QString>& map = names[p.name];
        for (const StoreRow& row : store.load(Schema::lookupTable(p.list).name))
            map.insert(row.values.value(0).toString(), row.values.value(1).toString());
    }
    return names;
}

// The customers' last stays, by customer number.
QHash<qint64, QString> lastStays(Store& store)
{
    const TableDef& t = Schema::musteriKonaklama();
    const int customer = t.indexOf(Columns::musteriID);
    const int day = t.indexOf(Columns::SonKonaklama);
    QHash<qint64, QString> days;
    for (const StoreRow& row : store.load(t.name))
        days.insert(row.values.value(customer).toLongLong(), row.values.value(day).toString());
    return days;
}

// The caption of a field in the report: the guest form has "Saati :" beside
// each date, which on paper would leave the two times alike.
QString reportCaption(const FieldCaptions::Field& f)
{
    const QString label = Columns::find(f.column)->label();
    // A check box's caption has no colon of its own.
    return label.endsWith(QLatin1Char(':')) ? label : label + QStringLiteral(" :");
}

} // namespace

const QString PersonalDataReport::kLastStayCaption = QStringLiteral("Son Konaklama Tarihi :");

QStringList PersonalDataReport::lines(Store& store, const PersonalDataSearch::Findings& findings, const Header& header)
{
    const auto names = lookupNames(store);
    const QHash<qint64, QString> stays = findings.customers.isEmpty() ? QHash<qint64, QString>() : lastStays(store);
    QStringList out;
    out << kTitle << QString();
    out << QStringLiteral("Tarih : %1").arg(header.moment.toString(Formats::kDateTime));
    out << QStringLiteral("Tesis Kodu : %1").arg(header.facilityCode);
    out << QStringLiteral("Tesis Adı : %1").arg(header.facilityName);
    out << QStringLiteral("Müşteri kayıtlarının saklama süresi : %1 ay (son konaklamadan sonra)")
               .arg(header.retentionMonths);
    out << QStringLiteral("Misafir kayıtları, konaklama bildirildikten sonra transfer ile kayıttan silinir.");
    auto section = [&](const QString& heading, const QList<PersonalDataSearch::Record>& records, bool guest) {
        const TableDef& table = guest ? Schema::kisi() : Schema::musteriler();
        out << QString() << QStringLiteral("%1 (%2)").arg(heading).arg(records.size());
        int n = 0;
        for (const PersonalDataSearch::Record& r : records) {
            out << QString() << QStringLiteral("%1. kayıt").arg(++n);
            for (const Field& f : fields(guest)) {
                const QVariant v = r.values.value(table.indexOf(f.column));
                QString text = v.toString();
                if (f.column == Columns::Kalici)
                    text = v.isNull() ? QString() : (v.toLongLong() != 0 ? QStringLiteral("Evet") : QStringLiteral("Hayır"));
                const QString name = names.value(f.column).value(text);
                if (!name.isEmpty())
                    text += QStringLiteral(" (%1)").arg(name);
                if (text.isEmpty())
                    continue;
                out << QStringLiteral("    %1 %2").arg(reportCaption(f), text);
            }
            // The day of the last stay is held about the person as well.
            if (!guest && !stays.value(r.key).isEmpty())
                out << QStringLiteral("    %1 %2").arg(kLastStayCaption, stays.value(r.key));
        }
    };
    section(QStringLiteral("Müşteri kayıtları"), findings.customers, false);
    section(QStringLiteral("Misafir kayıtları"), findings.guests, true);
    return out;
}

QByteArray PersonalDataReport::render(const QStringList& lines)
{
    PdfDocument document(kTitle);
    {
        QPdfWriter& writer = document.writer();
        QPainter& painter = document.painter();
        const QFont& font = document.font();
        const QFontMetrics metrics(font, &writer);
        const QRect page = document.page();
        const int width = page.width();
        const int height = page.height();
        int y = 0;
        bool first = true;
        for (const QString& line : lines) {
            QFont lineFont = font;
            lineFont.setBold(first);
            painter.setFont(lineFont);
            const QRect box = painter.boundingRect(QRect(0, 0, width, height), Qt::TextWordWrap, line.isEmpty() ? QStringLiteral(" ") : line);
            if (y + box.height() > height) {
                writer.newPage();
                y = 0;
            }
            painter.drawText(QRect(0, y, width, box.height()), Qt::TextWordWrap, line);
            y += std::max(box.height(), metrics.height());
            first = false;
        }
    }
    return document.bytes();
}

QString PersonalDataReport::save(Platform& platform, Store& store, const PersonalDataSearch::Findings& findings,
                                 const Header& header)
{
    const Dialogs::SaveFileRequest request{
        QStringLiteral("Başvuru Raporunu Kaydet..."), QStringLiteral("PDF Dosyası (*.pdf)"), QStringLiteral("pdf"),
        QStringLiteral("Basvuru %1.pdf").arg(header.moment.toString(QStringLiteral("yyyy-MM-dd HH-mm-ss"))), QString()};
    QString path = platform.dialogs.saveFileName(request);
    if (path.isEmpty())
        return {};
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".pdf");
    path = QFileInfo(path).absoluteFilePath();
    if (platform.fs.exists(path) &&
        platform.dialogs.askYesNo(QStringLiteral("%1 zaten var.\nDeğiştirmek istiyor musunuz?")
                                      .arg(QFileInfo(path).fileName())) != Dialogs::Yes)
        return {};
    // Private from its first byte: it lists a person's identity.
    if (!platform.fs.writeAtomically(path, render(lines(store, findings, header)))) {
        platform.dialogs.reportError(
            QStringLiteral("Rapor dosyası yazılamadı: %1").arg(QDir::toNativeSeparators(path)));
        return {};
    }
    return path;
}
