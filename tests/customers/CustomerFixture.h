// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "support/GuiInput.h"
#include "support/ProgramFixture.h"

#include "core/register/Dataset.h"
#include "core/register/Tables.h"
#include "gui/customers/CustomerWindow.h"
#include "gui/customers/GuestSearchWindow.h"
#include "gui/register/GuestEntry.h"
#include "gui/widgets/DBGrid.h"

#include <QComboBox>
#include <QDateEdit>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <map>

namespace CustomerTests {

using State = Dataset::State;
using ColumnValues = std::map<QString, QString>;

inline const QString kCodeMessage =
    QStringLiteral("Müşteri Kodu boş geçilmiş veya daha önce kullanılmış!\rLütfen Müşteri Kodu'nu tekrar giriniz.");
inline const QString kInvalidTckn = QStringLiteral("TC Kimlik No Geçersiz Görünüyor");
inline const QString kCodeNotFound = QStringLiteral("Aradığınız Müşteri Kodunda Müşteri Bulunamadı!");
inline const QString kNoCustomer = QStringLiteral("Müşteri Bulunamadı.");
inline const QString kAppCaption = QStringLiteral("Rirede Zarevave Rurored");
inline const QDate kDayZero(1899, 12, 30);

// A customer row as a statement for ProgramFixture::open().
inline QString customerRow(const ColumnValues& columns)
{
    QStringList names;
    QStringList values;
    for (const auto& [name, value] : columns) {
        names << name;
        QString quoted = value;
        quoted.replace(QLatin1Char('\''), QStringLiteral("''"));
        values << QLatin1Char('\'') + quoted + QLatin1Char('\'');
    }
    return QStringLiteral("INSERT INTO Musteriler (%1) VALUES (%2)").arg(names.join(QStringLiteral(", ")),
                                                                        values.join(QStringLiteral(", ")));
}

// Four regular customers in stored order; the second has neither a birth
// date nor an identity number.
inline QList<ColumnValues> fourCustomers()
{
    return {
        {{QStringLiteral("musteriKodu"), QStringLiteral("K1")},
         {QStringLiteral("Adi"), QStringLiteral("Cem")},
         {QStringLiteral("Soyadi"), QStringLiteral("Kaya")},
         {QStringLiteral("DogumTarihi"), QStringLiteral("1970-01-02")},
         {QStringLiteral("TCKimlikNo"), QStringLiteral("12345678950")},
         {QStringLiteral("Uyrugu"), QStringLiteral("TC")},
         {QStringLiteral("KimlikBelgesiTuru"), QStringLiteral("K")},
         {QStringLiteral("Cinsiyet"), QStringLiteral("E")},
         {QStringLiteral("AracPlakaNo"), QStringLiteral("34 AB 12")}},
        {{QStringLiteral("musteriKodu"), QStringLiteral("K2")},
         {QStringLiteral("Adi"), QStringLiteral("Bora")},
         {QStringLiteral("Soyadi"), QStringLiteral("Demir")}},
        {{QStringLiteral("musteriKodu"), QStringLiteral("K3")},
         {QStringLiteral("Adi"), QStringLiteral("Ali")},
         {QStringLiteral("Soyadi"), QStringLiteral("Aksoy")},
         {QStringLiteral("DogumTarihi"), QStringLiteral("1985-07-08")}},
        {{QStringLiteral("musteriKodu"), QStringLiteral("K4")},
         {QStringLiteral("Adi"), QStringLiteral("Ayla")},
         {QStringLiteral("Soyadi"), QStringLiteral("Demirel")},
         {QStringLiteral("DogumTarihi"), QStringLiteral("1990-03-04")}},
    };
}

// The program over a set-up facility with customers and guests stored before
// the start, the main window shown.
struct CustomerFixture
{
    void start(const QList<ColumnValues>& customerRows = fourCustomers(), const QStringList& guestNames = {},
               const QStringList& statements = {})
    {
        QStringList all;
        for (const ColumnValues& c : customerRows)
            all << customerRow(c);
        all << statements;
        p.open(guestNames, true, all);
    }

    MainWindow& mainWindow() const { return p.form(); }
    CustomerWindow& customerWindow() const { return *p.program->customerWindow(); }
    GuestSearchWindow& searchWindow() const { return *p.program->searchWindow(); }
    GuestEntry& e() const { return p.entry(); }
    Dataset& customers() const { return *p.tables().musteriler; }
    Dataset& guests() const { return p.guests(); }
    ScriptedDialogs& dialogs() { return p.dialogs(); }

    // Shown from the guest window's button, as the clerk does.
    void showCustomers()
    {
        QTest::mouseClick(e().button(12), Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&customerWindow()));
    }
    // The guest window active again, as after a modal window closes.
    void backToGuestWindow()
    {
        mainWindow().activateWindow();
        ASSERT_TRUE(waitFor([this] { return QApplication::activeWindow() == &mainWindow(); }));
    }
    // A click on a customer toolbar button (SpeedButton<number>).
    void click(int number) { QTest::mouseClick(customerWindow().button(number), Qt::LeftButton); }

    template <typename T = QLineEdit>
    T* box(const char* name) const
    {
        return p.widget<T>(QString::fromLatin1(name), &customerWindow());
    }
    QDateEdit* birthBox() const { return customerWindow().birthBox; }

    // A click on a row of a list.
    static void clickRow(DBGrid* grid, int row, int column = 1)
    {
        const QRect cell = grid->visualRect(grid->model()->index(row, column));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    }
    // The events of a real double click: a click, then the double click.
    static void doubleClickRow(DBGrid* grid, int row, int column = 1)
    {
        const QPoint at = grid->visualRect(grid->model()->index(row, column)).center();
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
    }
    // The list's column as it shows it, top to bottom.
    static QStringList listed(DBGrid* grid, int column)
    {
        QStringList out;
        for (int r = 0; r < grid->model()->rowCount(); ++r)
            out << grid->model()->index(r, column).data().toString();
        return out;
    }

    // A column of a stored customer, by code.
    QVariant storedCustomer(const QString& column, const QString& code) const
    {
        return p.program->database()
            .column(QStringLiteral("SELECT \"%1\" FROM Musteriler WHERE musteriKodu = ?").arg(column), {code})
            .value(0);
    }
    int customerCount() const { return p.storedCount(QStringLiteral("Musteriler")); }

    ProgramFixture p;
};

} // namespace CustomerTests
