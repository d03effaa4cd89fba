#include "AramaFormu.h"

TForm2::TForm2(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TForm2"));
    setWindowTitle(QStringLiteral("Müşteri Arama Formu"));
}
