// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/widgets/FormKit.h"

#include "core/register/Formats.h"
#include "gui/widgets/DBEdit.h"
#include "gui/widgets/DBLookupComboBox.h"

#include <QDateEdit>
#include <QDialog>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLabel>
#include <QPushButton>
#include <QTimeEdit>
#include <QToolButton>

namespace FormKit {

void bringToFront(QWidget* window)
{
    if (window->isHidden())
        window->show();
    if (window->isMinimized())
        window->showNormal();
    window->setWindowState((window->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    window->raise();
    window->activateWindow();
}

namespace {

// After a click anywhere in a picker, the digits typed next fill it from its
// first section, as they do after the focus arrived by Enter or Tab; any
// other key (an arrow to another section, say) lets the click's section be.
class TypeFromStart : public QObject
{
public:
    explicit TypeFromStart(QDateTimeEdit* picker) : QObject(picker), m_picker(picker)
    {
        picker->installEventFilter(this);
        if (QLineEdit* text = picker->findChild<QLineEdit*>())
            text->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            m_clicked = true;
            break;
        case QEvent::KeyPress: {
            if (!m_clicked)
                break;
            m_clicked = false;
            const QString typed = static_cast<QKeyEvent*>(event)->text();
            if (typed.size() == 1 && typed[0].isDigit() && m_picker->sectionCount() > 0) {
                m_picker->setCurrentSectionIndex(0);
                m_picker->setSelectedSection(m_picker->sectionAt(0));
            }
            break;
        }
        default:
            break;
        }
        return false;
    }

private:
    QDateTimeEdit* m_picker;
    bool m_clicked = false;
};

} // namespace

QLabel* caption(QWidget* parent, const QString& text, int x, int y)
{
    auto* l = new QLabel(text, parent);
    QFont f(QStringLiteral("Arial"));
    f.setBold(true);
    f.setPointSize(8);
    l->setFont(f);
    l->move(x, y);
    return l;
}

QWidget* place(QWidget* widget, const char* name, const QRect& geometry)
{
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(geometry);
    return widget;
}

QDateEdit* datePicker(QWidget* parent, const char* name, const QRect& geometry, const QString& hint)
{
    auto* p = place(new QDateEdit(parent), name, geometry);
    p->setDisplayFormat(Formats::kDate);
    p->setCalendarPopup(true);
    p->setMinimumDate(QDate(1752, 9, 14));
    p->setToolTip(hint);
    new TypeFromStart(p);
    return p;
}

QTimeEdit* timePicker(QWidget* parent, const char* name, const QRect& geometry, const QString& hint)
{
    auto* p = place(new QTimeEdit(parent), name, geometry);
    p->setDisplayFormat(Formats::kShortTime);
    p->setToolTip(hint);
    new TypeFromStart(p);
    return p;
}

namespace {

class LeaveWatch : public QObject
{
public:
    LeaveWatch(QWidget* box, std::function<void()> handler) : QObject(box), m_handler(std::move(handler))
    {
        box->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::FocusOut) {
            const auto reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
                m_handler();
        }
        return false;
    }

private:
    std::function<void()> m_handler;
};

} // namespace

void onLeave(QWidget* box, std::function<void()> handler)
{
    new LeaveWatch(box, std::move(handler));
}

QToolButton* flatButton(QWidget* parent, const char* name, const QString& hint, QStyle::StandardPixmap icon,
                        const QRect& geometry)
{
    auto* b = place(new QToolButton(parent), name, geometry);
    b->setToolTip(hint);
    b->setIcon(parent->style()->standardIcon(icon));
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

Column::Column(QWidget* parent, int x, int y, int width, int step)
    : m_parent(parent), m_x(x), m_y(y - step), m_width(width), m_step(step)
{
}

QRect Column::next(const QString& text, int width)
{
    m_y += m_step;
    caption(m_parent, text, m_x, m_y);
    return QRect(m_x, m_y + 14, width < 0 ? m_width : width, 21);
}

DBEdit* Column::edit(const QString& text, const char* name, Dataset* dataset, const QString& column)
{
    return place(new DBEdit(dataset, column, m_parent), name, next(text));
}

DBLookupComboBox* Column::lookup(const QString& text, const char* name, Dataset* dataset, const QString& column,
                                 Dataset* list, const QString& key, const QString& shown)
{
    return place(new DBLookupComboBox(dataset, column, list, key, shown, m_parent), name, next(text));
}

void addCommandRow(QDialog* dialog, QBoxLayout* layout, QPushButton* command)
{
    command->setAutoDefault(false);
    auto* cancel = new QPushButton(QStringLiteral("&Vazgeç"), dialog);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    cancel->setAutoDefault(false);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(command);
    row->addWidget(cancel);
    layout->addLayout(row);
}

} // namespace FormKit
