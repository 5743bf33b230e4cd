#include "analysis/MoteurAnalyse.h"

#include "analysis/Analyse.h"
#include "analysis/Decoupage.h"
#include "analysis/LecteurConsist.h"
#include "analysis/Vehicules.h"
#include "platform/ErreurExecution.h"
#include "platform/Texte.h"

#include <QBuffer>
#include <QIODevice>
#include <QtEndian>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace corvanel {

namespace {

// A consist is a few kilobytes; one over this is read where it is judged,
// as a stream, so memory stays flat whatever the file.
constexpr qint64 TailleMaxTenue = 1024 * 1024;
// The same for a consist handed over as its bytes: those wait whole in the
// lots, so a folder of large consists must not hold hundreds of megabytes.
constexpr qint64 TailleMaxTenueOctets = 64 * 1024;
// Consists per hand-over between the reading threads and the caller's: one
// wake-up per file cost more than the judging itself.
constexpr qsizetype ConsistsParLot = 48;
// Lots read ahead at most, whatever the number of threads: memory stays
// bounded, and so does how far reading runs ahead of judging.
constexpr qsizetype LotsEnAvance = 8;
// A consist too large to hold is handed over in parts of this many lines.
constexpr qsizetype VehiculesParPartie = 4096;

// One vehicle line as a reading thread leaves it: its text lives in the
// lot's `arene` as "folder/name.ext", followed by the same folded to one
// letter case, the key of the vehicle answers.
struct Reference {
    std::int64_t ligne = 0;
    qsizetype debut = 0;
    qsizetype longueurDossier = 0;
    qsizetype longueurNom = 0;
    size_t empreinte = 0; // of the key, worked out on the reading thread
    bool saine = false;
    bool moteur = false;
    qsizetype longueur() const { return longueurDossier + longueurNom + 5; }
    QStringView ecrit(const QString &arene) const { return QStringView(arene).sliced(debut, longueur()); }
    QStringView pli(const QString &arene) const { return QStringView(arene).sliced(debut + longueur(), longueur()); }
};

// The vehicle `r` spelt at the end of `arene`: its key, folded there by the
// reading thread that has the time for it, and hashed.
void plierCle(QString &arene, Reference &r)
{
    const qsizetype n = r.longueur();
    arene.resize(arene.size() + n);
    auto *texte = reinterpret_cast<char16_t *>(arene.data()) + r.debut;
    plierCasse(QStringView(texte, n), texte + n);
    r.empreinte = VerificateurVehicules::empreinteVehicule(r.pli(arene));
}

struct ConsistLu {
    int erreur = 0;      // errno of a failed open or read
    bool flux = false;   // too large to hold: judged as a stream
    qsizetype debut = 0; // its references in the lot
    qsizetype fin = 0;
    qsizetype debutOctets = 0; // its bytes in the lot (Profondeur::Octets)
    qsizetype finOctets = 0;
    std::exception_ptr echec; // anything else that went wrong on the reading thread
};

struct Lot {
    std::vector<ConsistLu> consists;
    std::vector<Reference> references;
    QString arene;
    QByteArray octets;
    bool pret = false;
};

// Each Windows-1252 byte as a character, and that character folded: a
// vehicle's name is converted and folded in one pass.
struct TableAnsi {
    std::array<char16_t, 256> car{};
    std::array<char16_t, 256> pli{};
};
const TableAnsi Ansi = [] {
    TableAnsi t;
    for (int b = 0; b < 256; ++b) {
        const char octet = static_cast<char>(b);
        ecrireAnsi(QByteArrayView(&octet, 1), &t.car[static_cast<size_t>(b)]);
        t.pli[static_cast<size_t>(b)] =
            static_cast<char16_t>(QChar::toCaseFolded(char32_t(t.car[static_cast<size_t>(b)])));
    }
    return t;
}();

// `n` characters of a name copied to `ecrit`, and folded to `pli`.
template <typename C> void copierEtPlier(const C *texte, qsizetype n, char16_t *ecrit, char16_t *pli)
{
    if constexpr (sizeof(C) == 1) {
        for (qsizetype i = 0; i < n; ++i) {
            const auto b = static_cast<unsigned char>(texte[i]);
            ecrit[i] = Ansi.car[b];
            pli[i] = Ansi.pli[b];
        }
    } else {
        std::copy_n(texte, n, ecrit);
        plierCasse(QStringView(ecrit, n), pli);
    }
}

// Appends a vehicle line to the lot: text converted to UTF-16 as it is
// copied (Windows-1252 bytes through the code page), then folded and hashed
// here, where the reading threads have the time for it. One growth of the
// text a line.
template <typename C> void ajouter(Lot &lot, const decoupage::Decoupe<C> &v, std::int64_t ligne)
{
    Reference r;
    r.ligne = ligne;
    r.saine = v.saine;
    r.moteur = v.moteur;
    if (v.saine) {
        r.debut = lot.arene.size();
        r.longueurDossier = v.longueurDossier;
        r.longueurNom = v.longueurNom;
        const qsizetype n = r.longueur();
        lot.arene.resize(r.debut + 2 * n);
        char16_t *ecrit = reinterpret_cast<char16_t *>(lot.arene.data()) + r.debut;
        char16_t *pli = ecrit + n;
        copierEtPlier(v.dossier, v.longueurDossier, ecrit, pli);
        ecrit[v.longueurDossier] = pli[v.longueurDossier] = u'/';
        const qsizetype nom = v.longueurDossier + 1;
        copierEtPlier(v.nom, v.longueurNom, ecrit + nom, pli + nom);
        std::copy_n(v.moteur ? u".eng" : u".wag", 4, ecrit + n - 4);
        std::copy_n(v.moteur ? u".eng" : u".wag", 4, pli + n - 4);
        r.empreinte = VerificateurVehicules::empreinteVehicule(QStringView(pli, n));
    }
    lot.references.push_back(r);
}

template <typename C> void decouperTexte(Lot &lot, const C *debut, const C *fin)
{
    decoupage::parcourirLignes(debut, fin, [&](const C *p, const C *q, std::int64_t numero) {
        const decoupage::Decoupe<C> v = decoupage::decouper(p, q);
        if (v.vehicule)
            ajouter(lot, v, numero);
        return true;
    });
}

// The whole file is in `octets`: Windows-1252 and UTF-16 LE, most consists,
// are taken apart where they lie; the rarer UTF-8 and UTF-16 BE go through
// the stream reader, whose decoding they must match exactly.
void decouperConsist(Lot &lot, const char *octets, qsizetype taille, std::vector<char16_t> &echange)
{
    const QByteArrayView vue(octets, taille);
    if (vue.startsWith("\xFF\xFE")) {
        // Code units as they stand (a lone surrogate reads as itself); an odd
        // last byte is dropped. Copied: a few kilobytes cost next to nothing.
        const qsizetype unites = (taille - 2) / 2;
        echange.resize(static_cast<size_t>(unites));
        qFromLittleEndian<char16_t>(octets + 2, unites, echange.data());
        decouperTexte(lot, echange.data(), echange.data() + unites);
        return;
    }
    if (vue.startsWith("\xFE\xFF") || vue.startsWith("\xEF\xBB\xBF")) {
        QByteArray copie = vue.toByteArray();
        QBuffer tampon(&copie);
        tampon.open(QIODevice::ReadOnly);
        LecteurConsist lecteur(tampon);
        QStringView ligne;
        while (lecteur.lire(ligne)) {
            const auto *p = reinterpret_cast<const char16_t *>(ligne.utf16());
            const decoupage::Decoupe<char16_t> v = decoupage::decouper(p, p + ligne.size());
            if (v.vehicule)
                ajouter(lot, v, lecteur.numeroLigne());
        }
        return;
    }
    decouperTexte(lot, octets, octets + taille);
}

} // namespace

struct MoteurAnalyse::Etat {
    QString dossierConsists;
    VerificateurVehicules vehicules;

    Etat(QString consists, QString trainset) : dossierConsists(std::move(consists)), vehicules(std::move(trainset)) {}
};

MoteurAnalyse::MoteurAnalyse(QString dossierConsists, QString dossierTrainset)
    : m_etat(std::make_unique<Etat>(std::move(dossierConsists), std::move(dossierTrainset)))
{
}

MoteurAnalyse::~MoteurAnalyse() = default;

namespace {

// The reading threads and their hand-overs to the caller's thread, lot by lot.
class Lecture {
public:
    Lecture(const QString &dossier, const QList<EntreeDossier> &fichiers, const QList<qsizetype> &consists, bool octets)
        : m_dossier(dossier), m_fichiers(fichiers), m_consists(consists), m_octets(octets),
          m_nombreLots((consists.size() + ConsistsParLot - 1) / ConsistsParLot)
    {
        const unsigned coeurs = std::max(1u, std::min(4u, std::thread::hardware_concurrency()));
        const qsizetype lecteurs = std::min<qsizetype>(coeurs, m_nombreLots);
        m_lots.resize(static_cast<size_t>(LotsEnAvance));
        for (qsizetype i = 0; i < lecteurs; ++i)
            m_lecteurs.emplace_back([this] { lire(); });
    }

    ~Lecture()
    {
        {
            const std::lock_guard<std::mutex> garde(m_verrou);
            m_arret = true;
        }
        m_travail.notify_all();
        for (std::thread &t : m_lecteurs)
            t.join();
    }

    // Lot `numero` once read; `attente` runs every millisecond meanwhile.
    Lot &prendre(qsizetype numero, const std::function<void()> &attente)
    {
        Lot &lot = m_lots[static_cast<size_t>(numero) % m_lots.size()];
        std::unique_lock<std::mutex> verrou(m_verrou);
        while (!lot.pret) {
            if (attente) {
                m_pret.wait_for(verrou, std::chrono::milliseconds(1));
                verrou.unlock();
                attente();
                verrou.lock();
            } else {
                m_pret.wait(verrou);
            }
        }
        return lot;
    }

    // The caller is done with lot `numero`: its place can take another.
    void rendre(qsizetype numero)
    {
        {
            const std::lock_guard<std::mutex> garde(m_verrou);
            m_lots[static_cast<size_t>(numero) % m_lots.size()].pret = false;
            m_rendus = numero + 1;
        }
        m_travail.notify_all();
    }

private:
    void lire()
    {
        // Not cleared first: a consist of a few kilobytes then touches a page
        // or two of it, not the whole megabyte.
        const auto tampon = std::make_unique_for_overwrite<char[]>(static_cast<size_t>(TailleMaxTenue + 1));
        std::vector<char16_t> echange;
        const DossierLecture dossier(m_dossier);
        for (;;) {
            qsizetype numero = 0;
            {
                std::unique_lock<std::mutex> verrou(m_verrou);
                m_travail.wait(verrou, [this] {
                    return m_arret || m_suivant >= m_nombreLots ||
                           m_suivant < m_rendus + static_cast<qsizetype>(m_lots.size());
                });
                if (m_arret || m_suivant >= m_nombreLots)
                    return;
                numero = m_suivant++;
            }
            Lot &lot = m_lots[static_cast<size_t>(numero) % m_lots.size()];
            lot.consists.clear();
            lot.references.clear();
            // resize(0), not clear(): the place is kept for the next lot.
            lot.arene.resize(0);
            lot.octets.resize(0);
            const qint64 tenue = m_octets ? TailleMaxTenueOctets : TailleMaxTenue;
            const qsizetype premier = numero * ConsistsParLot;
            const qsizetype dernier = std::min(premier + ConsistsParLot, m_consists.size());
            for (qsizetype i = premier; i < dernier; ++i) {
                ConsistLu c;
                c.debut = c.fin = static_cast<qsizetype>(lot.references.size());
                try {
                    const EntreeDossier &e = m_fichiers[m_consists[i]];
                    const qint64 lus = dossier.lire(e, tampon.get(), tenue + 1, c.erreur);
                    c.debutOctets = c.finOctets = lot.octets.size();
                    if (lus > tenue) {
                        c.flux = true;
                    } else if (lus >= 0 && m_octets) {
                        lot.octets.append(tampon.get(), lus);
                        c.finOctets = lot.octets.size();
                    } else if (lus >= 0) {
                        decouperConsist(lot, tampon.get(), lus, echange);
                    }
                } catch (...) {
                    c.echec = std::current_exception();
                }
                c.fin = static_cast<qsizetype>(lot.references.size());
                lot.consists.push_back(std::move(c));
            }
            {
                const std::lock_guard<std::mutex> garde(m_verrou);
                lot.pret = true;
            }
            m_pret.notify_one();
        }
    }

    const QString &m_dossier;
    const QList<EntreeDossier> &m_fichiers;
    const QList<qsizetype> &m_consists;
    const bool m_octets;
    const qsizetype m_nombreLots;
    std::vector<Lot> m_lots;
    std::mutex m_verrou;
    std::condition_variable m_travail;
    std::condition_variable m_pret;
    qsizetype m_suivant = 0;
    qsizetype m_rendus = 0;
    bool m_arret = false;
    std::vector<std::thread> m_lecteurs;
};

// Runs `travail` on another thread, `attente` every millisecond meanwhile.
template <typename Travail>
auto sansAttendre(Travail travail, const std::function<void()> &attente) -> decltype(travail())
{
    if (!attente)
        return travail();
    decltype(travail()) resultat;
    std::exception_ptr echec;
    std::mutex verrou;
    std::condition_variable fini;
    bool termine = false;
    std::thread t([&] {
        try {
            resultat = travail();
        } catch (...) {
            echec = std::current_exception();
        }
        const std::lock_guard<std::mutex> garde(verrou);
        termine = true;
        fini.notify_one();
    });
    {
        std::unique_lock<std::mutex> v(verrou);
        while (!termine) {
            fini.wait_for(v, std::chrono::milliseconds(1));
            v.unlock();
            attente();
            v.lock();
        }
    }
    t.join();
    if (echec)
        std::rethrow_exception(echec);
    return resultat;
}

} // namespace

BilanAnalyse MoteurAnalyse::analyser(Profondeur profondeur, const SuiviAnalyse &suivi)
{
    Etat &etat = *m_etat;
    const bool entiere = profondeur == Profondeur::Entiere;
    const bool octets = profondeur == Profondeur::Octets;
    BilanAnalyse bilan;

    // The command runs from here: a window lets its events through once
    // before the listing, which may take long.
    if (suivi.battement)
        suivi.battement();
    if (!octets)
        etat.vehicules.listerDAvance();
    const QString dossier = etat.dossierConsists;
    const QList<EntreeDossier> fichiers =
        sansAttendre([&dossier] { return fichiersConsists(dossier); }, suivi.battement);
    bilan.fichiers = fichiers.size();
    if (suivi.liste)
        suivi.liste(bilan.fichiers);
    QList<qsizetype> indices;
    for (qsizetype i = 0; i < fichiers.size(); ++i) {
        if (estNomConsist(fichiers[i].nom))
            indices.append(i);
    }

    ConsistJuge juge;
    std::vector<Reference> partie; // a streamed consist's lines not handed over yet
    QString arenePartie;
    // Hands over the lines gathered so far, their views set now that their
    // text no longer moves.
    const auto remettre = [&](const QString &arene, const Reference *refs, bool fin) {
        for (qsizetype k = 0; k < juge.vehicules.size(); ++k) {
            const Reference &ref = refs[k];
            VehiculeLu &v = juge.vehicules[k];
            if (!ref.saine)
                continue;
            const QStringView cle = ref.ecrit(arene);
            v.dossier = cle.first(ref.longueurDossier);
            v.nom = cle.sliced(ref.longueurDossier + 1, ref.longueurNom);
        }
        juge.partiel = !fin;
        if (fin) {
            ++bilan.consists;
            if (juge.invalide)
                ++bilan.invalides;
        }
        if (suivi.consist)
            suivi.consist(juge);
        juge.vehicules.clear();
    };
    // Judges one line; false once the consist is settled and no more of it
    // is wanted.
    const auto juger = [&](const QString &arene, const Reference &ref) {
        VehiculeLu v;
        v.ligne = ref.ligne;
        v.saine = ref.saine;
        v.extension = ref.moteur ? QStringView(u".eng") : QStringView(u".wag");
        v.existe =
            ref.saine && etat.vehicules.existe(ref.ecrit(arene), ref.pli(arene), ref.longueurDossier, ref.empreinte);
        juge.vehicules.append(v);
        if (v.existe)
            return true;
        juge.invalide = true;
        return entiere;
    };

    Lecture lecture(dossier, fichiers, indices, octets);
    qsizetype prochain = 0; // index into `indices`
    Lot *lot = nullptr;
    qsizetype numeroLot = -1;
    for (qsizetype i = 0; i < fichiers.size(); ++i) {
        if (suivi.avance)
            suivi.avance(i + 1);
        if (suivi.battement)
            suivi.battement();
        if (prochain >= indices.size() || indices[prochain] != i)
            continue;
        if (prochain / ConsistsParLot != numeroLot) {
            if (lot)
                lecture.rendre(numeroLot);
            numeroLot = prochain / ConsistsParLot;
            lot = &lecture.prendre(numeroLot, suivi.battement);
            // Most answers are known already; their slots lie anywhere in a
            // large table. Asked for all at once, they come in together.
            for (const Reference &ref : lot->references)
                etat.vehicules.reponses().preparer(ref.empreinte, false);
        }
        const ConsistLu &lu = lot->consists[static_cast<size_t>(prochain % ConsistsParLot)];
        ++prochain;

        juge.entree = &fichiers[i];
        juge.invalide = false;
        juge.disparu = false;
        juge.erreur = 0;
        juge.octets = {};
        if (lu.echec)
            std::rethrow_exception(lu.echec);
        int err = lu.erreur;
        std::unique_ptr<QIODevice> flux;
        if (err == 0 && lu.flux)
            flux = ouvrirEntree(dossier, fichiers[i], err);
        if (octets && err != ENOENT) {
            QByteArray entier;
            if (flux) {
                entier = flux->readAll();
                juge.octets = entier;
            } else {
                juge.octets = QByteArrayView(lot->octets).sliced(lu.debutOctets, lu.finOctets - lu.debutOctets);
            }
            juge.erreur = err;
            remettre(lot->arene, nullptr, true);
            continue;
        }
        if (err == ENOENT) {
            // Removed since the folder was listed: passed over, as a listing
            // made a moment later would have, not an end of the program.
            juge.disparu = true;
            remettre(lot->arene, nullptr, true);
            continue;
        }
        if (err != 0)
            throw ErreurExecution::depuisErrno(err);
        if (!flux) {
            const Reference *refs = lot->references.data() + lu.debut;
            for (qsizetype r = 0; r < lu.fin - lu.debut; ++r)
                etat.vehicules.reponses().preparer(refs[r].empreinte, true);
            qsizetype r = 0;
            while (r < lu.fin - lu.debut && juger(lot->arene, refs[r]))
                ++r;
            remettre(lot->arene, refs, true);
            continue;
        }

        // Too large to hold: read here as a stream, handed over in parts.
        LecteurConsist lecteur(*flux, suivi.battement);
        QStringView ligne;
        bool encore = true;
        while (encore && lecteur.lire(ligne)) {
            if (suivi.battement)
                suivi.battement();
            const LigneVehicule lv = analyserLigne(ligne);
            if (!lv.vehicule)
                continue;
            if (juge.vehicules.size() == VehiculesParPartie) {
                remettre(arenePartie, partie.data(), false);
                partie.clear();
                arenePartie.clear();
            }
            Reference ref;
            ref.ligne = lecteur.numeroLigne();
            ref.saine = lv.saine;
            ref.moteur = lv.extension == u".eng";
            if (lv.saine) {
                ref.debut = arenePartie.size();
                ref.longueurDossier = lv.dossier.size();
                ref.longueurNom = lv.nom.size();
                arenePartie += lv.dossier;
                arenePartie += u'/';
                arenePartie += lv.nom;
                arenePartie += lv.extension;
                plierCle(arenePartie, ref);
            }
            partie.push_back(ref);
            encore = juger(arenePartie, ref);
        }
        remettre(arenePartie, partie.data(), true);
        partie.clear();
        arenePartie.clear();
    }
    if (lot)
        lecture.rendre(numeroLot);
    return bilan;
}

} // namespace corvanel
