#pragma once
// The message by which a file command reports one item it could not change
// and then goes on: the item, then the failure as the fatal-error report
// words it, without the report's closing advice, since nothing ends.
#include "fileops/DossierOuvert.h"
#include "platform/ErreurExecution.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

namespace corvanel {

// `chemin` shown with the system's separators, an empty line, then
// "Erreur n° ", the number, ". ", the description and a full stop.
QString texteEchec(const QString &chemin, const ErreurExecution &e);

// Shows it: OK, critical icon, title "Corvanel".
void signalerEchec(const QString &chemin, const ErreurExecution &e);

// Asks, for a command that removes items, before one that the trash did not
// take is deleted for good: Msg150 naming the item and the reason (Msg151 or
// Msg152), Yes, Yes to all and No, No by default. Yes to all answers every
// later item of the same command.
class SuppressionDefinitive {
public:
    // The question for the item `nom`, to hand to DossierOuvert::retirer.
    sf::AvantSuppressionDefinitive pour(const QString &nom);

private:
    bool m_tous = false;
};

// For the choosers of a folder to write into: tries writing a file into
// `dossier`; when that is refused, says so (Error20 naming the folder, an
// empty line, the system's description) and returns true, so that the
// chooser stays open for another choice.
bool refuserDossierSansEcriture(const QString &dossier);

// Run as administrator, the refusal of a command that changes files: the
// first folder or link on the way to one of `dossiers` that another account
// could change (Error40, naming it, why, and how to go on). None when the
// program is not privileged or every step is safe: reading commands never
// ask.
std::optional<QString> refusAdministrateur(const QStringList &dossiers);
// Shows it when there is one; true then, and the command stops.
bool refuserAdministrateur(const QStringList &dossiers);

// The consist folder as the last scan listed it, held open for a command;
// none when it is gone (so is every name in it, which the commands pass
// over as the scan would). Throws NomDeplace when a link or another folder
// stands in its place.
std::unique_ptr<sf::DossierOuvert> ouvrirConsistsListes();

// What a command says of an item it left because its name, or the consist
// folder's, no longer leads to what was listed (Error43).
QString texteNomDeplace(const QString &chemin);

} // namespace corvanel
