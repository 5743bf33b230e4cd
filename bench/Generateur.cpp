#include "bench/Generateur.h"

#include <QDir>
#include <QFile>
#include <QSet>

#include <dirent.h>
#include <random>

namespace corvanel::bench {

namespace {

void ecrire(const QString &chemin, const QByteArray &octets)
{
    QFile f(chemin);
    if (!f.open(QIODevice::WriteOnly) || f.write(octets) != octets.size())
        qFatal("cannot write %s", qPrintable(chemin));
}

// The text in the encoding a consist is saved in: most in Windows-1252 or
// UTF-16 LE with its mark, as the game's editors save them, a few in UTF-8.
QByteArray encoder(const QString &texte, int pourcent)
{
    if (pourcent < 55) {
        QByteArray o = texte.toLatin1(); // the names hold Latin-1 letters only
        return o;
    }
    if (pourcent < 95)
        return "\xFF\xFE" + QByteArray(reinterpret_cast<const char *>(texte.utf16()), texte.size() * 2);
    return "\xEF\xBB\xBF" + texte.toUtf8();
}

// The spelling a consist gives a name: mostly as on disk, sometimes in
// other letter case (the game ignores it).
QString casse(const QString &nom, int tirage)
{
    switch (tirage % 9) {
    case 0:
        return nom.toUpper();
    case 1:
        return nom.toLower();
    default:
        return nom;
    }
}

// The letter case `k` (0 to 7) of a vehicle line: its folder and name spelt
// together as add-ons from many authors spell the same vehicle.
QString variante(const QString &nom, int k, bool dossier)
{
    switch (k) {
    case 0:
        return nom;
    case 1:
        return nom.toUpper();
    case 2:
        return nom.toLower();
    case 3:
        return dossier ? nom.toUpper() : nom.toLower();
    case 4:
        return dossier ? nom.toLower() : nom.toUpper();
    default:
        break;
    }
    QString v = nom;
    bool debutMot = true;
    for (qsizetype i = 0; i < v.size(); ++i) {
        const QChar c = v[i];
        if (k == 5) // every letter's case turned over
            v[i] = c.isUpper() ? c.toLower() : c.toUpper();
        else if (k == 6) // each word capitalised
            v[i] = debutMot ? c.toUpper() : c.toLower();
        else // alternately
            v[i] = i % 2 ? c.toLower() : c.toUpper();
        debutMot = !c.isLetterOrNumber();
    }
    return v;
}

struct Vehicule {
    QString nom; // without extension
    bool moteur = false;
};

} // namespace

Bilan generer(const QString &racine, const Taille &t)
{
    std::mt19937 alea(20021003);
    const auto tirer = [&](int n) { return int(alea() % unsigned(n)); };
    Bilan bilan;
    const QString jeu = racine + QStringLiteral("/MSTS");
    const QString trainset = jeu + QStringLiteral("/TRAINS/TRAINSET/");
    const QString consists = jeu + QStringLiteral("/TRAINS/CONSISTS/");
    QDir().mkpath(trainset);
    QDir().mkpath(consists);
    ecrire(jeu + QStringLiteral("/train.exe"), "MZ");
    ecrire(jeu + QStringLiteral("/launcher.exe"), "MZ");

    // Distinct folder and vehicle names, a few with accented letters.
    const QStringList marques = {QStringLiteral("SNCF"),   QStringLiteral("DB"),          QStringLiteral("BR"),
                                 QStringLiteral("Amtrak"), QStringLiteral("Chemins_Fér"), QStringLiteral("ÖBB")};
    QStringList dossiers;
    QList<QList<Vehicule>> vehicules;
    for (int d = 0; d < t.dossiers; ++d) {
        const QString dossier =
            QStringLiteral("%1 %2_%3").arg(marques[d % marques.size()]).arg(1000 + tirer(9000)).arg(d);
        QDir().mkpath(trainset + dossier);
        QList<Vehicule> liste;
        const int n = 2 + tirer(6);
        for (int v = 0; v < n; ++v) {
            Vehicule ve{QStringLiteral("%1_%2%3").arg(dossier.section(u' ', 1)).arg(v == 0 ? "Loco" : "Wagon").arg(v),
                        v == 0};
            ecrire(trainset + dossier + u'/' + ve.nom + (ve.moteur ? QStringLiteral(".eng") : QStringLiteral(".wag")),
                   "SIMISA@@@@@@@@@@JINX0D0t______\r\n");
            liste << ve;
        }
        dossiers << dossier;
        vehicules << liste;
    }

    QSet<QString> graphies, nommes;
    for (int c = 0; c < t.consists; ++c) {
        QString texte =
            QStringLiteral("SIMISA@@@@@@@@@@JINX0D0t______\r\n\r\nTrain (\r\n\tTrainCfg ( \"Consist %1\"\r\n"
                           "\t\tName ( \"Consist %1\" )\r\n\t\tSerial ( 1 )\r\n"
                           "\t\tMaxVelocity ( 33.52800 0.10000 )\r\n\t\tDurability ( 1.00000 )\r\n")
                .arg(c);
        const int lignes = t.lignesMin + tirer(t.lignesMax - t.lignesMin + 1);
        // Invalid by one faulty line somewhere: a removed vehicle or folder,
        // or a line that cannot be taken apart.
        const bool invalide = tirer(1000) < t.invalidesPourMille;
        const int fautive = invalide ? tirer(lignes) : -1;
        for (int l = 0; l < lignes; ++l) {
            const int d = tirer(t.dossiers);
            const Vehicule &v = vehicules[d][l == 0 ? 0 : tirer(int(vehicules[d].size()))];
            // Drawn alike on both kinds of tree: the same vehicles, lines and
            // faults, only spelt otherwise.
            const int tirageDossier = tirer(1000);
            const int tirageNom = tirer(1000);
            QString dossier = t.casses > 0 ? variante(dossiers[d], tirageDossier % t.casses, true)
                                           : casse(dossiers[d], tirageDossier);
            QString nom = t.casses > 0 ? variante(v.nom, tirageDossier % t.casses, false) : casse(v.nom, tirageNom);
            bool guillemets = dossier.contains(u' ');
            if (l == fautive) {
                switch (tirer(4)) {
                case 0:
                    nom += QStringLiteral("_old");
                    break;
                case 1:
                    dossier = QStringLiteral("Gone_%1").arg(d);
                    guillemets = false;
                    break;
                case 2:
                    dossier.clear(); // "( Name )": cannot be taken apart
                    guillemets = false;
                    break;
                default:
                    nom = QStringLiteral("Wagon \"%1").arg(d); // an unclosed quote
                    break;
                }
            }
            const QString cle = v.moteur ? QStringLiteral("EngineData") : QStringLiteral("WagonData");
            const QString bloc = v.moteur ? QStringLiteral("Engine") : QStringLiteral("Wagon");
            const QString dossierEcrit = guillemets ? u'"' + dossier + u'"' : dossier;
            texte += QStringLiteral("\t\t%1 (\r\n\t\t\tUiD ( %2 )\r\n\t\t\t%3 ( %4 %5 )\r\n\t\t)\r\n")
                         .arg(bloc)
                         .arg(l)
                         .arg(cle, nom, dossierEcrit);
            ++bilan.lignesVehicule;
            if (!dossier.isEmpty() && !nom.contains(u'"')) {
                const QString ecrit =
                    dossier + u'/' + nom + (v.moteur ? QStringLiteral(".eng") : QStringLiteral(".wag"));
                graphies.insert(ecrit);
                nommes.insert(ecrit.toCaseFolded());
            }
        }
        texte += QStringLiteral("\t)\r\n)\r\n");
        const QByteArray octets = encoder(texte, tirer(100));
        bilan.octets += octets.size();
        if (invalide)
            ++bilan.invalidesAttendus;
        ecrire(consists + QStringLiteral("Consist_%1.con").arg(c, 6, 10, QLatin1Char('0')), octets);
    }
    bilan.graphies = graphies.size();
    bilan.vehiculesNommes = nommes.size();
    return bilan;
}

std::vector<QByteArray> nomsDuDossier(const QByteArray &dossier)
{
    DIR *d = opendir(dossier.constData());
    if (!d)
        qFatal("cannot list %s", dossier.constData());
    std::vector<QByteArray> noms;
    while (const dirent *e = readdir(d)) {
        if (e->d_name[0] != '.')
            noms.emplace_back(e->d_name);
    }
    closedir(d);
    return noms;
}

} // namespace corvanel::bench
