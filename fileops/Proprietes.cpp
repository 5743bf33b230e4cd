// The "Propriétés du fichier" menu command: the properties dialog for the
// list's current entry.
#include "commun/Interaction.h"
#include "fileops/frmProprietesFichier.h"
#include "ui/Commandes.h"
#include "ui/Modal.h"
#include "ui/frmCorvanel.h"

#include <QListWidget>

namespace corvanel {

void ProprietesFichier(frmCorvanel &f)
{
    // Without a current entry the dialog would be given the consist folder
    // itself, whatever state the menu item was left in.
    if (f.lstLFI->currentRow() < 0)
        return;
    frmProprietesFichier dialogue(&f);
    if (!dialogue.Form_Load(f))
        return;
    montrerModal(dialogue);
}

} // namespace corvanel
