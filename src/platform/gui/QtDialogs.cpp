// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/gui/QtDialogs.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <algorithm>

namespace {

QMessageBox::Icon toQt(Dialogs::Icon icon)
{
    switch (icon) {
    case Dialogs::Icon::Information: return QMessageBox::Information;
    case Dialogs::Icon::Warning: return QMessageBox::Warning;
    case Dialogs::Icon::Error: return QMessageBox::Critical;
    case Dialogs::Icon::Question: return QMessageBox::Question;
    case Dialogs::Icon::None: break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

Dialogs::Button QtDialogs::message(const QString& caption, const QString& text, Icon icon,
                                   Buttons buttons, Button defaultButton)
{
    QMessageBox box(toQt(icon), caption, text, QMessageBox::NoButton, QApplication::activeWindow());
    struct Choice { Button ours; QString label; QMessageBox::ButtonRole role; };
    const Choice choices[] = {
        {Yes, QStringLiteral("&Yes"), QMessageBox::YesRole},
        {No, QStringLiteral("&No"), QMessageBox::NoRole},
        {Ok, QStringLiteral("OK"), QMessageBox::AcceptRole},
        {Cancel, QStringLiteral("Cancel"), QMessageBox::RejectRole},
        {Evet, QStringLiteral("&Evet"), QMessageBox::YesRole},
        {Hayir, QStringLiteral("&Hayır"), QMessageBox::NoRole},
    };
    QAbstractButton* pressedFor[6] = {};
    int i = 0;
    for (const Choice& c : choices) {
        if (buttons.testFlag(c.ours)) {
            QPushButton* b = box.addButton(c.label, c.role);
            pressedFor[i] = b;
            if (c.ours == defaultButton)
                box.setDefaultButton(b);
        }
        ++i;
    }
    // Esc answers Cancel where there is one, No on a question and OK on a
    // plain message.
    if (buttons.testFlag(Cancel))
        box.setEscapeButton(pressedFor[3]);
    else if (buttons.testFlag(No))
        box.setEscapeButton(pressedFor[1]);
    else if (buttons.testFlag(Hayir))
        box.setEscapeButton(pressedFor[5]);
    else if (buttons.testFlag(Ok))
        box.setEscapeButton(pressedFor[2]);
    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    for (int k = 0; k < 6; ++k) {
        if (clicked && clicked == pressedFor[k])
            return choices[k].ours;
    }
    return NoButton;
}

QString QtDialogs::saveFileName(const SaveFileRequest& request)
{
    QFileDialog dlg(QApplication::activeWindow(), request.title);
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setFileMode(QFileDialog::AnyFile);
    // The caller asks before an existing file is replaced.
    dlg.setOption(QFileDialog::DontConfirmOverwrite);
    dlg.setNameFilter(request.filter);
    dlg.setDefaultSuffix(request.defaultSuffix);
    dlg.setDirectory(request.directory.isEmpty() ? QDir::currentPath() : request.directory);
    dlg.selectFile(request.proposedName);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return {};
    return dlg.selectedFiles().constFirst();
}

std::optional<QString> QtDialogs::inputText(const TextRequest& request)
{
    QInputDialog dialog(QApplication::activeWindow());
    dialog.setWindowTitle(request.caption);
    dialog.setLabelText(request.prompt);
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setTextValue(request.preset);
    if (request.secret)
        dialog.setTextEchoMode(QLineEdit::Password);
    if (auto* box = dialog.findChild<QLineEdit*>()) {
        box->setMaxLength(request.maxLength);
        if (request.keep) {
            QObject::connect(box, &QLineEdit::textEdited, box, [box, keep = request.keep](const QString& text) {
                const QString kept = keep(text);
                if (kept == text)
                    return;
                const int pos = box->cursorPosition() - int(text.size() - kept.size());
                box->setText(kept);
                box->setCursorPosition(std::clamp(pos, 0, int(kept.size())));
            });
        }
        // Wide enough for the text shown and for a box filled with average
        // letters; a longer text scrolls.
        const QFontMetrics metrics(box->font());
        const int letters = std::min(request.maxLength, 60);
        const int frameAndMargins = 16;
        box->setMinimumWidth(std::max(metrics.horizontalAdvance(request.preset), metrics.averageCharWidth() * letters) +
                             frameAndMargins);
    }
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

void QtDialogs::about(const QString& title, const QString& details)
{
    QMessageBox::about(nullptr, title, details);
}

QString QtDialogs::folderName(const QString& title, const QString& start)
{
    return QFileDialog::getExistingDirectory(QApplication::activeWindow(), title, start);
}

namespace {

// How long a work goes before the clerk is shown that the program works, and
// how often it lets the windows paint.
constexpr qint64 kBusyAfterMs = 500;
constexpr qint64 kPaintEveryMs = 40;

class QtWork : public QObject, public Dialogs::Work
{
public:
    QtWork(Dialogs& dialogs, const Dialogs::WorkRequest& request) : m_dialogs(dialogs), m_request(request)
    {
        m_clock.start();
        m_modalBefore = QApplication::activeModalWidget();
        qApp->installEventFilter(this);
    }

    ~QtWork() override
    {
        qApp->removeEventFilter(this);
        delete m_dialog;
        if (m_busyShown)
            QApplication::restoreOverrideCursor();
        // The status bar is handed back even after a work too short to show
        // itself: what changed meanwhile (a server reached again) shows now.
        if (m_dialogs.showStatus)
            m_dialogs.showStatus(QString());
    }

    bool keepGoing() override
    {
        const qint64 elapsed = m_clock.elapsed();
        if (!m_busyShown && elapsed >= kBusyAfterMs) {
            m_busyShown = true;
            QApplication::setOverrideCursor(Qt::WaitCursor);
            if (m_dialogs.showStatus)
                m_dialogs.showStatus(m_request.text);
        }
        if (!m_dialog && elapsed >= std::max<qint64>(m_request.dialogAfterMs, kBusyAfterMs))
            showDialog();
        if (elapsed - m_lastPaint >= kPaintEveryMs) {
            m_lastPaint = elapsed;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        return !m_cancelled;
    }

    void setProgress(qint64 done, qint64 total) override
    {
        m_done = done;
        m_total = total;
        if (m_dialog)
            showProgress();
    }

protected:
    // Input goes only to the progress dialog, and to a message the work
    // itself shows (the window the work began from takes none).
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::Close:
            break;
        default:
            return false;
        }
        auto* widget = qobject_cast<QWidget*>(watched);
        if (m_dialog && widget && (widget == m_dialog || m_dialog->isAncestorOf(widget)) &&
            event->type() != QEvent::Close)
            return false;
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal != m_dialog && modal != m_modalBefore && widget &&
            (widget == modal || modal->isAncestorOf(widget)))
            return false;
        if (event->type() == QEvent::Close)
            event->ignore();
        return true;
    }

private:
    void showDialog()
    {
        m_dialog = new QProgressDialog(m_request.text, QString(), 0, 0, QApplication::activeWindow());
        m_dialog->setObjectName(QStringLiteral("WorkProgress"));
        m_dialog->setWindowTitle(kAppTitle);
        m_dialog->setWindowModality(Qt::ApplicationModal);
        m_dialog->setAutoClose(false);
        m_dialog->setAutoReset(false);
        m_dialog->setMinimumDuration(0);
        if (m_request.cancellable) {
            auto* cancel = new QPushButton(QStringLiteral("İptal"), m_dialog);
            cancel->setObjectName(QStringLiteral("WorkCancel"));
            m_dialog->setCancelButton(cancel);
            QObject::connect(m_dialog, &QProgressDialog::canceled, this, [this] { m_cancelled = true; });
        } else {
            m_dialog->setCancelButton(nullptr);
        }
        showProgress();
        m_dialog->show();
    }

    void showProgress()
    {
        if (m_total <= 0) {
            m_dialog->setRange(0, 0);
            return;
        }
        // The dialog counts in int: scale big totals down.
        const double share = double(std::clamp<qint64>(m_done, 0, m_total)) / double(m_total);
        m_dialog->setRange(0, 1000);
        m_dialog->setValue(int(share * 1000));
    }

    Dialogs& m_dialogs;
    Dialogs::WorkRequest m_request;
    QElapsedTimer m_clock;
    qint64 m_lastPaint = 0;
    qint64 m_done = 0;
    qint64 m_total = 0;
    bool m_busyShown = false;
    bool m_cancelled = false;
    QPointer<QProgressDialog> m_dialog;
    QPointer<QWidget> m_modalBefore;
};

} // namespace

std::unique_ptr<Dialogs::Work> QtDialogs::shownWork(Dialogs& dialogs, const WorkRequest& request)
{
    return std::make_unique<QtWork>(dialogs, request);
}

std::unique_ptr<Dialogs::Work> QtDialogs::startWork(const WorkRequest& request)
{
    return shownWork(*this, request);
}
