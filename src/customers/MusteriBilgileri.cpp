#include "MusteriBilgileri.h"

TForm3::TForm3(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("TForm3"));
    setWindowTitle(QStringLiteral("Müşteri Bilgileri"));
}
