#include "support/SceneFenetre.h"

#include "app/modDeclarations.h"
#include "localisation/LireLangue.h"

namespace corvanel::test {

SceneFenetre::SceneFenetre(const QString &langue)
{
    bac.preparerProgramme();
    bac.utiliserLangue(langue);
    jeu = bac.creerJeu();
    Bac::utiliserJeu(jeu);
    f = std::make_unique<frmCorvanel>();
    TraduireFenetrePrincipale(*f, FichierLangue);
    f->show();
}

SceneFenetre::~SceneFenetre() = default;

QString SceneFenetre::ecrireConsist(const QString &nom, const QByteArray &octets)
{
    return bac.ecrire(QStringLiteral("MSTS/TRAINS/CONSISTS/") + nom, octets);
}

QString SceneFenetre::ecrireVehicule(const QString &relatif, const QByteArray &octets)
{
    return bac.ecrire(QStringLiteral("MSTS/TRAINS/TRAINSET/") + relatif, octets);
}

QString SceneFenetre::L(const QString &section, const QString &cle) const
{
    return LireLangue(FichierLangue, section, cle);
}

} // namespace corvanel::test
