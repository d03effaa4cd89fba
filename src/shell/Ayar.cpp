#include "Ayar.h"

TForm4::TForm4(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TForm4"));
    setWindowTitle(QStringLiteral("Sisteme İlk Giriş"));
}
