// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/shell/FacilitySetupWindow.h"

#include "core/shell/Facility.h"
#include "gui/widgets/CodePageBox.h"
#include "gui/widgets/FocusHighlight.h"
#include "gui/widgets/NumericEdit.h"
#include "platform/core/Dialogs.h"

#include <QComboBox>
#include <QDir>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QTimer>

FacilitySetupWindow::FacilitySetupWindow(Dialogs& dialogs, Dataset& ayar, QWidget* parent) : QDialog(parent), m_dialogs(dialogs), m_ayar(ayar)
{
    setObjectName(QStringLiteral("TForm4"));
    setWindowTitle(QStringLiteral("Sisteme İlk Giriş"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(330, 210);
    QFont bold(QStringLiteral("Arial"));
    bold.setBold(true);

    auto* codeLabel = new QLabel(QStringLiteral("Tesis Kodu"), this);
    codeLabel->setFont(bold);
    codeLabel->move(16, 10);
    codeBox = new NumericEdit(this);
    codeBox->setObjectName(QStringLiteral("RzNumericEdit1"));
    QFont century(QStringLiteral("Century"));
    century.setPixelSize(47);
    century.setBold(true);
    codeBox->setFont(century);
    codeBox->setGeometry(16, 28, 298, 62);
    codeBox->installEventFilter(this);

    auto* nameLabel = new QLabel(QStringLiteral("Tesis Adı"), this);
    nameLabel->setFont(bold);
    nameLabel->move(16, 100);
    nameBox = new QLineEdit(this);
    nameBox->setObjectName(QStringLiteral("Edit1"));
    nameBox->setMaxLength(50);
    keepToCodePage1254(nameBox);
    nameBox->setGeometry(16, 118, 298, 24);

    okButton = new QPushButton(QStringLiteral("&Tamam"), this);
    okButton->setObjectName(QStringLiteral("BitBtn1"));
    okButton->setGeometry(214, 160, 100, 30);
    okButton->setDefault(true);
    okButton->setAutoDefault(true);
    connect(okButton, &QPushButton::clicked, this, &FacilitySetupWindow::storeFacility);

    NewRegisterLabel = new QLabel(this);
    NewRegisterLabel->setObjectName(QStringLiteral("NewRegisterLabel"));
    QFont small = NewRegisterLabel->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    NewRegisterLabel->setFont(small);
    NewRegisterLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    NewRegisterLabel->setGeometry(16, 196, 298, 16);
    NewRegisterLabel->hide();

    setTabOrder(codeBox, nameBox);
    setTabOrder(nameBox, okButton);

    new FocusHighlighter(this, [](const QWidget* w) {
        return (qobject_cast<const QLineEdit*>(w) && !qobject_cast<const NumericEdit*>(w)) ||
               qobject_cast<const QComboBox*>(w);
    });
    clearBoxes();
}

void FacilitySetupWindow::showNewRegister(const QString& path)
{
    NewRegisterLabel->setText(QStringLiteral("Yeni kayıt dosyası oluşturuldu: %1").arg(QDir::toNativeSeparators(path)));
    // One line: the window grows to carry the whole path.
    const int needed = NewRegisterLabel->sizeHint().width();
    const int width = std::max(330, needed + 32);
    setFixedSize(width, 222);
    NewRegisterLabel->setGeometry(16, 196, width - 32, 16);
    NewRegisterLabel->show();
}

void FacilitySetupWindow::clearBoxes()
{
    codeBox->setText(QStringLiteral("0"));
    nameBox->clear();
}

void FacilitySetupWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    prepare();
}

void FacilitySetupWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void FacilitySetupWindow::prepare()
{
    clearBoxes();
    codeBox->setFocus(Qt::OtherFocusReason);
}

void FacilitySetupWindow::selectCode()
{
    codeBox->selectAll();
}

bool FacilitySetupWindow::eventFilter(QObject* watched, QEvent* event)
{
    // The code box refuses the signs.
    if (watched == codeBox && event->type() == QEvent::KeyPress) {
        const QString text = static_cast<QKeyEvent*>(event)->text();
        if (text == QStringLiteral("+") || text == QStringLiteral("-"))
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

void FacilitySetupWindow::storeFacility()
{
    if (const auto refused = Facility::checkCode(codeBox->text())) {
        m_dialogs.inform(*refused);
        codeBox->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (const auto refused = Facility::checkName(nameBox->text())) {
        m_dialogs.inform(*refused);
        nameBox->setFocus(Qt::OtherFocusReason);
        return;
    }
    switch (Facility::store(m_ayar, codeBox->text(), nameBox->text())) {
    case Facility::Stored::Refused:
        return;
    case Facility::Stored::SetElsewhere:
        // The stored code and name are shown, in the boxes and then in the
        // main window.
        codeBox->setText(Facility::code(m_ayar));
        nameBox->setText(Facility::name(m_ayar));
        m_dialogs.inform(Facility::setElsewhereText(m_ayar));
        break;
    case Facility::Stored::Done:
        break;
    }
    Q_EMIT facilityStored();
    accept();
}
