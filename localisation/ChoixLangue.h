#pragma once
#include "commun/Interaction.h"

namespace corvanel {

// The open dialog of Tools > Language: title Msg22, ".lng" files only, an
// existing file, starting in the program's lang folder.
ChoixFichier choixFichierLangue();

// Lets the user pick a language file and makes it the one in use and the
// one remembered; false when the user cancelled. The caller puts the texts.
bool ChoisirLangue();

} // namespace corvanel
