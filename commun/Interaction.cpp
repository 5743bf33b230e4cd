#include "commun/Interaction.h"

#include <cstdlib>

namespace corvanel {

Interaction::~Interaction() = default;

Reponse Interaction::erreur(const QString &texte, const QString &titre)
{
    return message({texte, Boutons::OK, Icone::Critique, titre});
}

Reponse Interaction::information(const QString &texte, const QString &titre)
{
    return message({texte, Boutons::OK, Icone::Information, titre});
}

bool Interaction::question(const QString &texte, Icone icone)
{
    return message({texte, Boutons::OuiNon, icone, QStringLiteral("Corvanel")}) == Reponse::Oui;
}

namespace {
Interaction *g_interaction = nullptr;
}

Interaction &interaction()
{
    if (!g_interaction)
        std::abort(); // a programming error: start-up sets the seam first
    return *g_interaction;
}

void definirInteraction(Interaction *i)
{
    g_interaction = i;
}

void terminerProgramme(int code)
{
    interaction().terminer(code);
    std::abort(); // terminer() never returns
}

void rapportFatal(VarianteRapport v, const ErreurExecution &e)
{
    interaction().erreur(texteRapportFatal(v, e));
    terminerProgramme(1);
}

} // namespace corvanel
