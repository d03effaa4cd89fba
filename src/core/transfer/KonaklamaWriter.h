// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/register/Columns.h"
#include "platform/core/RadaError.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <memory>
#include <span>

class BackgroundMd5;
class Dataset;

// One guest row as the writer reads it, column by column (the columns of
// table Kisi). Dates come as "yyyy-MM-dd" or "yyyy-MM-dd HH:mm:ss", times
// of day as "HH:mm:ss" texts.
struct KisiFields
{
    virtual ~KisiFields() = default;
    virtual QString text(const QString& column) const = 0;
    virtual bool isTrue(const QString& column) const = 0;
};

// The current row of a dataset on Kisi.
class DatasetFields final : public KisiFields
{
public:
    explicit DatasetFields(const Dataset& dataset) : m_dataset(dataset) {}
    QString text(const QString& column) const override;
    bool isTrue(const QString& column) const override;

private:
    const Dataset& m_dataset;
};

// A value that the notification file cannot carry: a character outside
// code page 1254, or a control character that XML does not allow. Raised
// before anything of the offending element is written.
class TransferRefused : public RadaError
{
public:
    using RadaError::RadaError;
};

// Builds the root text of the notification file: the Konaklama element
// with one Kisi element per guest, as single bytes of code page 1254 on one
// line. Attribute values are escaped, so the text is always well-formed XML.
// One writer serves one file: BeginKonaklama once, AddKisi per guest with
// the sequence numbers 1, 2, 3..., EndKonaklama once; a call out of this
// order throws RadaError.
class KonaklamaWriter
{
public:
    KonaklamaWriter();
    ~KonaklamaWriter();

    // Starts the root text with the Konaklama start tag. Throws
    // TransferRefused when the facility code or the version cannot be written.
    void BeginKonaklama(const QString& tesisKodu, const QDateTime& tarih, const QString& version);
    // Optional, after BeginKonaklama: the number of guests to come, so that
    // the text is allocated once instead of growing.
    void reserve(int guests);
    // Throws TransferRefused, naming the guest and the column, when a value
    // cannot be written; the root text then stays as it was.
    void AddKisi(int siraNo, const KisiFields& row);
    // Closes the root element and returns the finished root text.
    QByteArray EndKonaklama();
    // After EndKonaklama: Md5Hex of the root text, taken while it was written.
    const QByteArray& digest() const { return m_digest; }

private:
    enum class Stage { New, Open, Closed };
    void requireStage(Stage stage, const char* operation) const;
    // Space for at least this many bytes behind the text written so far.
    char* room(qsizetype bytes);

    Stage m_stage = Stage::New;
    // Room for the file's header, then the root text up to m_length.
    QByteArray m_root;
    qsizetype m_length = 0;
    qsizetype m_publishedAt = 0;
    QByteArray m_digest;
    std::unique_ptr<BackgroundMd5> m_md5;
};

// The columns of Kisi that each element reads, besides Kalici, in file
// order, a time after its date.
std::span<const Columns::Name> notifiedColumns();

// The MD5 digest of the bytes as 32 upper-case hexadecimal digits.
QByteArray Md5Hex(const QByteArray& bytes);

// A number column as the file carries it: without the leading and trailing
// blanks and control characters. The check before a run reads it the same way.
inline QStringView trimmedBlanks(QStringView s)
{
    qsizetype b = 0;
    qsizetype e = s.size();
    while (b < e && s[b].unicode() <= 32)
        ++b;
    while (e > b && s[e - 1].unicode() <= 32)
        --e;
    return s.sliced(b, e - b);
}


// The whole file: XML declaration, hash instruction with the digest of the
// root text, then the root text itself. A root handed over straight from
// EndKonaklama (moved, not shared) gets the header in place, without a copy.
QByteArray TransferFileText(QByteArray root);
// The same with the root's digest already known (KonaklamaWriter::digest).
QByteArray TransferFileText(QByteArray root, const QByteArray& md5Hex);
