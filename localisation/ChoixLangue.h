#pragma once
#include "app/Interaction.h"

namespace corvanel {

// The open dialog of Tools > Language: title Msg22, ".lng" files only, an
// existing file, starting in the program's lang folder.
ChoixFichier choixFichierLangue();

} // namespace corvanel
