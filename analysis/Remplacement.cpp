#include "analysis/Remplacement.h"

#include "analysis/Analyse.h"
#include "analysis/LecteurRoutes.h"
#include "analysis/MoteurAnalyse.h"
#include "analysis/Sauvegardes.h"
#include "analysis/Utilisations.h"
#include "analysis/Vehicules.h"
#include "fileops/DossierOuvert.h"
#include "fileops/SystemeFichiers.h"
#include "platform/ErreurExecution.h"
#include "platform/ListeDossier.h"
#include "platform/Texte.h"

#include <QStringDecoder>

#include <cerrno>

namespace corvanel {

QString CheminVehicule::texte() const
{
    return QString(dossier).replace(u'\\', u'/') + u'/' + nom + extension;
}

std::optional<CheminVehicule> analyserCheminVehicule(const QString &relatif)
{
    const qsizetype barre = std::max(relatif.lastIndexOf(u'/'), relatif.lastIndexOf(u'\\'));
    if (barre <= 0)
        return std::nullopt;
    const QString fichier = relatif.mid(barre + 1);
    const QString extension = fichier.right(4).toLower();
    if ((extension != u".eng" && extension != u".wag") || fichier.size() <= 4)
        return std::nullopt;
    const QString dossier = relatif.left(barre);
    for (const QString &composant : QString(dossier).replace(u'\\', u'/').split(u'/')) {
        if (composant.isEmpty() || composant == u"." || composant == u"..")
            return std::nullopt;
    }
    return CheminVehicule{dossier, fichier.chopped(4), extension};
}

std::optional<CheminVehicule> vehiculeSurDisque(const QString &dossierTrainset, const CheminVehicule &demande)
{
    VerificateurVehicules vehicules(dossierTrainset);
    const auto chemin = vehicules.fichierSurDisque(demande.texte());
    if (!chemin || chemin->contains(u'"'))
        return std::nullopt;
    auto trouve = analyserCheminVehicule(*chemin);
    if (!trouve)
        return std::nullopt;
    // The extension as the consist's keyword decides it; the folder as the
    // game's own consists write it.
    trouve->dossier.replace(u'/', u'\\');
    return trouve;
}

namespace {

struct Forme {
    Codage codage = Codage::Ansi;
    qsizetype debut = 0; // bytes of the byte-order mark
    qsizetype unite = 1; // bytes per code unit
};

Forme reconnaitre(QByteArrayView o)
{
    if (o.startsWith("\xFF\xFE"))
        return {Codage::Utf16LE, 2, 2};
    if (o.startsWith("\xFE\xFF"))
        return {Codage::Utf16BE, 2, 2};
    if (o.startsWith("\xEF\xBB\xBF"))
        return {Codage::Utf8, 3, 1};
    return {};
}

QByteArray encoder(QStringView t, Codage codage)
{
    switch (codage) {
    case Codage::Ansi:
        return versAnsi(t);
    case Codage::Utf8:
        return t.toUtf8();
    default:
        break;
    }
    QByteArray o;
    o.reserve(t.size() * 2);
    for (QChar c : t) {
        const char16_t u = c.unicode();
        const char haut = char(u >> 8), bas = char(u & 0xFF);
        if (codage == Codage::Utf16LE)
            o.append(bas).append(haut);
        else
            o.append(haut).append(bas);
    }
    return o;
}

QString plier(QStringView t)
{
    return t.toString().replace(u'\\', u'/').toCaseFolded();
}

} // namespace

Substitution substituer(QByteArrayView octets, const CheminVehicule &ancien, const CheminVehicule &nouveau,
                        const QList<qsizetype> *seulement)
{
    Substitution s;
    const Forme f = reconnaitre(octets);
    const qsizetype unites = (octets.size() - f.debut) / f.unite;
    const auto *o = reinterpret_cast<const unsigned char *>(octets.data());
    const auto unite = [&](qsizetype i) -> char16_t {
        const qsizetype p = f.debut + i * f.unite;
        if (f.unite == 1)
            return o[p];
        return f.codage == Codage::Utf16LE ? char16_t(o[p] | (o[p + 1] << 8)) : char16_t((o[p] << 8) | o[p + 1]);
    };
    const QString dossierPlie = plier(ancien.dossier);
    const QString nomPlie = plier(ancien.nom);
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);

    QByteArray sortie;
    qsizetype copie = 0; // bytes of `octets` already in `sortie`
    qsizetype numero = -1;
    qsizetype suivante = 0; // in `seulement`
    for (qsizetype i = 0; i < unites;) {
        qsizetype j = i;
        while (j < unites && unite(j) != u'\r' && unite(j) != u'\n')
            ++j;
        // Line ends are where the reader has them (CR, LF, CR LF): a line
        // between a CR and its LF is empty and names nothing.
        const qsizetype premiere = i;
        const qsizetype debutLigne = f.debut + i * f.unite;
        const QByteArrayView brut = octets.sliced(debutLigne, (j - i) * f.unite);
        i = j + 1;
        ++numero;
        if (seulement) {
            if (suivante >= seulement->size())
                break;
            if (seulement->at(suivante) != numero)
                continue;
            ++suivante;
        }
        if (f.codage != Codage::Utf16LE && f.codage != Codage::Utf16BE && !brut.contains("Data"))
            continue;
        QString ligne;
        if (f.codage == Codage::Ansi) {
            ligne = depuisAnsi(brut);
        } else if (f.codage == Codage::Utf8) {
            ligne = utf8.decode(brut);
        } else {
            ligne.resize(j - premiere);
            for (qsizetype k = 0; k < ligne.size(); ++k)
                ligne[k] = QChar(unite(premiere + k));
        }
        const QStringView vue = QStringView(ligne).first(std::min(ligne.size(), LongueurLigneMax));
        const LigneVehicule v = analyserLigne(vue);
        if (!v.vehicule || !v.saine || v.extension != ancien.extension || plier(v.dossier) != dossierPlie ||
            plier(v.nom) != nomPlie)
            continue;
        ++s.lignes;
        const bool utf8Exact = f.codage != Codage::Utf8 || ligne.toUtf8() == brut;
        if (!utf8Exact) {
            s.utf8Invalide = true;
            continue;
        }
        // Where a character of the line starts among the file's bytes.
        const auto position = [&](qsizetype k) {
            if (f.codage == Codage::Utf8)
                return debutLigne + QStringView(ligne).first(k).toUtf8().size();
            return debutLigne + k * f.unite;
        };
        // The name comes before the folder in every line the rules take apart.
        for (const auto &[jeton, remplacant] :
             {std::pair{v.nom, &nouveau.nom}, std::pair{v.dossier, &nouveau.dossier}}) {
            const qsizetype k = jeton.data() - vue.data();
            const qsizetype fin = k + jeton.size();
            const bool entreGuillemets = k > 0 && vue[k - 1] == u'"' && fin < vue.size() && vue[fin] == u'"';
            QString texte = *remplacant;
            if (!entreGuillemets && texte.contains(u' '))
                texte = u'"' + texte + u'"';
            const QByteArray neufs = encoder(texte, f.codage);
            if (f.codage == Codage::Ansi && depuisAnsi(neufs) != texte)
                s.intraduisible = true;
            sortie += octets.sliced(copie, position(k) - copie);
            sortie += neufs;
            copie = position(fin);
        }
    }
    if (s.lignes > 0 && !s.intraduisible && !s.utf8Invalide) {
        sortie += octets.sliced(copie);
        s.octets = std::move(sortie);
    }
    return s;
}

Substitution substituerActivite(QByteArrayView octets, const CheminVehicule &ancien, const CheminVehicule &nouveau)
{
    const QString texte = decoderTexte(octets);
    // Most activities do not name OLD at all: not worth taking apart.
    if (!texte.contains(ancien.nom, Qt::CaseInsensitive))
        return {};
    const QList<qsizetype> lignes = lignesVehiculesLibres(texte);
    if (lignes.isEmpty())
        return {};
    return substituer(octets, ancien, nouveau, &lignes);
}

QString cheminActivite(const QString &route, const QString &fichier)
{
    return QStringLiteral("ROUTES/") + route + QStringLiteral("/ACTIVITIES/") + fichier;
}

namespace {

struct ActiviteDuJeu {
    QString route;
    FichierRoute fichier;
};

// Every activity of the game's routes, by route then file, letter case
// ignored, then exactly.
QList<ActiviteDuJeu> activitesDuJeu(const QString &dossierJeu)
{
    QList<ActiviteDuJeu> activites;
    for (const DossierRoute &r : dossiersRoutes(dossierJeu)) {
        for (FichierRoute &f : fichiersRoute(r.chemin, u"ACTIVITIES", {QStringLiteral(".act")}))
            activites.append({r.nom, std::move(f)});
    }
    std::stable_sort(activites.begin(), activites.end(), [](const ActiviteDuJeu &a, const ActiviteDuJeu &b) {
        if (a.route != b.route)
            return avantSansCasse(a.route, b.route);
        return avantSansCasse(a.fichier.entree.nom, b.fichier.entree.nom);
    });
    return activites;
}

} // namespace

Bilan remplacer(const DemandeRemplacement &d)
{
    Bilan b;
    const QString dossier = d.dossierConsists;
    // Held from before the listing to the last write: every consist is
    // written into this folder, whatever its path leads to meanwhile.
    const sf::DossierOuvert consists(dossier);
    std::optional<EcrivainSauvegarde> sauvegarde;
    DossiersActivites dossiersActivites;
    EcrituresConsists ecritures(b, d.battement, consists);

    // Once a file's new bytes are known, consist or activity (`route` not
    // empty), the same rules: what may leave it, then its backup and its
    // write. Throws Laisse, or the failure, for a file left.
    const auto changer = [&](const sf::DossierOuvert &dans, const EntreeDossier &f, const QString &route,
                             const QByteArray &octets, const Substitution &s) {
        if (s.intraduisible || s.utf8Invalide)
            throw Laisse{s.intraduisible ? Motif::Codage : Motif::Utf8Invalide};
        // A name on disk that no path reaches cannot be written back.
        if (nomInjoignable(f))
            throw sf::erreurSysteme(EILSEQ);
        // A link out of the folder would have the replacement write a file
        // the game folder does not hold.
        dans.verifierLien(f.nom);
        if (sf::lireAttributs(dans.chemin(f.nom)) & (sf::LectureSeule | sf::Cache)) {
            if (!d.autoriser)
                throw Laisse{Motif::LectureSeule};
            if (!d.autoriser(route.isEmpty() ? f.nom : cheminActivite(route, f.nom)))
                throw Laisse{Motif::Refuse};
        }
        if (d.simulation || s.octets == octets) {
            ecritures.dejaFait(f.nom, route);
            return;
        }
        // Made before the first file is written, never after: a folder that
        // cannot be made stops the whole replacement.
        if (!sauvegarde) {
            sauvegarde.emplace(d.dossierJeu, dossier, d.ancien.texte(), d.nouveau.texte());
            b.sauvegarde = sauvegarde->dossier();
            ecritures.sauvegarderDans(&*sauvegarde);
        }
        ecritures.ecrire(dans, route, f.nom, octets, s.octets);
    };

    qsizetype total = 0;
    SuiviAnalyse suivi;
    suivi.liste = [&total](qsizetype fichiers) { total = fichiers; };
    if (d.avancement)
        suivi.avance = [&](qsizetype passes) { d.avancement(passes, total); };
    suivi.battement = d.battement;
    suivi.consist = [&](const ConsistJuge &c) {
        const EntreeDossier &f = *c.entree;
        pourUnFichier(
            [&] {
                if (c.disparu)
                    return;
                if (c.erreur != 0)
                    throw sf::erreurSysteme(c.erreur);
                const QByteArray octets = c.octets.toByteArray();
                const Substitution s = substituer(octets, d.ancien, d.nouveau);
                if (s.lignes > 0)
                    changer(consists, f, {}, octets, s);
            },
            [&](Motif m, const QString &detail) {
                ecritures.laisser({f.nom, m, detail});
            });
    };
    auto moteur = std::make_unique<MoteurAnalyse>(dossier, QString());
    moteur->analyser(Profondeur::Octets, suivi);
    libererSansBloquer(moteur);

    // Then the loose consists, by the same rules.
    const QList<ActiviteDuJeu> activites = activitesDuJeu(d.dossierJeu);
    for (qsizetype i = 0; i < activites.size(); ++i) {
        if (d.avancement)
            d.avancement(i + 1, activites.size());
        else if (d.battement)
            d.battement();
        const ActiviteDuJeu &a = activites[i];
        const EntreeDossier &f = a.fichier.entree;
        pourUnFichier(
            [&] {
                int err = 0;
                const std::optional<QByteArray> octets = octetsDeFichier(a.fichier.dossier, f, err);
                if (!octets)
                    throw sf::erreurSysteme(err);
                const Substitution s = substituerActivite(*octets, d.ancien, d.nouveau);
                if (s.lignes > 0)
                    changer(dossiersActivites.ouvrir(a.fichier.dossier), f, a.route, *octets, s);
            },
            [&](Motif m, const QString &detail) {
                ecritures.laisser({cheminActivite(a.route, f.nom), m, detail}, true);
            });
    }
    ecritures.terminer();
    return b;
}

} // namespace corvanel
