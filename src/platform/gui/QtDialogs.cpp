#include "platform/gui/QtDialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
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
