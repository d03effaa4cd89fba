// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <functional>

class Database;
class Dialogs;
class QLineEdit;

// "Kayıt Parolasını Değiştir": the current password (only when one is set),
// the new one and the new one again. Enter moves from box to box and
// confirms in the last; Esc closes without change.
class PasswordWindow : public QDialog
{
    Q_OBJECT
public:
    PasswordWindow(Database& db, Dialogs& dialogs, QWidget* parent = nullptr);

    // Checks the boxes, asks before a first password, re-encrypts the
    // register and closes; a refusal keeps the window open at its box.
    void confirm();
    // After the register opens with the new key only and the clerk was told:
    // what else was under the old key (the backups) follows, given that key.
    std::function<void(const QByteArray& oldKey)> afterChange;

    QLineEdit* CurrentPassword;
    QLineEdit* NewPassword;
    QLineEdit* NewPasswordAgain;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void done(int result) override;

private:
    QList<QLineEdit*> boxes() const;

    Database& m_db;
    Dialogs& m_dialogs;
};
