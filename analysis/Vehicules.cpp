#include "analysis/Vehicules.h"

#include "analysis/LecteurConsist.h"
#include "platform/ErreurExecution.h"

#include <QChar>
#include <QFileInfo>

#include <algorithm>
#include <array>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

namespace corvanel {

namespace {

std::u16string_view vue(QStringView t)
{
    return {reinterpret_cast<const char16_t *>(t.utf16()), static_cast<size_t>(t.size())};
}

void plier(QStringView nom, std::u16string &pli)
{
    pli.resize(static_cast<size_t>(nom.size()));
    plierCasse(nom, pli.data());
}

// The first 256 characters folded, looked up rather than worked out: the
// names of nearly every installation are made of them.
const std::array<char16_t, 256> PliLatin1 = [] {
    std::array<char16_t, 256> t{};
    for (char32_t u = 0; u < t.size(); ++u)
        t[u] = static_cast<char16_t>(QChar::toCaseFolded(u));
    return t;
}();

} // namespace

void plierCasse(QStringView nom, char16_t *sortie)
{
    const auto *p = reinterpret_cast<const char16_t *>(nom.utf16());
    const qsizetype n = nom.size();
    qsizetype i = 0;
    while (i < n && p[i] < PliLatin1.size()) {
        sortie[i] = PliLatin1[p[i]];
        ++i;
    }
    for (; i < n; ++i) {
        const char16_t u = p[i];
        if (u < PliLatin1.size()) {
            sortie[i] = PliLatin1[u];
        } else if (QChar::isHighSurrogate(u) && i + 1 < n && QChar::isLowSurrogate(p[i + 1])) {
            // Qt folds a character beyond the basic plane to another one
            // beyond it: the pair stays a pair.
            const char32_t c = QChar::toCaseFolded(QChar::surrogateToUcs4(u, p[i + 1]));
            sortie[i] = QChar::highSurrogate(c);
            sortie[++i] = QChar::lowSurrogate(c);
        } else {
            sortie[i] = static_cast<char16_t>(QChar::toCaseFolded(char32_t(u)));
        }
    }
}

// A folder's listing, looked up by name folded to one letter case: a
// vehicle folder holds a few names, the trainset a few thousand, and a
// large installation lists thousands of folders, so one block each rather
// than a node per name.
struct VerificateurVehicules::Repertoire {
    // The names that fold alike, as listed. `choisie` is the entry a lookup
    // in any letter case takes: the first by exact name among those that
    // lead somewhere (-1: none does); `jumeaux` when two or more do.
    struct Groupe {
        qsizetype debut = 0; // its folded name in `plis`
        qsizetype longueur = 0;
        size_t empreinte = 0;
        qsizetype premiere = 0; // its entries, chained through `suivantes`
        qsizetype choisie = -1;
        bool jumeaux = false;
        bool seule = true;
    };
    QList<EntreeDossier> entrees;
    std::vector<qsizetype> suivantes; // the next entry of the same group; -1 at the end
    std::vector<Groupe> groupes;
    std::u16string plis;
    std::vector<qsizetype> cases; // open-addressed: a group's index, -1 empty

    static bool mene(const EntreeDossier &e) { return e.fichier || e.dossier; }
    QStringView pli(const Groupe &g) const { return QStringView(plis).sliced(g.debut, g.longueur); }

    const Groupe *groupe(QStringView pli, size_t empreinte) const
    {
        if (cases.empty())
            return nullptr;
        const size_t masque = cases.size() - 1;
        for (size_t i = empreinte & masque; cases[i] >= 0; i = (i + 1) & masque) {
            const Groupe &g = groupes[static_cast<size_t>(cases[i])];
            if (g.empreinte == empreinte && this->pli(g) == pli)
                return &g;
        }
        return nullptr;
    }

    void indexer()
    {
        size_t taille = 8;
        while (taille < static_cast<size_t>(entrees.size()) * 2)
            taille *= 2;
        cases.assign(taille, -1);
        suivantes.assign(static_cast<size_t>(entrees.size()), -1);
        const size_t masque = taille - 1;
        std::vector<qsizetype> dernieres; // of each group
        for (qsizetype k = 0; k < entrees.size(); ++k) {
            const EntreeDossier &e = entrees[k];
            const qsizetype debut = static_cast<qsizetype>(plis.size());
            plis.resize(plis.size() + static_cast<size_t>(e.nom.size()));
            plierCasse(e.nom, plis.data() + debut);
            const QStringView cle = QStringView(plis).sliced(debut);
            const size_t empreinte = qHash(cle, 0);
            size_t i = empreinte & masque;
            while (cases[i] >= 0 && !(groupes[static_cast<size_t>(cases[i])].empreinte == empreinte &&
                                      pli(groupes[static_cast<size_t>(cases[i])]) == cle))
                i = (i + 1) & masque;
            if (cases[i] < 0) {
                cases[i] = static_cast<qsizetype>(groupes.size());
                groupes.push_back({debut, cle.size(), empreinte, k, mene(e) ? k : -1, false, true});
                dernieres.push_back(k);
                continue;
            }
            plis.resize(static_cast<size_t>(debut)); // kept once, with the group
            Groupe &g = groupes[static_cast<size_t>(cases[i])];
            g.seule = false;
            suivantes[static_cast<size_t>(dernieres[static_cast<size_t>(cases[i])])] = k;
            dernieres[static_cast<size_t>(cases[i])] = k;
            if (!mene(e))
                continue;
            if (g.choisie < 0) {
                g.choisie = k;
            } else {
                g.jumeaux = true;
                if (e.nom < entrees[g.choisie].nom)
                    g.choisie = k;
            }
        }
    }
};

VerificateurVehicules::VerificateurVehicules(QString dossierTrainset) : m_base(std::move(dossierTrainset))
{
    while (m_base.size() > 1 && (m_base.endsWith(u'/') || m_base.endsWith(u'\\')))
        m_base.chop(1);
}

// The trainset folder, then the folders in it, listed ahead, each taken by
// whichever thread comes first: the one listing ahead, or the one asking,
// which then waits for a listing under way rather than making a second.
struct VerificateurVehicules::Avance {
    enum class Etat { Libre, EnCours, Pret };
    struct Place {
        QString chemin;
        Etat etat = Etat::Libre;
        std::shared_ptr<Repertoire> repertoire;
    };
    QString base;
    std::shared_ptr<Repertoire> racine; // the trainset folder's listing, until taken
    bool racinePrete = false;
    // Made once the trainset folder is listed, not changed after.
    std::vector<Place> places;
    QHash<QString, size_t> index; // chemin -> place
    std::mutex verrou;
    std::condition_variable pret;
    bool arret = false;
    std::thread fil;

    void lister()
    {
        auto r = VerificateurVehicules::lister(base);
        for (const EntreeDossier &e : r->entrees) {
            if (!e.dossier)
                continue;
            const QString chemin = base + u'/' + e.nom;
            if (index.contains(chemin))
                continue;
            index.insert(chemin, places.size());
            places.emplace_back().chemin = chemin;
        }
        {
            const std::lock_guard<std::mutex> v(verrou);
            racine = std::move(r);
            racinePrete = true;
        }
        pret.notify_all();
        for (Place &p : places) {
            {
                const std::lock_guard<std::mutex> v(verrou);
                if (arret)
                    return;
                if (p.etat != Etat::Libre)
                    continue;
                p.etat = Etat::EnCours;
            }
            auto l = VerificateurVehicules::lister(p.chemin);
            const std::lock_guard<std::mutex> v(verrou);
            p.repertoire = std::move(l);
            p.etat = Etat::Pret;
            pret.notify_all();
        }
    }

    // The listing of `chemin` when it is the trainset folder or one of the
    // places: ready, waited for, or made here. Null when it is not.
    std::shared_ptr<Repertoire> prendre(const QString &chemin)
    {
        std::unique_lock<std::mutex> v(verrou);
        pret.wait(v, [this] { return racinePrete; });
        if (chemin == base)
            return std::move(racine);
        const auto it = index.constFind(chemin);
        if (it == index.constEnd())
            return nullptr;
        Place &p = places[*it];
        if (p.etat == Etat::Libre) {
            p.etat = Etat::EnCours;
            v.unlock();
            return VerificateurVehicules::lister(chemin);
        }
        pret.wait(v, [&p] { return p.etat == Etat::Pret; });
        return std::move(p.repertoire);
    }

    ~Avance()
    {
        {
            const std::lock_guard<std::mutex> v(verrou);
            arret = true;
        }
        if (fil.joinable())
            fil.join();
    }
};

VerificateurVehicules::~VerificateurVehicules() = default;

void VerificateurVehicules::listerDAvance()
{
    // Once questions were answered, listing ahead would come too late.
    if (m_avance || m_base.isEmpty() || !m_cache.isEmpty())
        return;
    m_avance = std::make_unique<Avance>();
    m_avance->base = m_base;
    m_avance->fil = std::thread([a = m_avance.get()] { a->lister(); });
}

std::shared_ptr<VerificateurVehicules::Repertoire> VerificateurVehicules::lister(const QString &chemin)
{
    auto r = std::make_shared<Repertoire>();
    try {
        r->entrees = listerDossier(chemin);
    } catch (const ErreurExecution &) {
        // A folder that cannot be listed holds nothing the game could load.
    }
    r->indexer();
    return r;
}

const VerificateurVehicules::Repertoire &VerificateurVehicules::repertoire(const QString &chemin)
{
    auto it = m_cache.constFind(chemin);
    if (it != m_cache.constEnd())
        return **it;
    std::shared_ptr<Repertoire> r = m_avance ? m_avance->prendre(chemin) : nullptr;
    if (!r)
        r = lister(chemin);
    return **m_cache.insert(chemin, std::move(r));
}

const EntreeDossier *VerificateurVehicules::entree(const Repertoire &r, QStringView nom)
{
    plier(nom, m_pli);
    const QStringView pli(m_pli.data(), nom.size());
    const Repertoire::Groupe *g = r.groupe(pli, qHash(pli, 0));
    if (!g)
        return nullptr;
    m_ambigu = m_ambigu || g->jumeaux;
    if (g->seule)
        return g->choisie < 0 ? nullptr : &r.entrees[g->choisie];
    // The exact name first (the last listed of that name), when it leads
    // somewhere; else the group's choice.
    qsizetype exacte = -1;
    for (qsizetype k = g->premiere; k >= 0; k = r.suivantes[static_cast<size_t>(k)]) {
        if (r.entrees[k].nom == nom)
            exacte = k;
    }
    if (exacte >= 0 && Repertoire::mene(r.entrees[exacte]))
        return &r.entrees[exacte];
    return g->choisie < 0 ? nullptr : &r.entrees[g->choisie];
}

std::optional<VerificateurVehicules::Trouve> VerificateurVehicules::trouver(QStringView relatif)
{
    Trouve t{m_base, false, true};
    t.chemin.reserve(m_base.size() + relatif.size() + 16);
    qsizetype debut = 0;
    const qsizetype n = relatif.size();
    while (debut <= n) {
        qsizetype fin = debut;
        while (fin < n && relatif[fin] != u'/' && relatif[fin] != u'\\')
            ++fin;
        const QStringView nom = relatif.sliced(debut, fin - debut);
        debut = fin + 1;
        if (nom.isEmpty())
            continue;
        if (!t.dossier)
            return std::nullopt;
        if (nom == u"." || nom == u"..") {
            // Not listed, but the file system resolves them.
            t.chemin += u'/';
            t.chemin += nom;
            const QFileInfo i(t.chemin);
            if (!i.exists())
                return std::nullopt;
            t.fichier = i.isFile();
            t.dossier = i.isDir();
            continue;
        }
        const EntreeDossier *e = entree(repertoire(t.chemin), nom);
        if (!e)
            return std::nullopt;
        t.chemin += u'/';
        t.chemin += e->nom;
        t.fichier = e->fichier;
        t.dossier = e->dossier;
    }
    return t;
}

bool VerificateurVehicules::dossierExiste(const QString &relatif)
{
    const auto t = trouver(relatif);
    return t && t->dossier;
}

bool VerificateurVehicules::fichierExiste(const QString &relatif)
{
    const auto t = trouver(relatif);
    return t && t->fichier;
}

std::optional<QString> VerificateurVehicules::fichierSurDisque(const QString &relatif)
{
    const auto t = trouver(relatif);
    if (!t || !t->fichier)
        return std::nullopt;
    return t->chemin.mid(m_base.size() + 1);
}

const ReponsesVehicules::Reponse *ReponsesVehicules::trouver(std::u16string_view cle, size_t empreinte) const
{
    if (m_cases.empty())
        return nullptr;
    const size_t masque = m_cases.size() - 1;
    for (size_t i = empreinte & masque;; i = (i + 1) & masque) {
        const Case &c = m_cases[i];
        if (!c.texte)
            return nullptr;
        if (c.empreinte == empreinte && c.longueur == cle.size() &&
            std::memcmp(c.texte, cle.data(), cle.size() * sizeof(char16_t)) == 0)
            return &c.reponse;
    }
}

void ReponsesVehicules::preparer(size_t empreinte, bool texte) const
{
#if defined(__GNUC__)
    if (m_cases.empty())
        return;
    const Case &c = m_cases[empreinte & (m_cases.size() - 1)];
    __builtin_prefetch(&c);
    if (texte && c.texte)
        __builtin_prefetch(c.texte);
#else
    (void)empreinte;
    (void)texte;
#endif
}

void ReponsesVehicules::agrandir(size_t cases)
{
    std::vector<Case> anciennes(cases);
    anciennes.swap(m_cases);
    const size_t masque = m_cases.size() - 1;
    for (const Case &c : anciennes) {
        if (!c.texte)
            continue;
        size_t i = c.empreinte & masque;
        while (m_cases[i].texte)
            i = (i + 1) & masque;
        m_cases[i] = c;
    }
}

void ReponsesVehicules::reserver(size_t nombre)
{
    // At most half full, a power of two.
    size_t cases = 1024;
    while (cases < nombre * 2)
        cases *= 2;
    if (cases > m_cases.size())
        agrandir(cases);
    // Keys of vehicles are some forty characters.
    m_tailleBloc = std::max(m_tailleBloc, std::min<size_t>(nombre * 48, size_t(1) << 22));
}

void ReponsesVehicules::ajouter(std::u16string_view cle, size_t empreinte, Reponse reponse)
{
    if (cle.empty() || cle.size() > UINT32_MAX) // never a vehicle's; an empty slot's mark
        return;
    if ((m_nombre + 1) * 2 > m_cases.size())
        agrandir(std::max<size_t>(1024, m_cases.size() * 2));
    if (cle.size() > m_libre) {
        m_libre = std::max(m_tailleBloc, cle.size());
        m_blocs.push_back(std::make_unique_for_overwrite<char16_t[]>(m_libre));
        m_suite = m_blocs.back().get();
    }
    char16_t *texte = m_suite;
    std::copy(cle.begin(), cle.end(), texte);
    m_suite += cle.size();
    m_libre -= cle.size();
    const size_t masque = m_cases.size() - 1;
    size_t i = empreinte & masque;
    while (m_cases[i].texte)
        i = (i + 1) & masque;
    m_cases[i] = {empreinte, texte, static_cast<std::uint32_t>(cle.size()), reponse};
    ++m_nombre;
}

bool VerificateurVehicules::existe(QStringView cle, qsizetype longueurDossier)
{
    m_clePliee.resize(static_cast<size_t>(cle.size()));
    plierCasse(cle, m_clePliee.data());
    const QStringView pli(m_clePliee.data(), cle.size());
    return existe(cle, pli, longueurDossier, empreinteVehicule(pli));
}

bool VerificateurVehicules::existe(QStringView cle, QStringView pli, qsizetype longueurDossier, size_t empreinte)
{
    const ReponsesVehicules::Reponse *connue = m_vehicules.trouver(vue(pli), empreinte);
    if (connue && connue->pourToutes)
        return connue->existe;
    const size_t empreinteExacte = connue ? qHash(cle, 0) : 0;
    if (connue) {
        if (const ReponsesVehicules::Reponse *exacte = m_exactes.trouver(vue(cle), empreinteExacte))
            return exacte->existe;
    }
    if (!m_reservee) {
        // Room from the start for a few answers a trainset folder (its
        // vehicles, and those consists name that are not there): the table
        // then does not grow while the scan asks.
        m_reservee = true;
        m_vehicules.reserver(static_cast<size_t>(repertoire(m_base).entrees.size()) * 8);
    }
    // The folder first, then the file in it: a missing folder answers for
    // every vehicle of it without looking for the file.
    const DossierConnu connuDossier = dossier(cle.first(longueurDossier), pli.first(longueurDossier));
    m_ambigu = connuDossier.ambigu;
    bool reponse = false;
    if (const Repertoire *r = connuDossier.repertoire) {
        const QStringView fichier = cle.sliced(longueurDossier + 1);
        if (fichier.contains(u'/') || fichier.contains(u'\\') || fichier.startsWith(u'.')) {
            // A name that is a path of its own: walked component by component.
            const auto t = trouver(cle);
            reponse = t && t->fichier;
        } else {
            const EntreeDossier *e = entree(*r, fichier);
            reponse = e && e->fichier;
        }
    }
    // Twins on the way: this spelling's answer is kept for it alone, and
    // every spelling of the vehicle is then looked up as it is spelt.
    if (m_ambigu)
        m_exactes.ajouter(vue(cle), connue ? empreinteExacte : qHash(cle, 0), {reponse, false});
    if (!connue)
        m_vehicules.ajouter(vue(pli), empreinte, {reponse, !m_ambigu});
    return reponse;
}

VerificateurVehicules::DossierConnu VerificateurVehicules::dossier(QStringView ecrit, QStringView pli)
{
    const auto plie = m_dossiers.find(vue(pli));
    if (plie != m_dossiers.end() && !plie->second.ambigu)
        return plie->second;
    if (plie != m_dossiers.end()) {
        const auto exact = m_dossiersExacts.find(vue(ecrit));
        if (exact != m_dossiersExacts.end())
            return exact->second;
    }
    m_ambigu = false;
    const auto t = trouver(ecrit);
    const DossierConnu d{t && t->dossier ? &repertoire(t->chemin) : nullptr, m_ambigu};
    if (plie == m_dossiers.end())
        m_dossiers.emplace(vue(pli), d);
    if (d.ambigu)
        m_dossiersExacts.emplace(vue(ecrit), d);
    return d;
}

bool VerificateurVehicules::existe(const LigneVehicule &v)
{
    QString cle;
    cle.reserve(v.dossier.size() + v.nom.size() + 5);
    cle += v.dossier;
    cle += u'/';
    cle += v.nom;
    cle += v.extension;
    return existe(cle, v.dossier.size());
}

} // namespace corvanel
