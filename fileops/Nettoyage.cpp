// The directory clean-up behind "Nettoyer le répertoire": removes from the
// consist folder every file that is not a consist and every sub-folder,
// asking again for read-only and hidden ones, and reports the counts.
#include "analysis/LecteurConsist.h"
#include "commun/Interaction.h"
#include "commun/modDeclarations.h"
#include "fileops/Echecs.h"
#include "fileops/Impact.h"
#include "fileops/SystemeFichiers.h"
#include "localisation/LireLangue.h"
#include "platform/ErreurExecution.h"
#include "platform/ListeDossier.h"
#include "platform/Texte.h"
#include "ui/Commandes.h"
#include "ui/Pointeur.h"
#include "ui/frmCorvanel.h"

#include <QDir>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>

#include <cerrno>

namespace corvanel {

namespace {

QString message(const char *cle)
{
    return texte(QStringLiteral("Messages"), QString::fromLatin1(cle));
}

struct Element {
    QString nom;
    bool lien = false;
    bool injoignable = false; // see nomInjoignable()
};

// Files and sub-folders of the consist folder, hidden ones included, in the
// order the game's platform lists them. A link to a folder is walked with the
// sub-folders, as the platform lists it; any other link with the files.
// Listed by their bytes: QDir leaves out, without a word, names the system's
// encoding cannot decode, and the folder would be called clean with them in.
void lister(const QString &dossier, QList<Element> &fichiers, QList<Element> &dossiers)
{
    QList<EntreeDossier> entrees = listerDossier(dossier);
    trierCommeLeJeu(entrees);
    for (const EntreeDossier &e : entrees) {
        const bool injoignable = nomInjoignable(e);
        (e.dossier ? dossiers : fichiers).append({e.nom, !injoignable && sf::estLien(dossier + e.nom), injoignable});
    }
}

// Whether the walk sends to the trash, and how much went there; the folder
// it works in, held open from before the listing.
struct Bilan {
    bool corbeille = true;
    qsizetype dansLaCorbeille = 0;
    const sf::DossierOuvert *dossier = nullptr;
    SuppressionDefinitive definitive{};
};

// One item: asked about when read-only or hidden, then removed. True when it
// is gone. A failure is shown with the item's name and the walk goes on;
// the item stays and is not counted.
bool retirer(const Element &e, bool dossier, Bilan &bilan)
{
    const QString chemin = bilan.dossier->chemin(e.nom);
    // What is mounted there (another disk, or the consist folder itself seen
    // a second time) is not the clean-up's: told, and left whole.
    const auto autreMontage = [](const QString &dossier) {
        interaction().erreur(avecSautsDeLigne(remplacer(texte(QStringLiteral("Errors"), QStringLiteral("Error17")),
                                                        u"[folder]", QDir::toNativeSeparators(dossier))));
        return false;
    };
    std::optional<sf::EtatAttributs> attributs;
    try {
        if (e.injoignable)
            throw sf::erreurSysteme(EILSEQ);
        if (dossier && !e.lien && sf::surAutreMontage(chemin))
            return autreMontage(chemin);
        if (sf::lireAttributs(chemin) & (sf::LectureSeule | sf::Cache)) {
            const QString question = dossier ? remplacer(message("Msg25"), u"[folder]", e.nom)
                                             : remplacer(message("Msg06"), u"[file]", e.nom);
            if (!interaction().question(avecSautsDeLigne(question)))
                return false;
            // The folder may have been swapped while the question was open.
            bilan.dossier->verifier(e.nom);
            attributs = sf::rendreNormal(chemin);
        }
        // A link goes as a link: what it points at may lie outside the
        // consist folder, and nothing there is the clean-up's.
        switch (bilan.dossier->retirer(e.nom, bilan.corbeille, bilan.definitive.pour(e.nom))) {
        case sf::Retrait::Corbeille:
            ++bilan.dansLaCorbeille;
            return true;
        case sf::Retrait::Supprime:
            return true;
        case sf::Retrait::Laisse:
            break;
        }
        sf::remettre(chemin, attributs);
        return false;
    } catch (const sf::NomDeplace &n) {
        // Its path leads elsewhere now: nothing is put back through it.
        interaction().erreur(texteNomDeplace(n.chemin));
        return false;
    } catch (const ErreurExecution &err) {
        sf::remettre(chemin, attributs);
        signalerEchec(chemin, err);
        return false;
    } catch (const sf::AutreMontage &m) {
        sf::remettre(chemin, attributs);
        return autreMontage(m.chemin);
    }
}

void parcourir(frmCorvanel &f, const QList<Element> &elements, bool dossiers, std::int64_t &compte, Bilan &bilan)
{
    if (elements.isEmpty())
        return;
    f.pbJauge->setMinimum(0);
    f.pbJauge->setMaximum(static_cast<int>(elements.size()));
    f.pbJauge->setValue(0);
    for (const Element &e : elements) {
        f.pbJauge->setValue(f.pbJauge->value() + 1);
        if (!dossiers && estNomConsist(e.nom))
            continue;
        if (retirer(e, dossiers, bilan))
            ++compte;
    }
}

} // namespace

void NettoyerRepertoire(frmCorvanel &f)
{
    if (refuserAdministrateur({DossierConsists}) || !interaction().question(message("Msg28")))
        return;

    definirPointeur(Pointeur::Sablier);
    f.occuper();
    f.lstLFI->clear();
    // The list has no current entry any more: the items that need one follow.
    f.lstLFI_Click();
    f.informations(QStringLiteral(" \r\n") + message("Msg10"));

    Compteur = 0;
    Compteur2 = 0;
    QList<Element> fichiers;
    QList<Element> dossiers;
    std::optional<sf::DossierOuvert> dossier;
    try {
        dossier.emplace(DossierConsists);
        lister(DossierConsists, fichiers, dossiers);
        dossier->verifier(QString());
    } catch (const ErreurExecution &e) {
        signalerEchec(DossierConsists, e);
        fichiers.clear();
        dossiers.clear();
    } catch (const sf::NomDeplace &n) {
        interaction().erreur(texteNomDeplace(n.chemin));
        fichiers.clear();
        dossiers.clear();
    }
    Bilan bilan{corbeilleVoulue(), 0, dossier ? &*dossier : nullptr, {}};
    parcourir(f, fichiers, false, Compteur, bilan);
    f.informations(QStringLiteral(" \r\n") + message("Msg24"));
    parcourir(f, dossiers, true, Compteur2, bilan);

    // The normal end runs whatever happened above: it alone gives the
    // pointer and the commands back.
    f.pbJauge->setValue(0);
    f.informations(QString());
    QString fin = remplacer(message("Msg26"), u"[numfile]", QString::number(Compteur));
    fin = remplacer(fin, u"[numfolder]", QString::number(Compteur2));
    interaction().information(avecLigneCorbeille(avecSautsDeLigne(fin), bilan.corbeille, bilan.dansLaCorbeille));
    definirPointeur(Pointeur::ParDefaut);
    f.liberer();
}

} // namespace corvanel
