// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/widgets/PdfDocument.h"

#include <QPageLayout>
#include <QPageSize>

const QString PdfDocument::kFontFamily = QStringLiteral("DejaVu Sans");

namespace {

QBuffer* openedForWriting(QBuffer* buffer)
{
    buffer->open(QIODevice::WriteOnly);
    return buffer;
}

} // namespace

PdfDocument::PdfDocument(const QString& title)
    : m_buffer(&m_bytes), m_writer(openedForWriting(&m_buffer)), m_font(kFontFamily)
{
    m_writer.setPageSize(QPageSize(QPageSize::A4));
    m_writer.setPageMargins(QMarginsF(20, 20, 20, 20), QPageLayout::Millimeter);
    m_writer.setResolution(300);
    m_writer.setTitle(title);
    m_painter.begin(&m_writer);
    m_font.setPointSize(10);
    m_painter.setFont(m_font);
}

QRect PdfDocument::page() const
{
    return m_writer.pageLayout().paintRectPixels(m_writer.resolution());
}

QByteArray PdfDocument::bytes()
{
    if (m_painter.isActive())
        m_painter.end();
    m_buffer.close();
    return m_bytes;
}
