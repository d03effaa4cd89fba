// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/register/Mrz.h"

#include <QDialog>
#include <functional>

class Clock;
class Dataset;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class Tables;

// "Kimlik / Pasaport Oku": the clerk (or a desk reader acting as a keyboard)
// types the two or three lines of a document's machine-readable zone; as
// soon as the zone is complete the dialog reads it back, or says which check
// failed. "Aktar" (a further Enter, or the button) hands the guest fields to
// the guest window and closes. Nothing of the zone is kept: the box is
// emptied whenever the dialog closes.
class DocumentReaderDialog : public QDialog
{
    Q_OBJECT
public:
    // What the dialog hands over: the zone's guest fields, and whether the
    // nationality code is in the country table (an unknown one is left out).
    using Take = std::function<void(const Mrz::Guest& guest, bool nationalityKnown)>;

    DocumentReaderDialog(Tables& tables, Clock& clock, Take take, QWidget* parent = nullptr);

    // Reads the box again (on every change).
    void readZone();
    // Fills the guest and closes, when the zone was read without a fault.
    void Aktar();

    QPlainTextEdit* ZoneBox;
    QLabel* ReadBack;
    QPushButton* AktarButton;

    static const QString kTitle;
    static const QString kPrompt;
    static const QString kTurkishNames;
    static const QString kUnknownNationality;  // %1: the code
    static const QString kExpired;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void done(int result) override;
    void showEvent(QShowEvent* event) override;

private:
    // Shows the text whole, however many lines it takes.
    void showReadBack(const QString& text);
    // The name of a lookup row with this key, or the key itself.
    QString lookupName(Dataset* table, const QString& key) const;

    Tables& m_tables;
    Clock& m_clock;
    Take m_take;
    std::optional<Mrz::Guest> m_read;
    bool m_nationalityKnown = false;
};
