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
#include <vector>

namespace corvanel {

struct LigneVehicule;

// Hashing for maps keyed by UTF-16 text and looked up by a view of it. Not
// noexcept on purpose: libstdc++ then keeps each key's hash in its node
// instead of hashing every key it walks past again.
struct HachageTexte {
    using is_transparent = void;
    size_t operator()(std::u16string_view s) const { return std::hash<std::u16string_view>{}(s); }
};

// Answers by vehicle spelling, in one open-addressed block: a scan asks
// about hundreds of thousands of lines naming a hundred thousand spellings,
// and a node per key (std::unordered_map) costs several cache misses a line.
class ReponsesVehicules {
public:
    // The answer kept for `cle`, whose hash is `empreinte`; null when none.
    const bool *trouver(std::u16string_view cle, size_t empreinte) const;
    void ajouter(std::u16string_view cle, size_t empreinte, bool existe);
    // Asks the processor for the slot of `empreinte` ahead of trouver(), and
    // with `texte` for the spelling that slot points at too (the slot must
    // have come in first).
    void preparer(size_t empreinte, bool texte) const;

private:
    struct Case {
        size_t empreinte = 0;
        const char16_t *texte = nullptr; // null: empty
        size_t longueur = 0;
        bool existe = false;
    };
    std::vector<Case> m_cases;
    // Spellings in blocks that never move once written: growing one string
    // would copy (and fault in) everything kept so far again and again.
    std::vector<std::unique_ptr<char16_t[]>> m_blocs;
    char16_t *m_suite = nullptr; // where the next spelling goes
    size_t m_libre = 0;          // room left there
    size_t m_nombre = 0;
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
    // The same with the hash of `cle` (empreinteVehicule), worked out
    // beforehand where it costs the caller nothing.
    bool existe(QStringView cle, qsizetype longueurDossier, size_t empreinte);
    const ReponsesVehicules &reponses() const { return m_vehicules; }
    static size_t empreinteVehicule(QStringView cle) { return qHash(cle, 0); }

    // Lists the folders directly under the trainset on another thread, ahead
    // of the questions: on a large installation, listing a few thousand
    // vehicle folders is most of what the first answers cost, and the thread
    // asking has the rest of the scan to do.
    void listerDAvance();

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
    // The entry `nom` names in `r`: exactly, else in any letter case.
    const EntreeDossier *entree(const Repertoire &r, QStringView nom);

    static std::shared_ptr<Repertoire> lister(const QString &chemin);

    QString m_base;
    QHash<QString, std::shared_ptr<Repertoire>> m_cache;
    struct Avance;
    std::unique_ptr<Avance> m_avance;
    // Whole answers of existe(), by "folder/name.ext" as the consist spells
    // it: a large installation names the same few thousand vehicles hundreds
    // of thousands of times. Looked up without building a string per line.
    ReponsesVehicules m_vehicules;
    std::u16string m_pli; // a path component in any letter case, folded
    // Vehicle folders by spelling, with their listing (null when the folder
    // is not there): a few thousand spellings behind a hundred thousand
    // vehicle spellings.
    std::unordered_map<std::u16string, const Repertoire *, HachageTexte, std::equal_to<>> m_dossiers;
};

} // namespace corvanel
