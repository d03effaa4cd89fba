// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/transfer/KonaklamaWriter.h"

#include "core/transfer/BackgroundMd5.h"

#include "core/register/CodePage.h"
#include "core/register/Columns.h"
#include "platform/core/LargeBlock.h"

#include "core/register/Dataset.h"
#include "core/register/Formats.h"

#include <QCryptographicHash>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <utility>


QString DatasetFields::text(const QString& column) const
{
    return m_dataset.text(column);
}

bool DatasetFields::isTrue(const QString& column) const
{
    return m_dataset.boolean(column);
}

namespace {

using namespace std::string_view_literals;

constexpr std::string_view kDeclaration = R"(<?xml version="1.0" encoding="iso-8859-9" ?>)"sv;
constexpr std::string_view kHashOpen = "<?hash "sv;
constexpr std::string_view kHashClose = "?>"sv;
constexpr qsizetype kDigestBytes = 32;
// Declaration and hash instruction: the room kept in front of the root text.
constexpr qsizetype kHeaderBytes =
    qsizetype(kDeclaration.size() + kHashOpen.size() + kHashClose.size()) + kDigestBytes;

constexpr std::string_view kProgram = "KELVANE.NET Rirede Zarevave Rurored"sv;
constexpr std::string_view kRootEnd = "</Konaklama>"sv;
constexpr std::string_view kKisiStart = R"(<Kisi SiraNo=")"sv;
constexpr std::string_view kKisiEnd = R"(" />)"sv;

// ---- Values: code page 1254 and escaping ------------------------------------

using CodePage::kEscapes;
using CodePage::kMaxBytesPerUnit;
using CodePage::kSingleBytes;

// Writes an attribute value escaped and in code page 1254; the buffer must
// hold kMaxBytesPerUnit bytes per unit. Returns the end of what it wrote, or
// nullptr with the offending position in *bad. The write position travels
// by value throughout: one kept in memory would have to be reloaded after
// every byte stored.
Q_ALWAYS_INLINE char* putValue(char* out, QStringView value, qsizetype* bad)
{
    const char16_t* const begin = value.utf16();
    const char16_t* const end = begin + value.size();
    for (const char16_t* p = begin; p != end; ++p) {
        const std::uint8_t b = kSingleBytes[*p];
        if (Q_LIKELY(b != 0)) {
            *out++ = static_cast<char>(b);
            continue;
        }
        const qsizetype length = *p < 0x80 ? kEscapes[*p].length : 0;
        if (length == 0) {
            *bad = p - begin;
            return nullptr;
        }
        std::memcpy(out, kEscapes[*p].text, kMaxBytesPerUnit);
        out += length;
    }
    return out;
}

Q_ALWAYS_INLINE char* put(char* out, std::string_view s)
{
    std::memcpy(out, s.data(), s.size());
    return out + s.size();
}


// The date of a "yyyy-MM-dd[ HH:mm:ss]" text.
Q_ALWAYS_INLINE QStringView datePart(QStringView s)
{
    return s.left(10);
}

// ---- The Kisi element --------------------------------------------------------

// Columns of Kisi that the element reads, besides Kalici.
enum Column {
    TCKimlikNo, Adi, Soyadi, BabaAdi, AnaAdi, DogumYeri, DogumTarihi, Uyrugu,
    KimlikBelgesiTuru, KimlikSeriNo, NufusaKayitliOlduguIl, NufusaKayitliOlduguIlce,
    NufusaKayitliOlduguMahalle, Cinsiyet, Isi, IkametAdresi, GelisTarihi, GelisSaati,
    VerilenOdaNo, AyrilisTarihi, AyrilisSaati, AracPlakaNo, NufusCilt, NufusAileSira,
    NufusSiraNo, MedeniHali, ColumnCount
};

// The catalogue's entries for the positions of Column.
constexpr std::array<Columns::Name, ColumnCount> kColumns = {
    Columns::TCKimlikNo, Columns::Adi, Columns::Soyadi, Columns::BabaAdi, Columns::AnaAdi, Columns::DogumYeri,
    Columns::DogumTarihi, Columns::Uyrugu, Columns::KimlikBelgesiTuru, Columns::KimlikSeriNo,
    Columns::NufusaKayitliOlduguIl, Columns::NufusaKayitliOlduguIlce, Columns::NufusaKayitliOlduguMahalle,
    Columns::Cinsiyet, Columns::Isi, Columns::IkametAdresi, Columns::GelisTarihi, Columns::GelisSaati,
    Columns::VerilenOdaNo, Columns::AyrilisTarihi, Columns::AyrilisSaati, Columns::AracPlakaNo, Columns::NufusCilt,
    Columns::NufusAileSira, Columns::NufusSiraNo, Columns::MedeniHali,
};

const QString& columnName(Column c)
{
    return kColumns[c].text();
}

enum class Rendering {
    Text,      // the stored text
    Trimmed,   // without leading and trailing characters up to code 32
    DatePart,  // the first ten characters
    Arrival,   // date part of GelisTarihi, blank, GelisSaati
    Departure, // empty for a staying guest, else date part of AyrilisTarihi, blank, AyrilisSaati
};

// The closing quote of the previous value, a blank, the attribute's name
// and '="', padded to a fixed size so that it is copied in one go.
struct Lead
{
    char text[32];
    qsizetype length;
};

Q_ALWAYS_INLINE char* put(char* out, const Lead& lead)
{
    std::memcpy(out, lead.text, sizeof lead.text);
    return out + lead.length;
}

// Bytes that a piece may write beyond its own end: the padded leads. Every
// buffer bound adds it once.
constexpr qsizetype kSlack = sizeof(Lead::text);

// An attribute is named as the column it carries (the first of the two of
// a date and its time).
struct Attribute
{
    Column column;
    Rendering rendering;
};

// Attributes 2 to 25, in file order, after SiraNo.
constexpr std::array<Attribute, 24> kAttributes = {{
    {TCKimlikNo, Rendering::Trimmed},
    {Adi, Rendering::Text},
    {Soyadi, Rendering::Text},
    {BabaAdi, Rendering::Text},
    {AnaAdi, Rendering::Text},
    {DogumYeri, Rendering::Text},
    {DogumTarihi, Rendering::DatePart},
    {Uyrugu, Rendering::Text},
    {KimlikBelgesiTuru, Rendering::Text},
    {KimlikSeriNo, Rendering::Text},
    {NufusaKayitliOlduguIl, Rendering::Text},
    {NufusaKayitliOlduguIlce, Rendering::Text},
    {NufusaKayitliOlduguMahalle, Rendering::Text},
    {Cinsiyet, Rendering::Text},
    {Isi, Rendering::Text},
    {IkametAdresi, Rendering::Text},
    {GelisTarihi, Rendering::Arrival},
    {VerilenOdaNo, Rendering::Text},
    {AyrilisTarihi, Rendering::Departure},
    {AracPlakaNo, Rendering::Text},
    {NufusCilt, Rendering::Trimmed},
    {NufusAileSira, Rendering::Trimmed},
    {NufusSiraNo, Rendering::Trimmed},
    {MedeniHali, Rendering::Text},
}};

// The lead of each attribute, in the order of kAttributes.
const std::array<Lead, kAttributes.size()> kLeads = [] {
    std::array<Lead, kAttributes.size()> leads{};
    for (std::size_t i = 0; i < kAttributes.size(); ++i) {
        const QLatin1StringView name = kColumns[kAttributes[i].column].latin1();
        Lead& lead = leads[i];
        Q_ASSERT(name.size() + 4 <= qsizetype(sizeof lead.text));
        std::memset(lead.text, 0, sizeof lead.text);
        char* out = put(lead.text, "\" "sv);
        std::memcpy(out, name.data(), std::size_t(name.size()));
        out = put(out + name.size(), "=\""sv);
        lead.length = out - lead.text;
    }
    return leads;
}();

// Bytes of one element besides its values: the fixed texts, the longest
// SiraNo and the blanks of the two combined attributes.
const qsizetype kKisiFixedBytes = [] {
    qsizetype n = qsizetype(kKisiStart.size() + kKisiEnd.size()) + 11 + 2;
    for (const Lead& lead : kLeads)
        n += lead.length;
    return n;
}();

// Room asked for per announced guest: the fixed texts and values of a
// typical length.
constexpr qsizetype kTypicalKisiBytes = 1024;

// The columns that the element shows; a staying guest's departure is not read.
template <std::size_t... I>
std::array<QString, ColumnCount> readColumns(const KisiFields& row, bool staying, std::index_sequence<I...>)
{
    auto read = [&](std::size_t c) {
        return staying && (c == AyrilisTarihi || c == AyrilisSaati) ? QString() : row.text(kColumns[c]);
    };
    return {read(I)...};
}

// Writes attributes 2 to 25 of one element, stopping at the first value
// that cannot be written (nullptr). The attributes are unrolled at compile
// time.
struct ElementWriter
{
    const std::array<QString, ColumnCount>& values;
    bool staying;
    Column failedColumn = ColumnCount;
    QStringView failedValue;
    qsizetype failedAt = 0;

    Q_ALWAYS_INLINE char* value(char* out, Column column, QStringView text)
    {
        char* next = putValue(out, text, &failedAt);
        if (Q_UNLIKELY(!next)) {
            failedColumn = column;
            failedValue = text;
        }
        return next;
    }

    Q_ALWAYS_INLINE char* dateAndTime(char* out, Column date, Column time)
    {
        out = value(out, date, datePart(values[date]));
        if (!out)
            return nullptr;
        *out = ' ';
        return value(out + 1, time, values[time]);
    }

    template <std::size_t I>
    Q_ALWAYS_INLINE char* attribute(char* out)
    {
        constexpr Attribute a = kAttributes[I];
        out = put(out, kLeads[I]);
        if constexpr (a.rendering == Rendering::Text)
            return value(out, a.column, values[a.column]);
        else if constexpr (a.rendering == Rendering::Trimmed)
            return value(out, a.column, trimmedBlanks(values[a.column]));
        else if constexpr (a.rendering == Rendering::DatePart)
            return value(out, a.column, datePart(values[a.column]));
        else if constexpr (a.rendering == Rendering::Arrival)
            return dateAndTime(out, GelisTarihi, GelisSaati);
        else
            return staying ? out : dateAndTime(out, AyrilisTarihi, AyrilisSaati);
    }

    template <std::size_t... I>
    char* attributes(char* out, std::index_sequence<I...>)
    {
        static_cast<void>((((out = attribute<I>(out)) != nullptr) && ...));
        return out;
    }
};

QString guestName(const QString& adi, const QString& soyadi)
{
    return QStringLiteral("%1 %2").arg(adi, soyadi).trimmed();
}

} // namespace

// Bytes composed between two hand-overs to the hashing thread.
constexpr qsizetype kPublishEvery = qsizetype(1) << 20;

KonaklamaWriter::KonaklamaWriter() = default;
KonaklamaWriter::~KonaklamaWriter() = default;

void KonaklamaWriter::requireStage(Stage stage, const char* operation) const
{
    if (m_stage != stage)
        throw RadaError(QStringLiteral("KonaklamaWriter::%1 called out of order").arg(QLatin1String(operation)));
}

char* KonaklamaWriter::room(qsizetype bytes)
{
    // The array is kept at its full size; m_length marks the end of the
    // text. It grows by doubling, into a fresh array.
    if (m_root.size() - m_length < bytes) {
        QByteArray larger(std::max({m_length + bytes, 2 * m_root.size(), qsizetype(1) << 16}), Qt::Uninitialized);
        // Tens of megabytes are filled at once: in large pages where there
        // are any, a small part of the page faults.
        LargeBlock::preferLargePages(larger.data(), std::size_t(larger.size()));
        // The hashing thread reads the old array until it has caught up.
        if (m_md5)
            m_md5->waitIdle();
        std::memcpy(larger.data(), m_root.constData(), std::size_t(m_length));
        m_root = std::move(larger);
    }
    return m_root.data() + m_length;
}

void KonaklamaWriter::BeginKonaklama(const QString& tesisKodu, const QDateTime& tarih, const QString& version)
{
    requireStage(Stage::New, "BeginKonaklama");
    struct Part
    {
        std::string_view lead;
        const char* attribute;
        QString value;
    };
    const Part parts[] = {
        {R"(<Konaklama TesisKodu=")"sv, "TesisKodu", tesisKodu},
        {R"(" Tarih=")"sv, "Tarih", Formats::dateTimeText(tarih)},
        {R"(" GonderenProgram=")"sv, "GonderenProgram", QLatin1String(kProgram.data(), qsizetype(kProgram.size()))},
        {R"(" GonderenProgramVersiyon=")"sv, "GonderenProgramVersiyon", version},
    };
    qsizetype bound = 2;
    for (const Part& part : parts)
        bound += qsizetype(part.lead.size()) + kMaxBytesPerUnit * part.value.size();
    // The root text is built behind room for the file's header, so that
    // TransferFileText can put the header in front without moving the text.
    m_length = 0;
    char* out = room(kHeaderBytes + bound);
    std::memset(out, ' ', std::size_t(kHeaderBytes));
    out += kHeaderBytes;
    for (const Part& part : parts) {
        out = put(out, part.lead);
        qsizetype bad = 0;
        char* next = putValue(out, part.value, &bad);
        if (!next) {
            throw TransferRefused(
                QStringLiteral("Transfer dosyası oluşturulamadı: tesis bilgilerinin %1 alanındaki %2 "
                               "karakteri dosyaya yazılamıyor.")
                    .arg(QLatin1String(part.attribute), CodePage::describe(part.value, bad)));
        }
        out = next;
    }
    out = put(out, "\">"sv);
    m_length = out - m_root.constData();
    m_stage = Stage::Open;
    m_publishedAt = kHeaderBytes;
}

void KonaklamaWriter::reserve(int guests)
{
    requireStage(Stage::Open, "reserve");
    room(qsizetype(std::max(guests, 0)) * kTypicalKisiBytes);
}

void KonaklamaWriter::AddKisi(int siraNo, const KisiFields& row)
{
    requireStage(Stage::Open, "AddKisi");
    const bool staying = row.isTrue(Columns::Kalici);
    const std::array<QString, ColumnCount> values =
        readColumns(row, staying, std::make_index_sequence<ColumnCount>());
    qsizetype units = 0;
    for (const QString& v : values)
        units += v.size();

    char* out = room(kKisiFixedBytes + kMaxBytesPerUnit * units + kSlack);
    out = put(out, kKisiStart);
    out = std::to_chars(out, out + 11, siraNo).ptr;
    ElementWriter element{values, staying, ColumnCount, {}, 0};
    out = element.attributes(out, std::make_index_sequence<kAttributes.size()>());
    if (!out) {
        // Nothing of the element counts as written: m_length has not moved.
        throw TransferRefused(
            QStringLiteral("Transfer dosyası oluşturulamadı: %1 sıra numaralı misafirin (%2) %3 alanındaki %4 "
                           "karakteri dosyaya yazılamıyor. Lütfen kaydı düzeltip yeniden deneyin.")
                .arg(QString::number(siraNo), guestName(values[Adi], values[Soyadi]),
                     columnName(element.failedColumn), CodePage::describe(element.failedValue, element.failedAt)));
    }
    m_length = put(out, kKisiEnd) - m_root.constData();
    if (m_length - m_publishedAt >= kPublishEvery) {
        // Large files only: a small one is hashed at the end in no time.
        if (!m_md5)
            m_md5 = std::make_unique<BackgroundMd5>();
        m_md5->publish(m_root.constData() + kHeaderBytes, m_length - kHeaderBytes);
        m_publishedAt = m_length;
    }
}

QByteArray KonaklamaWriter::EndKonaklama()
{
    requireStage(Stage::Open, "EndKonaklama");
    m_length = put(room(qsizetype(kRootEnd.size())), kRootEnd) - m_root.constData();
    if (m_md5) {
        m_md5->publish(m_root.constData() + kHeaderBytes, m_length - kHeaderBytes);
        m_digest = m_md5->finish();
        m_md5.reset();
    } else {
        m_digest = Md5Hex(QByteArray::fromRawData(m_root.constData() + kHeaderBytes, m_length - kHeaderBytes));
    }
    m_root.resize(m_length);
    m_stage = Stage::Closed;
    QByteArray root = std::exchange(m_root, QByteArray());
    // Dropping the room at the front moves the start of the data; the bytes
    // stay where they are and the room stays free in front of them.
    root.remove(0, kHeaderBytes);
    return root;
}

std::span<const Columns::Name> notifiedColumns()
{
    return kColumns;
}

QByteArray Md5Hex(const QByteArray& bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex().toUpper();
}

QByteArray TransferFileText(QByteArray root)
{
    const QByteArray digest = Md5Hex(root);
    return TransferFileText(std::move(root), digest);
}

QByteArray TransferFileText(QByteArray root, const QByteArray& md5Hex)
{
    QByteArray header;
    header.reserve(kHeaderBytes);
    header.append(kDeclaration.data(), qsizetype(kDeclaration.size()));
    header.append(kHashOpen.data(), qsizetype(kHashOpen.size()));
    header.append(md5Hex);
    header.append(kHashClose.data(), qsizetype(kHashClose.size()));
    // In place when the root still has the room that EndKonaklama left.
    root.prepend(header);
    return root;
}
