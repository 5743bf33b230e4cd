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
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace corvanel {

struct LigneVehicule;

// Hashing for maps keyed by UTF-16 text and looked up by a view of it.
struct HachageTexte {
    using is_transparent = void;
    size_t operator()(std::u16string_view s) const noexcept { return std::hash<std::u16string_view>{}(s); }
};

class VerificateurVehicules {
public:
    explicit VerificateurVehicules(QString dossierTrainset);
    ~VerificateurVehicules();

    // The folder exists and the file in it exists (a folder of the file's
    // name does not count). Only for a sound line.
    bool existe(const LigneVehicule &v);
    // The same for the vehicle spelt "folder/name.ext" in `cle`, whose first
    // `longueurDossier` characters are the folder.
    bool existe(QStringView cle, qsizetype longueurDossier);

    bool dossierExiste(const QString &relatif);
    bool fichierExiste(const QString &relatif);
    // The file at `relatif` ("/" or "\\" between components, any letter
    // case) as it is spelt on disk, relative to the trainset folder with "/";
    // none when no file stands there.
    std::optional<QString> fichierSurDisque(const QString &relatif);

private:
    struct Repertoire;
    struct Trouve {
        QString chemin;
        bool fichier = false;
        bool dossier = false;
    };
    std::optional<Trouve> trouver(QStringView relatif);
    const Repertoire &repertoire(const QString &chemin);

    QString m_base;
    QHash<QString, std::shared_ptr<Repertoire>> m_cache;
    // Whole answers of existe(), by "folder/name.ext" as the consist spells
    // it: a large installation names the same few thousand vehicles hundreds
    // of thousands of times. Looked up without building a string per line.
    std::unordered_map<std::u16string, bool, HachageTexte, std::equal_to<>> m_vehicules;
    std::u16string m_pli; // a path component in any letter case, folded
};

} // namespace corvanel
