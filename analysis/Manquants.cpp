#include "analysis/Manquants.h"

#include "analysis/Analyse.h"
#include "analysis/MoteurAnalyse.h"

#include <QDirIterator>
#include <QHash>
#include <QSet>

#include <algorithm>
#include <memory>

namespace corvanel {

void parcourirConsists(const QString &dossierConsists, const QString &dossierTrainset, const SurVehicule &surVehicule,
                       const Avancement &avancement, const Battement &battement)
{
    qsizetype total = 0;
    SuiviAnalyse suivi;
    suivi.liste = [&total](qsizetype fichiers) { total = fichiers; };
    if (avancement)
        suivi.avance = [&](qsizetype passes) { avancement(passes, total); };
    suivi.battement = battement;
    suivi.consist = [&surVehicule](const ConsistJuge &c) {
        for (const VehiculeLu &v : c.vehicules)
            if (v.saine)
                surVehicule(*c.entree, LigneVehicule{true, true, v.nom, v.dossier, v.extension}, v.existe);
    };
    auto moteur = std::make_unique<MoteurAnalyse>(dossierConsists, dossierTrainset);
    moteur->analyser(Profondeur::Entiere, suivi);
    libererSansBloquer(moteur);
}

QString cleVehicule(QStringView dossier, QStringView fichier)
{
    QString cle = dossier.toString().replace(u'\\', u'/').toCaseFolded();
    cle += QChar(0);
    cle += fichier.toString().toCaseFolded();
    return cle;
}

void trierSansCasse(QStringList &chemins)
{
    std::sort(chemins.begin(), chemins.end(), [](const QString &a, const QString &b) {
        const int c = QString::compare(a, b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
}

namespace {

// Calls `surFichier` with the name and the path relative to the trainset
// ("/" between components) of every file below it.
template <typename Fonction> void parcourirTrainset(const QString &dossierTrainset, Fonction surFichier)
{
    QString base = dossierTrainset;
    while (base.size() > 1 && (base.endsWith(u'/') || base.endsWith(u'\\')))
        base.chop(1);
    // Without FollowSymlinks a link to a folder is not entered: a link loop
    // or a link to the whole disk cannot make the walk endless.
    QDirIterator it(base, QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        surFichier(it.fileName(), it.filePath().mid(base.size() + 1));
    }
}

} // namespace

QHash<QString, QStringList> trouverDansTrainset(const QString &dossierTrainset, const QSet<QString> &noms)
{
    QHash<QString, QStringList> trouves;
    if (noms.isEmpty())
        return trouves;
    parcourirTrainset(dossierTrainset, [&](const QString &nom, const QString &relatif) {
        const QString cle = nom.toCaseFolded();
        if (noms.contains(cle))
            trouves[cle].append(relatif);
    });
    for (QStringList &chemins : trouves)
        trierSansCasse(chemins);
    return trouves;
}

QStringList vehiculesDuTrainset(const QString &dossierTrainset, const QString &extension)
{
    QStringList vehicules;
    parcourirTrainset(dossierTrainset, [&](const QString &nom, const QString &relatif) {
        if (nom.size() > extension.size() && nom.endsWith(extension, Qt::CaseInsensitive))
            vehicules.append(relatif);
    });
    trierSansCasse(vehicules);
    return vehicules;
}

QList<VehiculeManquant> chercherManquants(const QString &dossierConsists, const QString &dossierTrainset,
                                          const Avancement &avancement, const Battement &battement)
{
    QList<VehiculeManquant> lignes;
    QHash<QString, qsizetype> index;
    parcourirConsists(
        dossierConsists, dossierTrainset,
        [&](const EntreeDossier &consist, const LigneVehicule &v, bool existe) {
            if (existe)
                return;
            const QString fichier = v.nom.toString() + v.extension.toString();
            const QString cle = cleVehicule(v.dossier, fichier);
            auto it = index.constFind(cle);
            if (it == index.constEnd()) {
                it = index.insert(cle, lignes.size());
                lignes.append({v.dossier.toString(), fichier, {}, {}});
            }
            QStringList &consists = lignes[*it].consists;
            // Consists come one after the other: a repeat is the last one.
            if (consists.isEmpty() || consists.constLast() != consist.nom)
                consists.append(consist.nom);
        },
        avancement, battement);

    // Tens of thousands of rows on a large installation: the walk of the
    // trainset and the sort run off the window's thread.
    sansBloquer([&lignes, &index, &dossierTrainset] {
        index = {};
        QSet<QString> noms;
        for (const VehiculeManquant &l : std::as_const(lignes))
            noms.insert(l.fichier.toCaseFolded());
        const QHash<QString, QStringList> trouves = trouverDansTrainset(dossierTrainset, noms);
        for (VehiculeManquant &l : lignes)
            l.ailleurs = trouves.value(l.fichier.toCaseFolded());
        std::sort(lignes.begin(), lignes.end(), [](const VehiculeManquant &a, const VehiculeManquant &b) {
            if (a.consists.size() != b.consists.size())
                return a.consists.size() > b.consists.size();
            for (const auto &[x, y] : {std::pair{&a.dossier, &b.dossier}, std::pair{&a.fichier, &b.fichier}}) {
                const int c = QString::compare(*x, *y, Qt::CaseInsensitive);
                if (c != 0)
                    return c < 0;
            }
            return a.dossier != b.dossier ? a.dossier < b.dossier : a.fichier < b.fichier;
        });
    });
    return lignes;
}

QString champCsv(const QString &texte)
{
    if (!texte.contains(u',') && !texte.contains(u'"') && !texte.contains(u'\r') && !texte.contains(u'\n'))
        return texte;
    return u'"' + QString(texte).replace(QStringLiteral("\""), QStringLiteral("\"\"")) + u'"';
}

QByteArray csvManquants(const QList<VehiculeManquant> &lignes)
{
    QString texte;
    for (const VehiculeManquant &l : lignes) {
        texte += champCsv(l.dossier) + u',' + champCsv(l.fichier) + u',' + QString::number(l.consists.size()) + u',' +
                 champCsv(l.ailleurs.join(u';')) + u'\n';
    }
    return texte.toUtf8();
}

} // namespace corvanel
