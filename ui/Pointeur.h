#pragma once
// The screen's mouse pointer, telling the user the program is busy: the arrow with
// hourglass during start-up, the hourglass during long commands.
namespace corvanel {

enum class Pointeur { ParDefaut, Sablier, FlecheSablier };

void definirPointeur(Pointeur p);
Pointeur pointeurActuel();

} // namespace corvanel
