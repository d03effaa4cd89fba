// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/register/Store.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QVarLengthArray>
#include <QVariant>
#include <memory>
#include <vector>

// A row's block of its own is freed with the row; one in a RowArena with
// the arena.
struct PackedBlockRelease
{
    bool own = true;
    void operator()(char* block) const noexcept
    {
        if (own)
            delete[] block;
    }
};

// A loaded row of a dataset, its values packed into one block: a small
// header with where each value ends and what it is, then the values one
// after another as UTF-8 text, decimal integers, or raw bytes. A row of
// typical guest data takes a few hundred bytes instead of a list of
// variants; a value is decoded when it is read.
class PackedRow
{
public:
    // What a value is, as the store held it. An empty value (null or empty
    // text) is a text of length zero.
    enum class Kind : quint8 { Text, Integer, Real, Bytes };

    struct Field
    {
        Kind kind = Kind::Text;
        const char* data = nullptr;
        qsizetype size = 0;

        bool isNull() const { return size == 0; }
        QByteArrayView bytes() const { return {data, size}; }
    };

    PackedRow() = default;

    qint64 key = 0;
    // The row's version where the store keeps one (a register several desks
    // share), as it was read.
    qint64 version = 0;

    int columns() const;
    Field field(int column) const;
    // The value as the dataset hands it out: qint64 for integers, QString for
    // text, double, QByteArray; a null QVariant for an empty value.
    QVariant value(int column) const;
    // Bytes of the block.
    qsizetype blockSize() const;

    static QVariant valueOf(const Field& f);
    static QString textOf(const Field& f);
    static qint64 integerOf(const Field& f);

private:
    friend class RowPacker;
    using Release = PackedBlockRelease;
    std::unique_ptr<char[], Release> m_block;
};

// Where the rows of a table read whole are packed one after another, in
// large blocks, freed all at once with the arena: it must outlive every row
// packed into it.
class RowArena
{
public:
    RowArena() = default;
    ~RowArena();
    RowArena(const RowArena&) = delete;
    RowArena& operator=(const RowArena&) = delete;

    // Room for a block of this many bytes, nullptr when it does not fit in
    // one of the arena's blocks.
    char* allocate(std::size_t bytes);

private:
    static constexpr std::size_t kFirstSize = 64 * 1024;
    std::unique_ptr<char[]> m_first;
    std::vector<char*> m_blocks;
    char* m_at = nullptr;
    std::size_t m_left = 0;
};

// Builds packed rows value by value, in column order, reusing its buffers
// from one row to the next.
class RowPacker
{
public:
    // Rows taken are packed into the arena where one is given.
    explicit RowPacker(int columns, RowArena* arena = nullptr);

    void addNull();
    // UTF-8 text as the store holds it. Text that Qt would not read back byte
    // for byte (invalid UTF-8, a leading byte-order mark) is kept as Qt reads it.
    void addText(QByteArrayView utf8);
    void addInteger(qint64 value);
    void addReal(double value);
    void addBytes(QByteArrayView bytes);
    void add(const StoreValue& value);
    // A value of the row being edited; an empty text is stored as empty.
    void add(const QVariant& value);

    // The row of the values added since the last one.
    PackedRow take(qint64 key);

private:
    void append(PackedRow::Kind kind, QByteArrayView bytes);

    int m_columns;
    RowArena* m_arena;
    QVarLengthArray<quint32, 64> m_ends;
    QVarLengthArray<PackedRow::Kind, 64> m_kinds;
    QVarLengthArray<char, 1024> m_payload;
};
