#include "support/SceneFenetre.h"

#include "app/modSubMain.h"
#include "commun/modDeclarations.h"
#include "localisation/LireLangue.h"

#include <QAction>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTest>

namespace corvanel::test {

SceneFenetre::SceneFenetre(const QString &langue) : m_maison(qgetenv("HOME"))
{
    // Qt takes the home's trash (the sandbox's) only for what lies on the
    // home's volume; elsewhere it makes one at the top of the volume.
    qputenv("HOME", QFile::encodeName(bac.chemin()));
    bac.preparerProgramme();
    NomFichierLangue = langue;
    FichierLangue = DossierAppli + QStringLiteral("lang/") + langue;
    jeu = bac.creerJeu();
    utiliserDossierJeu(jeu);
    f = std::make_unique<frmCorvanel>();
    TraduireFenetrePrincipale(*f, FichierLangue);
    f->show();
}

SceneFenetre::~SceneFenetre()
{
    qputenv("HOME", m_maison);
}

QString SceneFenetre::L(const QString &section, const QString &cle) const
{
    return LireLangue(FichierLangue, section, cle);
}

void SceneFenetre::lister(const QStringList &noms, const QList<int> &selection)
{
    f->lstLFI->addItems(noms);
    for (int i : selection)
        f->lstLFI->item(i)->setSelected(true);
    f->lstLFI->setEnabled(true);
}

QStringList SceneFenetre::liste() const
{
    QStringList noms;
    for (int i = 0; i < f->lstLFI->count(); ++i)
        noms << f->lstLFI->item(i)->text();
    return noms;
}

QString SceneFenetre::commandes() const
{
    const frmCorvanel &w = *f;
    const bool actifs[] = {w.cmdRechercher->isEnabled(),         w.cmdRapportDetaille->isEnabled(),
                           w.cmdNettoyer->isEnabled(),           w.cmdDeplacerVers->isEnabled(),
                           w.cmdSupprimer->isEnabled(),          w.cmdSelectionner[0]->isEnabled(),
                           w.cmdSelectionner[1]->isEnabled(),    w.lstLFI->isEnabled(),
                           frmCorvanel::menuActif(w.mnuFichier), frmCorvanel::menuActif(w.mnuOutils),
                           frmCorvanel::menuActif(w.mnuAide),    w.mnuEditerFichier->isEnabled(),
                           w.mnuProprietesFichier->isEnabled(),  w.mnuEnregistrerListe->isEnabled()};
    QString lettres = QStringLiteral("RDNMSTXL FOA EPG");
    for (qsizetype i = 0, j = 0; i < lettres.size(); ++i)
        if (lettres[i] != u' ' && !actifs[j++])
            lettres[i] = lettres[i].toLower();
    return lettres;
}

int SceneFenetre::essaisDeFermeture(QWidget &fenetre, const QWidget &fermer, const std::function<void()> &commande)
{
    fenetre.show();
    if (!QTest::qWaitForWindowExposed(&fenetre))
        return 0;
    int essais = 0;
    bool resiste = true;
    seam.pendantEvenements = [&] {
        ++essais;
        resiste = resiste && !fenetre.close();
        QTest::keyClick(&fenetre, Qt::Key_Escape);
        resiste = resiste && fenetre.isVisible() && !fermer.isEnabled();
    };
    commande();
    seam.pendantEvenements = nullptr;
    return resiste ? essais : -1;
}

} // namespace corvanel::test
