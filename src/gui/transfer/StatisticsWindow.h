// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/transfer/StayStatistics.h"

#include <QDialog>

struct Platform;
class Tables;
class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;

// "Aylık Konaklama İstatistiği": a month's arrivals and nights by
// nationality, on paper (PDF) or for a spreadsheet (CSV).
class StatisticsWindow : public QDialog
{
    Q_OBJECT
public:
    StatisticsWindow(Platform& platform, Tables& tables, QWidget* parent = nullptr);

    static const QString kTitle;
    static const QString kStayingIncluded;
    static const QString kCountedSince;
    static const QString kNotYetCounted;

    // Shows the month picked; the current month when the window opens.
    void showMonth();
    const StayStatistics::Month& shown() const { return m_month; }
    // The month as an A4 page: the facility, the table and its totals.
    QByteArray pdf() const;
    void savePdf();
    void saveCsv();

    QComboBox* MonthBox;
    QTableWidget* Table;
    QLabel* NoteLabel;
    QPushButton* PdfButton;
    QPushButton* CsvButton;

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Asks where, then writes the bytes privately; the path, or empty.
    void save(const QString& filter, const QString& suffix, const QByteArray& bytes);

    Platform& m_platform;
    Tables& m_tables;
    StayStatistics::Month m_month;
};
