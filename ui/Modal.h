#pragma once
// Modal dialogs: the window side of the interaction seam, kept out of the
// core so that the command line and the core's tests need nothing of the
// widgets.
#include "commun/Interaction.h"

class QDialog;

namespace corvanel {

class InteractionFenetres : public Interaction {
public:
    // Shows a dialog modally and returns its result code (QDialog::exec()).
    virtual int montrerModal(QDialog &dialogue) = 0;
};

// Through the seam in use; a seam that shows no windows leaves it to exec().
int montrerModal(QDialog &dialogue);

} // namespace corvanel
