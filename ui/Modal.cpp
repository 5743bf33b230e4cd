#include "ui/Modal.h"

#include <QDialog>

namespace corvanel {

int montrerModal(QDialog &dialogue)
{
    if (auto *fenetres = dynamic_cast<InteractionFenetres *>(&interaction()))
        return fenetres->montrerModal(dialogue);
    return dialogue.exec();
}

} // namespace corvanel
