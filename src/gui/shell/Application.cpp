// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/shell/Application.h"

#include "platform/core/Dialogs.h"
#include "platform/core/RadaError.h"

#include <QDir>
#include <QHelpEvent>
#include <QLibraryInfo>
#include <QTranslator>
#include <QPalette>
#include <QProxyStyle>
#include <QToolTip>
#include <QWidget>

RadaApplication::RadaApplication(int& argc, char** argv) : QApplication(argc, argv)
{
}

RadaApplication* RadaApplication::instance()
{
    return qobject_cast<RadaApplication*>(QCoreApplication::instance());
}

bool RadaApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const RadaError& e) {
        if (m_dialogs)
            m_dialogs->reportError(e.text());
        else
            qWarning("%s", e.what());
        return false;
    }
}

QTranslator* loadQtTranslation()
{
    auto* translator = new QTranslator(QCoreApplication::instance());
    const QStringList places = {QLibraryInfo::path(QLibraryInfo::TranslationsPath),
                                QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("translations"))};
    for (const QString& place : places) {
        if (translator->load(QStringLiteral("qtbase_tr"), place)) {
            QCoreApplication::installTranslator(translator);
            return translator;
        }
    }
    delete translator;
    return nullptr;
}

namespace {

constexpr int kToolTipWakeUpMs = 15;
constexpr int kToolTipShowMs = 90000;

class ToolTipStyle : public QProxyStyle
{
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* ret) const override
    {
        if (hint == SH_ToolTip_WakeUpDelay)
            return kToolTipWakeUpMs;
        if (hint == SH_ToolTip_FallAsleepDelay)
            return kToolTipShowMs;
        return QProxyStyle::styleHint(hint, option, widget, ret);
    }
};

class ToolTipDuration : public QObject
{
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::ToolTip)
            return false;
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget || widget->toolTip().isEmpty())
            return false;
        auto* help = static_cast<QHelpEvent*>(event);
        QToolTip::showText(help->globalPos(), widget->toolTip(), widget, QRect(), kToolTipShowMs);
        return true;
    }
};

} // namespace

void installToolTipSettings()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    QPalette palette = QToolTip::palette();
    palette.setColor(QPalette::ToolTipBase, QColor(0, 255, 255));
    palette.setColor(QPalette::ToolTipText, Qt::black);
    QToolTip::setPalette(palette);
    QApplication::setStyle(new ToolTipStyle);
    qApp->installEventFilter(new ToolTipDuration(qApp));
}
