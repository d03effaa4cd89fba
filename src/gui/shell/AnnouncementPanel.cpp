// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/shell/AnnouncementPanel.h"

#include "core/register/CodePage.h"

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTextCursor>
#include <QTextTable>
#include <algorithm>

namespace {

// Marks where a page's marquee stood, so the ticker can be laid over it.
const QChar kTickerMark(0xE000);

const QRegularExpression& marqueePattern()
{
    static const QRegularExpression re(QStringLiteral("<marquee\\b([^>]*)>(.*?)</marquee\\s*>"),
                                       QRegularExpression::CaseInsensitiveOption
                                           | QRegularExpression::DotMatchesEverythingOption);
    return re;
}

QByteArray charsetIn(const QByteArray& text)
{
    static const QRegularExpression re(QStringLiteral("charset\\s*=\\s*[\"']?([A-Za-z0-9_.:-]+)"),
                                       QRegularExpression::CaseInsensitiveOption);
    const auto m = re.match(QString::fromLatin1(text));
    return m.hasMatch() ? m.captured(1).toLatin1().toLower() : QByteArray();
}

// The heights in pixels that a page gives its first table and that table's
// rows (0 where none is given).
struct DeclaredHeights
{
    int table = 0;
    QList<int> rows;
};

DeclaredHeights declaredHeights(const QString& html)
{
    static const QRegularExpression table(QStringLiteral("<table\\b([^>]*)>(.*?)</table\\s*>"),
                                          QRegularExpression::CaseInsensitiveOption
                                              | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression height(QStringLiteral("\\bheight\\s*=\\s*[\"']?(\\d+)[\"']?"),
                                           QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression cell(QStringLiteral("<t[dh]\\b([^>]*)>"), QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression row(QStringLiteral("<tr\\b"), QRegularExpression::CaseInsensitiveOption);
    DeclaredHeights out;
    const auto t = table.match(html);
    if (!t.hasMatch())
        return out;
    out.table = height.match(t.captured(1)).captured(1).toInt();
    const QStringList rows = t.captured(2).split(row);
    for (qsizetype i = 1; i < rows.size(); ++i) {
        int h = 0;
        auto cells = cell.globalMatch(rows[i]);
        while (cells.hasNext())
            h = std::max(h, height.match(cells.next().captured(1)).captured(1).toInt());
        out.rows.append(h);
    }
    return out;
}

// Adds room above and below the content of every cell in a row.
void padRow(QTextTable* table, int row, double pad)
{
    for (int c = 0; c < table->columns(); ++c) {
        QTextTableCell cell = table->cellAt(row, c);
        QTextTableCellFormat format = cell.format().toTableCellFormat();
        format.setTopPadding(format.topPadding() + pad / 2);
        format.setBottomPadding(format.bottomPadding() + pad / 2);
        cell.setFormat(format);
    }
}

// The height of a row's content, from its first line to its last.
double rowHeight(QTextDocument* doc, QTextTable* table, int row)
{
    QAbstractTextDocumentLayout* layout = doc->documentLayout();
    double h = 0;
    for (int c = 0; c < table->columns(); ++c) {
        const QTextTableCell cell = table->cellAt(row, c);
        const QRectF first = layout->blockBoundingRect(cell.firstCursorPosition().block());
        const QRectF last = layout->blockBoundingRect(cell.lastCursorPosition().block());
        h = std::max(h, last.bottom() - first.top());
    }
    return h;
}

// The view ignores table and cell heights: the rows of the page's first
// table are given the room that the page asks for, fixed rows first, the
// rest of the table's height shared by the others (content centred).
void fitTableHeights(QTextDocument* doc, const QString& html)
{
    const DeclaredHeights declared = declaredHeights(html);
    QTextTable* table = nullptr;
    for (QTextFrame* frame : doc->rootFrame()->childFrames()) {
        if ((table = qobject_cast<QTextTable*>(frame)))
            break;
    }
    if (!table)
        return;
    QList<double> pads(table->rows(), 0);
    QList<int> free;
    double spare = declared.table;
    for (int r = 0; r < table->rows(); ++r) {
        const double have = rowHeight(doc, table, r);
        const int want = declared.rows.value(r);
        if (want == 0)
            free.append(r);
        else
            pads[r] = std::max(0.0, want - have);
        spare -= have + pads[r];
    }
    if (declared.table > 0 && spare > 0 && !free.isEmpty()) {
        for (int r : free)
            pads[r] = spare / free.size();
    }
    for (int r = 0; r < table->rows(); ++r) {
        if (pads[r] > 0)
            padRow(table, r, pads[r]);
    }
}

} // namespace

AnnouncementPanel::AnnouncementPanel(QWidget* parent)
    : QFrame(parent), m_browser(new AnnouncementBrowser(this)), m_ticker(new Ticker(m_browser->viewport()))
{
    setObjectName(QStringLiteral("AnnouncementPanel"));
    setFrameShape(QFrame::NoFrame);
    setFixedSize(216, 90);
    m_browser->setGeometry(rect());
    // Neither the keyboard nor the mouse reaches the panel.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    const auto children = findChildren<QWidget*>();
    for (QWidget* w : children)
        w->setFocusPolicy(Qt::NoFocus);
}

QString AnnouncementPanel::decodePage(const QByteArray& bytes, const QByteArray& contentType)
{
    QByteArray charset = charsetIn(contentType);
    if (charset.isEmpty())
        charset = charsetIn(bytes.left(2048));
    // The Turkish code pages through the program's own table.
    if (charset == "iso-8859-9" || charset == "latin5" || charset == "iso8859-9" || charset == "windows-1254"
        || charset == "cp1254")
        return CodePage::fromWindows1254(bytes);
    QStringDecoder decoder(charset.isEmpty() ? QByteArray("UTF-8") : charset);
    if (!decoder.isValid())
        decoder = QStringDecoder(QStringDecoder::Utf8);
    return decoder.decode(bytes);
}

void AnnouncementPanel::showPage(const QUrl& address, const WebPage& page)
{
    load(address, decodePage(page.body, page.contentType));
}

void AnnouncementPanel::showFile(const QString& path)
{
    QByteArray bytes;
    {
        // Closed before the page is reported loaded: its reader removes the
        // file then, and Windows refuses to remove a file that is open.
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            bytes = file.readAll();
    }
    load(QUrl::fromLocalFile(path), decodePage(bytes));
}

void AnnouncementPanel::showContent(const QByteArray& html)
{
    load(QUrl(), decodePage(html));
}

void AnnouncementPanel::load(const QUrl& address, const QString& html)
{
    m_address = address;
    QString shown = html;
    const QRegularExpressionMatch marquee = marqueePattern().match(html);
    if (marquee.hasMatch())
        shown.replace(marquee.capturedStart(), marquee.capturedLength(), kTickerMark);
    m_browser->refused.clear();
    m_browser->document()->setBaseUrl(address);
    m_browser->setHtml(shown);
    // Laid out at the panel's width now, not at the first paint.
    m_browser->document()->setTextWidth(width());
    fitTableHeights(m_browser->document(), shown);
    m_ticker->clear();
    if (marquee.hasMatch()) {
        static const QRegularExpression bg(QStringLiteral("bgcolor\\s*=\\s*[\"']?(#?[0-9A-Za-z]+)"),
                                           QRegularExpression::CaseInsensitiveOption);
        const auto colour = bg.match(marquee.captured(1));
        placeTicker();
        m_ticker->setContent(marquee.captured(2), colour.hasMatch() ? QColor(colour.captured(1)) : QColor());
    }
    Q_EMIT documentComplete(address);
}

void AnnouncementPanel::showEvent(QShowEvent* event)
{
    QFrame::showEvent(event);
    // The page is laid out to its final width only now.
    if (m_ticker->isVisibleTo(m_browser->viewport()))
        placeTicker();
}

void AnnouncementPanel::placeTicker()
{
    QTextDocument* doc = m_browser->document();
    const QTextCursor mark = doc->find(QString(kTickerMark));
    QRect row = m_browser->cursorRect(mark);
    // Over the whole width of the table holding it, if there is one.
    if (QTextTable* table = mark.currentTable()) {
        const QRectF frame = doc->documentLayout()->frameBoundingRect(table);
        row.setLeft(int(frame.left()));
        row.setRight(int(frame.right()) - 1);
    } else {
        row.setLeft(0);
        row.setRight(width() - 1);
    }
    m_ticker->setGeometry(row);
}
