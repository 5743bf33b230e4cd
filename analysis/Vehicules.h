#pragma once
// Whether the vehicle a consist names exists under the trainset folder.
// Letter case is ignored as the game's platform ignores it: each path
// component is matched exactly first, then in any case. Each folder is listed
// once per scan or refresh; the answers equal asking the file system line by
// line at that moment.
#include "platform/ListeDossier.h"

#include <QHash>
#include <QString>
#include <QStringView>

#include <cstdint>
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

// `nom` in one letter case, as QString::toCaseFolded() gives it: code point
// by code point, the length kept. Written from `sortie` on (room for
// nom.size() characters): the key every spelling of a name meets under.
void plierCasse(QStringView nom, char16_t *sortie);

// Answers by vehicle key, in one open-addressed block: a scan asks about
// hundreds of thousands of lines naming tens of thousands of vehicles, and
// a node per key (std::unordered_map) costs several cache misses a line.
class ReponsesVehicules {
public:
    struct Reponse {
        bool existe = false;
        // The same for every spelling of the key's letter-case folding; else
        // the answer holds for the one spelling it was worked out for.
        bool pourToutes = true;
    };
    // The answer kept for `cle`, whose hash is `empreinte`; null when none.
    const Reponse *trouver(std::u16string_view cle, size_t empreinte) const;
    void ajouter(std::u16string_view cle, size_t empreinte, Reponse reponse);
    // Room for `nombre` answers at least, made now rather than by growing
    // (and faulting in new pages) while the answers are asked for.
    void reserver(size_t nombre);
    // Asks the processor for the slot of `empreinte` ahead of trouver(), and
    // with `texte` for the key that slot points at too (the slot must have
    // come in first).
    void preparer(size_t empreinte, bool texte) const;

private:
    struct Case {
        size_t empreinte = 0;
        const char16_t *texte = nullptr; // null: empty
        std::uint32_t longueur = 0;
        Reponse reponse;
    };
    void agrandir(size_t cases);
    std::vector<Case> m_cases;
    // Keys in blocks that never move once written: growing one string would
    // copy (and fault in) everything kept so far again and again.
    std::vector<std::unique_ptr<char16_t[]>> m_blocs;
    char16_t *m_suite = nullptr; // where the next key goes
    size_t m_libre = 0;          // room left there
    size_t m_tailleBloc = 32768;
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
    // The same with `cle` folded (plierCasse) in `pli` and the hash of that
    // (empreinteVehicule), worked out beforehand where it costs the caller
    // nothing. Every spelling of a vehicle is resolved once: a new one costs
    // a look-up, unless a folder on the way holds names that differ only in
    // letter case (the spelling then decides, as the file system would).
    bool existe(QStringView cle, QStringView pli, qsizetype longueurDossier, size_t empreinte);
    const ReponsesVehicules &reponses() const { return m_vehicules; }
    static size_t empreinteVehicule(QStringView pli) { return qHash(pli, 0); }

    // Lists the trainset folder, then the folders directly in it, on another
    // thread, ahead of the questions: on a large installation, listing a few
    // thousand vehicle folders is most of what the first answers cost, and
    // the thread asking has the rest of the scan to do.
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
    // Whole answers of existe(), by "folder/name.ext" folded: a large
    // installation names the same few thousand vehicles hundreds of
    // thousands of times, in as many spellings as authors. Looked up
    // without building a string per line.
    ReponsesVehicules m_vehicules;
    bool m_reservee = false;
    // The answers that depend on the spelling, by the spelling itself.
    ReponsesVehicules m_exactes;
    std::u16string m_pli;      // a path component in any letter case, folded
    std::u16string m_clePliee; // a whole key folded, when the caller gave none
    // Set by entree() when the name it looked up has twins that differ from
    // it only in letter case: the answer then depends on the spelling.
    bool m_ambigu = false;
    // Vehicle folders by spelling folded, with their listing (null when the
    // folder is not there) and whether twins were met on the way (then by
    // the spelling itself): a few thousand folders behind tens of thousands
    // of spellings.
    struct DossierConnu {
        const Repertoire *repertoire = nullptr;
        bool ambigu = false;
    };
    DossierConnu dossier(QStringView ecrit, QStringView pli);
    std::unordered_map<std::u16string, DossierConnu, HachageTexte, std::equal_to<>> m_dossiers;
    std::unordered_map<std::u16string, DossierConnu, HachageTexte, std::equal_to<>> m_dossiersExacts;
};

} // namespace corvanel
