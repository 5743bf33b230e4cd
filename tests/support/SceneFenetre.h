#pragma once
// A main window in a sandbox, as start-up leaves it: a program folder with
// the shipped language files, an empty game folder (train.exe, launcher.exe,
// TRAINS/CONSISTS, TRAINS/TRAINSET), the scripted seam and the window shown
// with its captions. Tests derive from it to add their own helpers.
#include "support/Bac.h"
#include "support/InteractionScriptee.h"
#include "ui/frmCorvanel.h"

#include <functional>
#include <memory>

namespace corvanel::test {

struct SceneFenetre {
    Bac bac;
    InteractionScriptee seam;
    std::unique_ptr<frmCorvanel> f;
    QString jeu; // the game folder, ending in "/"

    explicit SceneFenetre(const QString &langue = QStringLiteral("crv-1.0.7-french.lng"));
    virtual ~SceneFenetre();

    // Writes a file in the consist folder, or in the trainset folder.
    QString ecrireConsist(const QString &nom, const QByteArray &octets)
    {
        return bac.ecrire(QStringLiteral("MSTS/TRAINS/CONSISTS/") + nom, octets);
    }
    QString ecrireVehicule(const QString &relatif, const QByteArray &octets = "SIMISA")
    {
        return bac.ecrire(QStringLiteral("MSTS/TRAINS/TRAINSET/") + relatif, octets);
    }
    // A text of the language file in use.
    QString L(const QString &section, const QString &cle) const;
    QString M(const char *cle) const { return L(QStringLiteral("Messages"), QString::fromLatin1(cle)); }
    static Message critique(const QString &texte) { return {texte, Boutons::OK, Icone::Critique}; }
    // The list as a scan leaves it (entries given, list enabled), the given
    // entries selected; and the entries it holds.
    void lister(const QStringList &noms, const QList<int> &selection = {});
    QStringList liste() const;
    // Which commands the window offers, one letter each, upper case when
    // enabled: "RDNMSTXL FOA EPG" for the buttons Rechercher, rapport
    // Détaillé, Nettoyer, déplacer (Move), Supprimer, Tout and X (select all,
    // none) and the List; the menus Fichier, Outils, Aide; the items Editer,
    // Propriétés, enreGistrer la liste.
    QString commandes() const;

    // Runs `commande` on `fenetre`, shown; each time it lets events through,
    // tries to close the window (close(), Escape) and checks it stays with
    // `fermer` disabled. Returns how many times it did.
    int essaisDeFermeture(QWidget &fenetre, const QWidget &fermer, const std::function<void()> &commande);

private:
    QByteArray m_maison;
};

} // namespace corvanel::test
