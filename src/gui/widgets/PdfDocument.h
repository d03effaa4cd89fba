// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QFont>
#include <QPainter>
#include <QPdfWriter>
#include <QRect>

// A report as the program prints them: an A4 PDF with 20 mm margins at 300
// dots per inch, in DejaVu Sans 10 pt (it carries every Turkish letter),
// written into memory. Painted through painter(), ended by bytes().
class PdfDocument
{
public:
    explicit PdfDocument(const QString& title);

    QPdfWriter& writer() { return m_writer; }
    QPainter& painter() { return m_painter; }
    const QFont& font() const { return m_font; }
    // The printable part of a page, in the writer's dots.
    QRect page() const;
    // Ends the painting; the document's bytes.
    QByteArray bytes();

    static const QString kFontFamily;

private:
    QByteArray m_bytes;
    QBuffer m_buffer;
    QPdfWriter m_writer;
    QPainter m_painter;
    QFont m_font;
};
