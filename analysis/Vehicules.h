#pragma once
// Whether the vehicle a consist names exists under the trainset folder.
// Letter case is ignored as the game's platform ignores it: each path
// component is matched exactly first, then in any case. Each folder is listed
// once per scan or refresh; the answers equal asking the file system line by
// line at that moment.
#include "platform/ListeDossier.h"

#include <QHash>
#include <QString>

#include <memory>
#include <unordered_map>
#include <optional>

namespace corvanel {

struct LigneVehicule;

class VerificateurVehicules {
public:
    explicit VerificateurVehicules(QString dossierTrainset);
    ~VerificateurVehicules();

    // The folder exists and the file in it exists (a folder of the file's
    // name does not count). Only for a sound line.
    bool existe(const LigneVehicule &v);

    bool dossierExiste(const QString &relatif);
    bool fichierExiste(const QString &relatif);

private:
    struct Repertoire;
    struct Trouve {
        QString chemin;
        bool fichier = false;
        bool dossier = false;
    };
    std::optional<Trouve> trouver(const QString &relatif);
    const Repertoire &repertoire(const QString &chemin);

    QString m_base;
    QHash<QString, std::shared_ptr<Repertoire>> m_cache;
    // Whole answers of existe(): a large installation names the same few
    // thousand vehicles hundreds of thousands of times.
    struct Hachage {
        size_t operator()(const QString &s) const noexcept { return qHash(s); }
    };
    // Qt's own hash compares whole keys at every probe; the standard one
    // compares stored hashes first, which counts for many similar paths.
    std::unordered_map<QString, bool, Hachage> m_vehicules;
};

} // namespace corvanel
