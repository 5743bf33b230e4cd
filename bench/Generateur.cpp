#include "bench/Generateur.h"

#include <QDir>
#include <QFile>

#include <random>

namespace corvanel::bench {

namespace {

void ecrire(const QString &chemin, const QByteArray &octets)
{
    QFile f(chemin);
    if (!f.open(QIODevice::WriteOnly) || f.write(octets) != octets.size())
        qFatal("cannot write %s", qPrintable(chemin));
}

QByteArray utf16le(const QByteArray &ansi)
{
    QByteArray o;
    o.reserve(ansi.size() * 2 + 2);
    o += "\xFF\xFE";
    for (const char c : ansi) {
        o += c;
        o += '\0';
    }
    return o;
}

} // namespace

Bilan generer(const QString &racine, const Taille &t)
{
    std::mt19937 alea(20021003);
    Bilan bilan;
    const QString jeu = racine + QStringLiteral("/MSTS");
    const QString trainset = jeu + QStringLiteral("/TRAINS/TRAINSET/");
    const QString consists = jeu + QStringLiteral("/TRAINS/CONSISTS/");
    QDir().mkpath(trainset);
    QDir().mkpath(consists);
    ecrire(jeu + QStringLiteral("/train.exe"), "MZ");
    ecrire(jeu + QStringLiteral("/launcher.exe"), "MZ");

    for (int d = 0; d < t.dossiers; ++d) {
        const QString dossier = trainset + QStringLiteral("Set_%1").arg(d, 4, 10, QLatin1Char('0'));
        QDir().mkpath(dossier);
        ecrire(dossier + QStringLiteral("/Loco_%1.eng").arg(d), "SIMISA@@@@@@@@@@JINX0D0t______\r\n");
        for (int w = 0; w < 4; ++w)
            ecrire(dossier + QStringLiteral("/Wagon_%1_%2.wag").arg(d).arg(w), "SIMISA@@@@@@@@@@JINX0D0t______\r\n");
    }

    std::uniform_int_distribution<int> choixDossier(0, t.dossiers - 1);
    std::uniform_int_distribution<int> pourcent(0, 999);
    for (int c = 0; c < t.consists; ++c) {
        QByteArray texte = "SIMISA@@@@@@@@@@JINX0D0t______\r\n\r\nTrain (\r\n\tTrainCfg ( \"Consist " +
                           QByteArray::number(c) + "\"\r\n\t\tName ( \"Consist " + QByteArray::number(c) +
                           "\" )\r\n\t\tSerial ( 1 )\r\n\t\tMaxVelocity ( 33.52800 0.10000 )\r\n\t\tNextWagonUID ( " +
                           QByteArray::number(t.vehiculesParConsist) + " )\r\n\t\tDurability ( 1.00000 )\r\n";
        bool invalide = false;
        for (int v = 0; v < t.vehiculesParConsist; ++v) {
            const int d = choixDossier(alea);
            const int tirage = pourcent(alea);
            QByteArray dossier = "Set_" + QByteArray::number(d).rightJustified(4, '0');
            if (tirage % 7 == 0)
                dossier = dossier.toUpper(); // another letter case than on disk
            if (v == 0) {
                QByteArray nom = "Loco_" + QByteArray::number(d);
                if (tirage < 4) { // a removed engine
                    nom += "_old";
                    invalide = true;
                }
                texte +=
                    "\t\tEngine (\r\n\t\t\tUiD ( 0 )\r\n\t\t\tEngineData ( " + nom + " " + dossier + " )\r\n\t\t)\r\n";
            } else {
                QByteArray ligne = "WagonData ( Wagon_" + QByteArray::number(d) + "_" + QByteArray::number(v % 4) +
                                   " " + dossier + " )";
                if (tirage >= 4 && tirage < 6) { // a removed folder
                    ligne = "WagonData ( Wagon_1_1 Gone_" + QByteArray::number(d) + " )";
                    invalide = true;
                } else if (tirage == 6) { // an unsound line
                    ligne = "WagonData ( Wagon_" + QByteArray::number(d) + " )";
                    invalide = true;
                }
                texte +=
                    "\t\tWagon (\r\n\t\t\t" + ligne + "\r\n\t\t\tUiD ( " + QByteArray::number(v) + " )\r\n\t\t)\r\n";
            }
            ++bilan.lignesVehicule;
        }
        texte += "\t)\r\n)\r\n";
        const QByteArray octets = c % 2 == 0 ? utf16le(texte) : texte;
        bilan.octets += octets.size();
        if (invalide)
            ++bilan.invalidesAttendus;
        ecrire(consists + QStringLiteral("Consist_%1.con").arg(c, 5, 10, QLatin1Char('0')), octets);
    }
    return bilan;
}

} // namespace corvanel::bench
