// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/register/PasswordWindow.h"

#include "core/register/Database.h"
#include "core/register/RegisterPassword.h"
#include "platform/core/Dialogs.h"
#include "gui/widgets/FormKit.h"

#include <QFormLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

PasswordWindow::PasswordWindow(Database& db, Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), m_db(db), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("PasswordWindow"));
    setWindowTitle(RegisterPassword::kWindowTitle);
    setModal(true);

    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    layout->addLayout(form);
    auto box = [this, form](const char* name, const QString& caption) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(name));
        edit->setEchoMode(QLineEdit::Password);
        edit->setMinimumWidth(220);
        edit->installEventFilter(this);
        form->addRow(caption, edit);
        return edit;
    };
    CurrentPassword = box("CurrentPassword", QStringLiteral("Şu anki parola :"));
    NewPassword = box("NewPassword", QStringLiteral("Yeni parola :"));
    NewPasswordAgain = box("NewPasswordAgain", QStringLiteral("Yeni parola (tekrar) :"));
    if (!m_db.hasOwnPassword()) {
        form->removeRow(CurrentPassword);
        CurrentPassword = nullptr;
    }
    auto* hint = new QLabel(QStringLiteral("En az 8 karakter. Boş bırakılırsa kayıt dosyası parolasız (programın "
                                           "kendi anahtarıyla) şifrelenir."),
                            this);
    hint->setWordWrap(true);
    layout->addWidget(hint);

    auto* ok = new QPushButton(QStringLiteral("&Tamam"), this);
    ok->setObjectName(QStringLiteral("OkButton"));
    connect(ok, &QPushButton::clicked, this, &PasswordWindow::confirm);
    FormKit::addCommandRow(this, layout, ok);
}

QList<QLineEdit*> PasswordWindow::boxes() const
{
    QList<QLineEdit*> all;
    if (CurrentPassword)
        all << CurrentPassword;
    return all << NewPassword << NewPasswordAgain;
}

void PasswordWindow::confirm()
{
    const RegisterPassword::Confirmation c =
        RegisterPassword::confirm(m_db, m_dialogs, CurrentPassword ? CurrentPassword->text() : QString(),
                                  NewPassword->text(), NewPasswordAgain->text(), afterChange);
    if (c.outcome == RegisterPassword::Confirmed::Done) {
        accept();
    } else if (c.outcome == RegisterPassword::Confirmed::Refused) {
        QLineEdit* at = c.box == RegisterPassword::Box::Current ? CurrentPassword
                        : c.box == RegisterPassword::Box::New   ? NewPassword
                                                                : NewPasswordAgain;
        at->selectAll();
        at->setFocus(Qt::OtherFocusReason);
    }
}

void PasswordWindow::done(int result)
{
    // Nothing typed outlives the window.
    for (QLineEdit* b : boxes())
        b->clear();
    QDialog::done(result);
}

bool PasswordWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            const QList<QLineEdit*> all = boxes();
            const qsizetype at = all.indexOf(qobject_cast<QLineEdit*>(watched));
            if (at >= 0 && at + 1 < all.size())
                all[at + 1]->setFocus(Qt::TabFocusReason);
            else if (at >= 0)
                confirm();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
