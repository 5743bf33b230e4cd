#pragma once
// The consists the routes' activities, services and timetables name, each
// read once however many files name it, and the loose vehicles they name:
// whether each exists, and which of its vehicles are missing.
#include "analysis/Vehicules.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringView>

#include <thread>

namespace corvanel {

// What the check keeps of a file it was to read.
enum class EtatFichier { Absent, Illisible, Lu };

struct VehiculeAbsent {
    QString ecrit;        // "Folder/Name.ext", as the consist spells it
    bool premier = false; // the consist's first vehicle
};

struct ConsistNomme {
    EtatFichier etat = EtatFichier::Absent;
    QList<VehiculeAbsent> absents; // in file order
};

// A file name relative to a folder of the game, as a key: letter case
// ignored, "\" and "/" alike; `genre` keeps kinds of names apart.
QString cleDeNom(QChar genre, const QString &relatif);

class ConsistsNommes {
public:
    ConsistsNommes(const QString &dossierConsists, const QString &dossierTrainset);
    ~ConsistsNommes();
    ConsistsNommes(const ConsistsNommes &) = delete;
    ConsistsNommes &operator=(const ConsistsNommes &) = delete;

    // A consist some file names, told before any is read.
    void annoncer(const QString &nom);
    // Reads the consists told so far, when they are a good part of the
    // consist folder, through the scan's engine: it reads the folder on
    // other threads while this one resolves the vehicles. A few consists
    // are read one by one as they are asked for, and so is any the engine
    // did not hand over (one it could not read stops it).
    void lireAnnonces();
    // Reads the whole consist folder through the engine on another thread,
    // from now until lireAnnonces(): for routes that name a good part of it.
    void lireToutEnAvance();
    // The files of the consist folder, consists or not (0 when it cannot be
    // listed).
    qsizetype nombreDeFichiers() const;

    // The consist `nom` (relative to the consist folder, extension
    // included). The reference holds until the next call.
    const ConsistNomme &consist(const QString &nom);
    // The vehicle "folder/name.ext" (the folder its first `longueurDossier`
    // characters) exists under the trainset folder.
    bool vehiculeExiste(QStringView cle, qsizetype longueurDossier);

private:
    QHash<QString, ConsistNomme> lireParLeMoteur(const QSet<QString> *voulus) const;
    ConsistNomme lire(const QString &surDisque);

    VerificateurVehicules m_consists;
    QString m_racineConsists;
    QString m_racineTrainset;
    VerificateurVehicules m_trainset;
    QHash<QString, QString> m_annonces;       // by key, as first named
    QHash<QString, ConsistNomme> m_lusAvance; // by name on disk
    QHash<QString, ConsistNomme> m_lus;       // by key
    std::thread m_fil;                        // the engine reading ahead, while it runs
};

} // namespace corvanel
