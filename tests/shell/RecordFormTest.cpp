// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/GuiInput.h"
#include "support/ProgramFixture.h"

#include "core/register/Columns.h"
#include "core/register/Dataset.h"
#include "core/register/Tables.h"
#include "gui/customers/CustomerWindow.h"
#include "gui/register/GuestEntry.h"
#include "gui/shell/MainWindow.h"
#include "gui/widgets/DBCheckBox.h"
#include "gui/widgets/DBEdit.h"
#include "gui/widgets/DBLookupComboBox.h"
#include "gui/widgets/DBMaskEdit.h"
#include "gui/widgets/FocusHighlight.h"
#include "gui/widgets/PickerBinding.h"

#include <QApplication>
#include <QClipboard>
#include <QDateEdit>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>
#include <memory>

// What the guest and the customer window do alike through their record form:
// one suite, run over both windows.

using namespace Qt::StringLiterals;
using State = Dataset::State;

namespace {

const QString kInvalidTckn = u"TC Kimlik No Geçersiz Görünüyor"_s;
const QString kDeleteQuestion = u"Bu Kaydı Silmek İstediğinize Emin Misiniz ?"_s;
const QString kAppCaption = u"Rirede Zarevave Rurored"_s;
const QStringList kNames = {u"Ali"_s, u"Veli"_s, u"Cem"_s};
const QStringList kSurnames = {u"Kaya"_s, u"Demir"_s, u"Aksoy"_s};

// The record toolbar's commands, in the order the toolbar numbers them.
enum Command { First, Prior, Next, Last, New, Delete, Save, Cancel };

// What the suite reaches in a shown window.
struct Parts
{
    RecordForm& form;
    Dataset& records;
    QWidget& window;
    QWidget* newRecordBox;   // where a new record begins
};

// One of the windows built on the record form, as the suite drives it.
struct RecordWindow
{
    const char* name;
    const char* table;
    const char* keyColumn;
    int firstButton;   // the number of the toolbar's "first record" button
    // Shows the window over three records (Ali Kaya, Veli Demir, Cem Aksoy,
    // born 1980-01-02; the guest Cem has departed), after these statements.
    Parts (*open)(ProgramFixture& p, const QStringList& statements);
    QStringList enterOrder;   // every control Enter passes through, in order
};

void PrintTo(const RecordWindow& w, std::ostream* os)
{
    *os << w.name;
}

QStringList withSurnames(const QString& table, QStringList statements)
{
    for (int i = 0; i < kNames.size(); ++i)
        statements.prepend(u"UPDATE %1 SET Soyadi = '%2' WHERE Adi = '%3'"_s.arg(table, kSurnames[i], kNames[i]));
    return statements;
}

const RecordWindow kGuestWindow{
    "GuestWindow", "Kisi", "ID", 2,
    [](ProgramFixture& p, const QStringList& statements) {
        p.open(kNames, true,
               withSurnames(u"Kisi"_s, QStringList{u"UPDATE Kisi SET Kalici = 0, AyrilisTarihi = '2024-03-05', "
                                                   u"AyrilisSaati = '10:30:00' WHERE Adi = 'Cem'"_s} +
                                           statements));
        return Parts{p.entry(), p.guests(), p.form(), p.entry().customerCodeBox};
    },
    {u"Edit1"_s, u"DBEdit1"_s, u"DBEdit2"_s, u"DateTimePicker1"_s, u"DBLookupComboBox1"_s, u"DBLookupComboBox2"_s,
     u"DBEdit16"_s, u"DBLookupComboBox3"_s, u"DBEdit3"_s, u"DateTimePicker2"_s, u"DateTimePicker3"_s, u"DBEdit4"_s,
     u"DBEdit5"_s, u"DBEdit6"_s, u"DBLookupComboBox4"_s, u"DBEdit7"_s, u"DBEdit8"_s, u"DBEdit9"_s, u"DBEdit10"_s,
     u"DBEdit11"_s, u"DBEdit12"_s, u"DBLookupComboBox6"_s, u"DBEdit13"_s, u"DBEdit14"_s, u"DBEdit15"_s,
     u"DBCheckBox1"_s, u"DateTimePicker4"_s, u"DateTimePicker5"_s},
};

const RecordWindow kCustomerWindow{
    "CustomerWindow", "Musteriler", "musteriID", 3,
    [](ProgramFixture& p, const QStringList& statements) {
        QStringList all;
        for (int i = 0; i < kNames.size(); ++i)
            all << u"INSERT INTO Musteriler (musteriKodu, Adi, DogumTarihi) VALUES ('K%1', '%2', '1980-01-02')"_s.arg(
                       QString::number(i + 1), kNames[i]);
        p.open({}, true, all + withSurnames(u"Musteriler"_s, statements));
        CustomerWindow& w = *p.program->customerWindow();
        QTest::mouseClick(p.entry().button(12), Qt::LeftButton);
        if (!QTest::qWaitForWindowActive(&w))
            ADD_FAILURE() << "the customer window did not become active";
        return Parts{w, w.customers, w, w.codeBox};
    },
    {u"DBEdit14"_s, u"DBEdit1"_s, u"DBEdit2"_s, u"DateTimePicker1"_s, u"DBLookupComboBox1"_s, u"DBLookupComboBox2"_s,
     u"DBEdit16"_s, u"DBLookupComboBox3"_s, u"DBEdit3"_s, u"DBEdit4"_s, u"DBEdit5"_s, u"DBEdit6"_s,
     u"DBLookupComboBox4"_s, u"DBEdit7"_s, u"DBEdit8"_s, u"DBEdit9"_s, u"DBEdit10"_s, u"DBEdit11"_s, u"DBEdit12"_s,
     u"DBLookupComboBox6"_s, u"DBEdit13"_s, u"DBEdit15"_s, u"DBGrid1"_s, u"ComboBox1"_s, u"Edit1"_s},
};

// The program started afresh with the window under test shown.
struct OpenWindow
{
    OpenWindow(const RecordWindow& w, const QStringList& statements) : w(w), parts(w.open(p, statements)) {}

    RecordForm& form() { return parts.form; }
    Dataset& records() { return parts.records; }
    ScriptedDialogs& dialogs() { return p.dialogs(); }
    QToolButton* button(Command c) { return form().button(w.firstButton + c); }
    void click(Command c) { QTest::mouseClick(button(c), Qt::LeftButton); }
    // A column of the current record as the register holds it.
    QString stored(const QString& column)
    {
        const QString sql = u"SELECT \"%1\" FROM %2 WHERE %3 = ?"_s.arg(column, QLatin1String(w.table),
                                                                         QLatin1String(w.keyColumn));
        return p.program->database().column(sql, {records().key()}).value(0).toString();
    }
    int storedCount() { return p.storedCount(QString::fromLatin1(w.table)); }

    const RecordWindow& w;
    ProgramFixture p;
    Parts parts;
};

class RecordFormTest : public ::testing::TestWithParam<RecordWindow>
{
protected:
    OpenWindow& open(const QStringList& statements = {})
    {
        m_open.reset();
        m_open = std::make_unique<OpenWindow>(GetParam(), statements);
        return *m_open;
    }

private:
    std::unique_ptr<OpenWindow> m_open;
};

// Each box the catalogue gives a person column is in the window, under its
// name, and edits that column.
TEST_P(RecordFormTest, EveryColumnsBoxIsThereAndEditsItsColumn)
{
    OpenWindow& t = open();
    const bool guests = QLatin1String(GetParam().table) == u"Kisi"_s;
    for (const Columns::Person* p : Columns::shown(guests)) {
        const QString column = p->name;
        SCOPED_TRACE(column.toStdString());
        QWidget* box = t.form().boxOf(column);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->objectName(), QLatin1String(p->box));
        // The customer window is a child of the main window: only the
        // boxes of the window itself count.
        QList<QWidget*> named;
        for (QWidget* w : t.parts.window.findChildren<QWidget*>(QLatin1String(p->box))) {
            if (w->window() == box->window())
                named << w;
        }
        EXPECT_EQ(named, QList<QWidget*>{box});
        QString edited;
        if (auto* edit = qobject_cast<DBEdit*>(box))
            edited = edit->column();
        else if (auto* list = qobject_cast<DBLookupComboBox*>(box))
            edited = list->column();
        else if (auto* tick = qobject_cast<DBCheckBox*>(box))
            edited = tick->column();
        else if (auto* picker = qobject_cast<QDateTimeEdit*>(box))
            edited = PickerBinding::of(picker)->column();
        EXPECT_EQ(edited, column);
    }
}

TEST_P(RecordFormTest, LeavingTheIdentityNumberBoxChecksTheNumber)
{
    // ">" leaves a position empty, "<" is a backspace.
    struct Case { QString keys; QString field; QStringList messages; Dialogs::Icon icon; bool focusBack; };
    const Case cases[] = {
        {u""_s, u""_s, {}, Dialogs::Icon::None, false},
        {u"12<<"_s, u""_s, {}, Dialogs::Icon::None, false},
        {u"12345678950"_s, u"12345678950"_s, {}, Dialogs::Icon::None, false},
        {u"12345678951"_s, u"12345678951"_s, {kInvalidTckn}, Dialogs::Icon::None, true},
        {u"1234567895"_s, u"1234567895 "_s, {kInvalidTckn}, Dialogs::Icon::None, true},
        {u">2345678950"_s, u" 2345678950"_s, {kInvalidTckn}, Dialogs::Icon::None, true},
        {u"123>>45"_s, u"123  45    "_s, {kInvalidTckn}, Dialogs::Icon::None, true},
        {u"1234>567890"_s, u"1234 567890"_s, {u"'1234 567890' is not a valid integer value"_s}, Dialogs::Icon::Error,
         false},
    };
    OpenWindow& t = open({u"UPDATE %1 SET TCKimlikNo = '12345678951' WHERE Adi = 'Ali'"_s.arg(GetParam().table)});
    ErrorReports reports(t.dialogs());
    DBMaskEdit* box = t.form().identityBox;
    // A stored number is checked as well, although nothing was typed.
    ASSERT_TRUE(focusOn(box));
    press(Qt::Key_Tab);
    EXPECT_EQ(t.dialogs().texts(), QStringList{kInvalidTckn});
    EXPECT_TRUE(waitFor([box] { return box->hasFocus(); }));
    EXPECT_EQ(t.records().state(), State::Browse);

    t.click(New);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys.toStdString());
        t.dialogs().clear();
        ASSERT_TRUE(focusOn(box));
        box->home(false);
        for (QChar k : c.keys) {
            const Qt::Key key = k == u'>' ? Qt::Key_Right : k == u'<' ? Qt::Key_Backspace : Qt::Key(k.unicode());
            QTest::keyClick(box, key);
        }
        press(Qt::Key_Tab);
        QTest::qWait(20);
        EXPECT_EQ(t.dialogs().texts(), c.messages);
        if (!c.messages.isEmpty()) {
            EXPECT_EQ(t.dialogs().messages[0].icon, c.icon);
            EXPECT_EQ(t.dialogs().messages[0].caption, kAppCaption);
        }
        EXPECT_EQ(box->hasFocus(), c.focusBack);
        EXPECT_EQ(t.records().text(u"TCKimlikNo"_s), c.field);
        box->clear();
        t.records().clearField(u"TCKimlikNo"_s);
    }
}

// The serial number box takes a document number as the clerk types or
// pastes it; what it drops never reaches the record.
TEST_P(RecordFormTest, SerialNumberBoxTakesTheCharactersOfADocumentNumber)
{
    OpenWindow& t = open();
    DBEdit* box = t.form().serialBox;
    ASSERT_TRUE(focusOn(box));
    box->selectAll();
    typeText(box, u"x12ab-ş3"_s);
    EXPECT_EQ(box->text(), u"X12AB3"_s);
    QTest::keyClick(box, Qt::Key_Backspace);
    QApplication::clipboard()->setText(u" 4ı5.6 "_s);
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(box->text(), u"X12AB4I56"_s);
    EXPECT_EQ(box->cursorPosition(), 9);
    EXPECT_EQ(t.records().text(u"KimlikSeriNo"_s), u"X12AB4I56"_s);
}

// Wherever a click lands in a picker or in the identity-number box, the
// digits typed next fill it from its start, as after Enter.
TEST_P(RecordFormTest, DigitsTypedAfterAClickFillTheBoxFromItsStart)
{
    OpenWindow& t = open({u"UPDATE %1 SET TCKimlikNo = NULL"_s.arg(GetParam().table)});
    const auto clickNearTheEnd = [](QWidget* box) {
        QWidget* text = box->findChild<QLineEdit*>();
        if (!text)
            text = box;
        // Left of a picker's calendar or arrow buttons.
        QTest::mouseClick(text, Qt::LeftButton, {}, QPoint(text->width() - 30, text->height() / 2));
    };
    int pickers = 0;
    for (QDateTimeEdit* picker : t.parts.window.findChildren<QDateTimeEdit*>()) {
        if (!picker->isVisible() || !picker->isEnabled())
            continue;
        SCOPED_TRACE(picker->objectName().toStdString());
        ++pickers;
        clickNearTheEnd(picker);
        ASSERT_TRUE(waitFor([picker] { return picker->hasFocus(); }));
        if (picker->displayFormat().startsWith(u"yyyy"_s)) {
            typeText(picker, u"19800101"_s);
            EXPECT_EQ(picker->date(), QDate(1980, 1, 1));
        } else {
            typeText(picker, u"0958"_s);
            EXPECT_EQ(picker->time().toString(u"HH:mm"_s), u"09:58"_s);
        }
        press(Qt::Key_Escape);
    }
    EXPECT_GE(pickers, 1);

    DBMaskEdit* identity = t.form().identityBox;
    clickNearTheEnd(identity);
    ASSERT_TRUE(waitFor([identity] { return identity->hasFocus(); }));
    typeText(identity, u"12345678950"_s);
    EXPECT_EQ(t.records().text(u"TCKimlikNo"_s), u"12345678950"_s);
    // A click among the digits stays where it landed.
    QTest::mouseClick(identity, Qt::LeftButton, {}, QPoint(4, identity->height() / 2));
    EXPECT_EQ(identity->cursorPosition(), 0);
}

// A column shown to the clerk (a refused save, "Kayda Git", a take-over)
// gets the focus as by Enter: what is typed next takes the place of what
// the box holds.
TEST_P(RecordFormTest, AShownColumnIsTypedOverAsAfterEnter)
{
    OpenWindow& t = open();
    ASSERT_TRUE(focusOn(t.form().surnameBox));
    struct Case { QString column; QString typed; QString stored; };
    const Case cases[] = {
        {u"DogumTarihi"_s, u"19750505"_s, u"1975-05-05"_s},
        {u"Adi"_s, u"Can"_s, u"Can"_s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.column.toStdString());
        ASSERT_TRUE(t.records().showField);
        t.records().showField(c.column);
        QWidget* box = t.form().boxOf(c.column);
        ASSERT_TRUE(waitFor([box] { return box->hasFocus(); }));
        typeText(QApplication::focusWidget(), c.typed);
        EXPECT_EQ(t.records().text(c.column), c.stored);
    }
}

TEST_P(RecordFormTest, PlateLosesItsBlanksOnlyWhileTheRecordIsEdited)
{
    OpenWindow& t = open({u"UPDATE %1 SET AracPlakaNo = '34 AB 1234' WHERE Adi = 'Ali'"_s.arg(GetParam().table)});
    DBEdit* plate = t.form().plateBox;
    ASSERT_TRUE(focusOn(plate));
    press(Qt::Key_Tab);
    EXPECT_FALSE(plate->hasFocus());
    EXPECT_EQ(plate->text(), u"34 AB 1234"_s);
    EXPECT_EQ(t.records().state(), State::Browse);
    EXPECT_EQ(t.stored(u"AracPlakaNo"_s), u"34 AB 1234"_s);

    // Leaving the box after typing.
    ASSERT_TRUE(focusOn(plate));
    plate->selectAll();
    typeText(plate, u"06 xy 99"_s);
    press(Qt::Key_Tab);
    EXPECT_EQ(plate->text(), u"06xy99"_s);
    EXPECT_EQ(t.records().text(u"AracPlakaNo"_s), u"06xy99"_s);
    t.click(Save);
    EXPECT_EQ(t.stored(u"AracPlakaNo"_s), u"06xy99"_s);

    // Save without leaving the box: the toolbar takes no focus.
    ASSERT_TRUE(focusOn(plate));
    plate->selectAll();
    typeText(plate, u"35 K 1"_s);
    t.click(Save);
    EXPECT_TRUE(plate->hasFocus());
    EXPECT_EQ(plate->text(), u"35K1"_s);
    EXPECT_EQ(t.stored(u"AracPlakaNo"_s), u"35K1"_s);
}

TEST_P(RecordFormTest, ABirthDateOnlyChangeIsUndoneByEscOrCancelAndStoredByAMove)
{
    OpenWindow& t = open();
    QDateEdit* birth = t.form().birthBox;
    const QDate stored(1980, 1, 2);
    ASSERT_EQ(birth->date(), stored);
    for (const bool byKey : {true, false}) {
        SCOPED_TRACE(byKey ? "Esc" : "button");
        ASSERT_TRUE(focusOn(birth));
        press(Qt::Key_Up);
        ASSERT_NE(birth->date(), stored);
        EXPECT_EQ(t.records().state(), State::Edit);
        EXPECT_TRUE(t.form().hasUnsavedChanges());
        if (byKey)
            press(Qt::Key_Escape);
        else
            t.click(Cancel);
        EXPECT_EQ(t.records().state(), State::Browse);
        EXPECT_EQ(birth->date(), stored);
        EXPECT_TRUE(t.parts.window.isVisible());
    }

    // A move stores it, as it stores a typed change.
    ASSERT_TRUE(focusOn(birth));
    press(Qt::Key_Up);
    const QDate changed = birth->date();
    t.click(Next);
    t.click(Prior);
    EXPECT_EQ(t.records().recNo(), 0);
    EXPECT_EQ(birth->date(), changed);
    EXPECT_EQ(t.stored(u"DogumTarihi"_s), changed.toString(u"yyyy-MM-dd"_s));
    EXPECT_TRUE(t.dialogs().messages.isEmpty());
}

TEST_P(RecordFormTest, DeleteAsksForAStoredRecordOnly)
{
    struct Case { const char* name; bool newRecord; Dialogs::Button answer; bool asked; bool deleted; };
    const Case cases[] = {
        {"new record", true, Dialogs::NoButton, false, false},
        {"Evet", false, Dialogs::Yes, true, true},
        {"Hayır", false, Dialogs::No, true, false},
        {"closed", false, Dialogs::NoButton, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OpenWindow& t = open();
        t.click(Next);
        if (c.newRecord) {
            t.click(New);
            typeText(t.form().nameBox, u"Deniz"_s);
        }
        t.dialogs().setNextAnswer(c.answer);
        t.click(Delete);
        ASSERT_EQ(t.dialogs().messages.size(), c.asked ? 1 : 0);
        if (c.asked) {
            const ScriptedDialogs::Shown& box = t.dialogs().messages[0];
            EXPECT_EQ(box.text, kDeleteQuestion);
            EXPECT_EQ(box.caption, u"Warning"_s);
            EXPECT_EQ(box.icon, Dialogs::Icon::Warning);
            EXPECT_EQ(box.buttons, Dialogs::Buttons(Dialogs::Yes) | Dialogs::No);
            EXPECT_EQ(box.defaultButton, Dialogs::Yes);
        }
        EXPECT_EQ(t.storedCount(), c.deleted ? 2 : 3);
        EXPECT_EQ(t.records().state(), State::Browse);
        EXPECT_EQ(t.form().nameBox->text(), c.deleted ? u"Cem"_s : u"Veli"_s);
    }
}

// Alt and Ctrl together run both moves, the Alt one first.
TEST_P(RecordFormTest, MoveKeysMatchTheirToolbarButtons)
{
    struct Case { Qt::Key key; Qt::KeyboardModifiers modifiers; int from; QList<int> visited; Command button; const char* tip; };
    const Case cases[] = {
        {Qt::Key_Right, Qt::AltModifier, 0, {1}, Next, "Sonraki Kayıt [Alt+Sağ Ok]"},
        {Qt::Key_Left, Qt::AltModifier, 2, {1}, Prior, "Önceki Kayıt [Alt+Sol Ok]"},
        {Qt::Key_Right, Qt::ControlModifier, 0, {2}, Last, "Son Kayıt [Ctrl+Sağ Ok]"},
        {Qt::Key_Left, Qt::ControlModifier, 2, {0}, First, "İlk Kayıt [Ctrl+Sol Ok]"},
        {Qt::Key_Right, Qt::ShiftModifier | Qt::ControlModifier, 1, {2}, Last, "Son Kayıt [Ctrl+Sağ Ok]"},
        {Qt::Key_Left, Qt::ControlModifier | Qt::AltModifier, 2, {1, 0}, First, "İlk Kayıt [Ctrl+Sol Ok]"},
        {Qt::Key_Right, Qt::ControlModifier | Qt::AltModifier, 0, {1, 2}, Last, "Son Kayıt [Ctrl+Sağ Ok]"},
    };
    OpenWindow& t = open();
    Dataset& records = t.records();
    QList<int> visited;
    const QObject watching;
    QObject::connect(&records, &Dataset::scrolled, &watching, [&] { visited << records.recNo(); });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tip);
        EXPECT_EQ(t.button(c.button)->toolTip(), QString::fromUtf8(c.tip));
        records.first();
        for (int i = 0; i < c.from; ++i)
            records.next();
        ASSERT_TRUE(focusOn(t.form().surnameBox));
        visited.clear();
        press(c.key, c.modifiers);
        EXPECT_EQ(visited, c.visited);
        EXPECT_EQ(t.form().nameBox->text(), kNames[c.visited.last()]);
    }
}

TEST_P(RecordFormTest, SaveNewCancelAndDeleteKeys)
{
    OpenWindow& t = open();
    EXPECT_EQ(t.button(Save)->toolTip(), u"Kaydet [Ctrl+S]"_s);
    EXPECT_EQ(t.button(New)->toolTip(), u"Yeni Kayıt [Ctrl+N]"_s);
    EXPECT_EQ(t.button(Cancel)->toolTip(), u"İptal [ESC]"_s);
    EXPECT_EQ(t.button(Delete)->toolTip(), u"Kayıt Sil [Ctrl+Del]"_s);
    DBEdit* surname = t.form().surnameBox;

    for (const Qt::KeyboardModifiers modifiers :
         {Qt::KeyboardModifiers(Qt::ControlModifier), Qt::ShiftModifier | Qt::ControlModifier}) {
        ASSERT_TRUE(focusOn(surname));
        surname->end(false);
        typeText(surname, u"x"_s);
        ASSERT_EQ(t.records().state(), State::Edit);
        press(Qt::Key_S, modifiers);
        EXPECT_EQ(t.records().state(), State::Browse);
        EXPECT_EQ(t.stored(u"Soyadi"_s), surname->text());
    }
    EXPECT_EQ(surname->text(), u"Kayaxx"_s);

    typeText(surname, u"Öz"_s);
    press(Qt::Key_Escape);
    EXPECT_EQ(t.records().state(), State::Browse);
    EXPECT_EQ(surname->text(), u"Kayaxx"_s);
    EXPECT_TRUE(t.parts.window.isVisible());

    press(Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(t.records().state(), State::Insert);
    QWidget* begun = t.parts.newRecordBox;
    EXPECT_TRUE(waitFor([begun] { return begun->hasFocus(); }));
    press(Qt::Key_Escape);
    EXPECT_EQ(t.records().state(), State::Browse);
    EXPECT_TRUE(t.parts.window.isVisible());

    // Delete, in a text box and in a lookup box: asked first, and the record
    // that becomes current is shown whole (the key goes no further).
    const char* boxes[] = {"DBEdit2", "DBLookupComboBox1"};
    for (int k = 0; k < 2; ++k) {
        SCOPED_TRACE(boxes[k]);
        ASSERT_EQ(t.form().nameBox->text(), kNames[k]);
        ASSERT_TRUE(focusOn(t.p.widget(QString::fromLatin1(boxes[k]), &t.parts.window)));
        t.dialogs().clear();
        t.dialogs().setNextAnswer(Dialogs::No);
        press(Qt::Key_Delete, Qt::ControlModifier);
        EXPECT_EQ(t.dialogs().texts(), QStringList{kDeleteQuestion});
        EXPECT_EQ(t.storedCount(), 3 - k);
        EXPECT_EQ(t.records().state(), State::Browse);

        t.dialogs().setNextAnswer(Dialogs::Yes);
        press(Qt::Key_Delete, Qt::ControlModifier);
        EXPECT_EQ(t.storedCount(), 2 - k);
        EXPECT_EQ(t.form().nameBox->text(), kNames[k + 1]);
        EXPECT_EQ(t.records().state(), State::Browse);
        EXPECT_EQ(surname->text(), kSurnames[k + 1]);
    }
}

TEST_P(RecordFormTest, EnterMovesAlongTheTabOrderAndWraps)
{
    OpenWindow& t = open();
    QList<QWidget*> order;
    for (const QString& name : GetParam().enterOrder)
        order << t.p.widget(name, &t.parts.window);
    EXPECT_EQ(order, t.form().tabOrder);
    // On a stored record (the guest's departure boxes open), and on a new
    // one, where Enter passes over the boxes that are shut. Passing through
    // a list is no move; from the last box Enter goes round to the first.
    t.records().last();
    for (const State state : {State::Browse, State::Insert}) {
        SCOPED_TRACE(int(state));
        if (state == State::Insert)
            t.click(New);
        QList<QWidget*> reachable;
        for (QWidget* w : order) {
            if (w->isEnabled())
                reachable << w;
        }
        ASSERT_TRUE(focusOn(reachable.first()));
        for (int i = 0; i < reachable.size(); ++i) {
            QWidget* next = reachable[(i + 1) % reachable.size()];
            press(Qt::Key_Return);
            EXPECT_TRUE(waitFor([next] { return FocusHighlighter::controlOf(QApplication::focusWidget()) == next; }))
                << "after " << reachable[i]->objectName().toStdString();
        }
        EXPECT_EQ(t.records().state(), state);
        EXPECT_EQ(t.records().recNo(), 2);
        EXPECT_TRUE(t.dialogs().messages.isEmpty());
    }
}

INSTANTIATE_TEST_SUITE_P(Windows, RecordFormTest, ::testing::Values(kGuestWindow, kCustomerWindow),
                         [](const ::testing::TestParamInfo<RecordWindow>& info) { return info.param.name; });

} // namespace
