#include "gui/shell/FacilitySetupWindow.h"

#include "core/shell/Facility.h"
#include "gui/widgets/FocusHighlight.h"
#include "platform/core/Dialogs.h"
#include "gui/widgets/DBControls.h"
#include "gui/widgets/NumericEdit.h"

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
    RzNumericEdit1 = new NumericEdit(this);
    RzNumericEdit1->setObjectName(QStringLiteral("RzNumericEdit1"));
    QFont century(QStringLiteral("Century"));
    century.setPixelSize(47);
    century.setBold(true);
    RzNumericEdit1->setFont(century);
    RzNumericEdit1->setGeometry(16, 28, 298, 62);
    RzNumericEdit1->installEventFilter(this);

    auto* nameLabel = new QLabel(QStringLiteral("Tesis Adı"), this);
    nameLabel->setFont(bold);
    nameLabel->move(16, 100);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setMaxLength(50);
    keepToCodePage1254(Edit1);
    Edit1->setGeometry(16, 118, 298, 24);

    BitBtn1 = new QPushButton(QStringLiteral("&Tamam"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(214, 160, 100, 30);
    BitBtn1->setDefault(true);
    BitBtn1->setAutoDefault(true);
    connect(BitBtn1, &QPushButton::clicked, this, &FacilitySetupWindow::storeFacility);

    NewRegisterLabel = new QLabel(this);
    NewRegisterLabel->setObjectName(QStringLiteral("NewRegisterLabel"));
    QFont small = NewRegisterLabel->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    NewRegisterLabel->setFont(small);
    NewRegisterLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    NewRegisterLabel->setGeometry(16, 196, 298, 16);
    NewRegisterLabel->hide();

    setTabOrder(RzNumericEdit1, Edit1);
    setTabOrder(Edit1, BitBtn1);

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
    RzNumericEdit1->setText(QStringLiteral("0"));
    Edit1->clear();
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
    RzNumericEdit1->setFocus(Qt::OtherFocusReason);
}

void FacilitySetupWindow::selectCode()
{
    RzNumericEdit1->selectAll();
}

bool FacilitySetupWindow::eventFilter(QObject* watched, QEvent* event)
{
    // RzNumericEdit1KeyPress: the signs are refused.
    if (watched == RzNumericEdit1 && event->type() == QEvent::KeyPress) {
        const QString text = static_cast<QKeyEvent*>(event)->text();
        if (text == QStringLiteral("+") || text == QStringLiteral("-"))
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

void FacilitySetupWindow::storeFacility()
{
    if (const auto refused = Facility::checkCode(RzNumericEdit1->text())) {
        m_dialogs.inform(*refused);
        RzNumericEdit1->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (const auto refused = Facility::checkName(Edit1->text())) {
        m_dialogs.inform(*refused);
        Edit1->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (!Facility::store(m_ayar, RzNumericEdit1->text(), Edit1->text()))
        return;
    Q_EMIT facilityStored();
    accept();
}
