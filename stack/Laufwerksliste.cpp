#include "Laufwerksliste.h"

namespace tw::stack {

Laufwerksliste::Laufwerksliste(QWidget* parent) : QComboBox(parent) {}

void Laufwerksliste::showPopup()
{
    if (vorDemOeffnen)
        vorDemOeffnen();
    QComboBox::showPopup();
}

} // namespace tw::stack
