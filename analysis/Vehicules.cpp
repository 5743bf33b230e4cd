#include "analysis/Vehicules.h"

#include "analysis/LecteurConsist.h"
#include "platform/ErreurExecution.h"

#include <QFileInfo>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace corvanel {

namespace {

std::u16string_view vue(QStringView t)
{
    return {reinterpret_cast<const char16_t *>(t.utf16()), static_cast<size_t>(t.size())};
}

std::u16string texte(const QString &t)
{
    return std::u16string(vue(t));
}

// The name as QString::toCaseFolded() gives it, without a string per call
// for the plain ASCII names nearly every installation uses.
void plier(QStringView nom, std::u16string &pli)
{
    pli.clear();
    for (const QChar c : nom) {
        const char16_t u = c.unicode();
        if (u >= 0x80) {
            pli = texte(nom.toString().toCaseFolded());
            return;
        }
        pli.push_back(u >= u'A' && u <= u'Z' ? char16_t(u + (u'a' - u'A')) : u);
    }
}

} // namespace

struct VerificateurVehicules::Repertoire {
    // Exact name -> entry; case-folded name -> the entry a case-insensitive
    // lookup takes (the first by exact name among those that lead somewhere).
    std::unordered_map<std::u16string, EntreeDossier, HachageTexte, std::equal_to<>> exacts;
    std::unordered_map<std::u16string, EntreeDossier, HachageTexte, std::equal_to<>> plies;
};

VerificateurVehicules::VerificateurVehicules(QString dossierTrainset) : m_base(std::move(dossierTrainset))
{
    while (m_base.size() > 1 && (m_base.endsWith(u'/') || m_base.endsWith(u'\\')))
        m_base.chop(1);
}

// The folders listed ahead, each taken by whichever thread comes first: the
// one listing ahead, or the one asking, which then waits for a listing under
// way rather than making a second.
struct VerificateurVehicules::Avance {
    enum class Etat { Libre, EnCours, Pret };
    struct Place {
        QString chemin;
        Etat etat = Etat::Libre;
        std::shared_ptr<Repertoire> repertoire;
    };
    std::vector<Place> places;
    QHash<QString, size_t> index; // chemin -> place; not changed once the thread runs
    std::mutex verrou;
    std::condition_variable pret;
    bool arret = false;
    std::thread fil;

    void lister()
    {
        for (Place &p : places) {
            {
                const std::lock_guard<std::mutex> v(verrou);
                if (arret)
                    return;
                if (p.etat != Etat::Libre)
                    continue;
                p.etat = Etat::EnCours;
            }
            auto r = VerificateurVehicules::lister(p.chemin);
            const std::lock_guard<std::mutex> v(verrou);
            p.repertoire = std::move(r);
            p.etat = Etat::Pret;
            pret.notify_all();
        }
    }

    // The listing of `chemin` when it is one of the places: ready, waited
    // for, or made here. Null when it is not.
    std::shared_ptr<Repertoire> prendre(const QString &chemin)
    {
        const auto it = index.constFind(chemin);
        if (it == index.constEnd())
            return nullptr;
        Place &p = places[*it];
        std::unique_lock<std::mutex> v(verrou);
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
    if (m_avance || m_base.isEmpty())
        return;
    auto a = std::make_unique<Avance>();
    for (const auto &[nom, e] : repertoire(m_base).exacts) {
        if (!e.dossier)
            continue;
        const QString chemin = m_base + u'/' + e.nom;
        if (m_cache.contains(chemin))
            continue;
        a->index.insert(chemin, a->places.size());
        a->places.emplace_back().chemin = chemin;
    }
    if (a->places.empty())
        return;
    a->fil = std::thread([p = a.get()] { p->lister(); });
    m_avance = std::move(a);
}

std::shared_ptr<VerificateurVehicules::Repertoire> VerificateurVehicules::lister(const QString &chemin)
{
    auto r = std::make_shared<Repertoire>();
    try {
        for (EntreeDossier &e : listerDossier(chemin)) {
            if (e.fichier || e.dossier) {
                std::u16string cle = texte(e.nom.toCaseFolded());
                auto p = r->plies.find(cle);
                if (p == r->plies.end())
                    r->plies.emplace(std::move(cle), e);
                else if (e.nom < p->second.nom)
                    p->second = e;
            }
            std::u16string cle = texte(e.nom);
            r->exacts.insert_or_assign(std::move(cle), std::move(e));
        }
    } catch (const ErreurExecution &) {
        // A folder that cannot be listed holds nothing the game could load.
    }
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
    auto e = r.exacts.find(vue(nom));
    if (e == r.exacts.end() || !(e->second.fichier || e->second.dossier)) {
        plier(nom, m_pli);
        e = r.plies.find(m_pli);
        if (e == r.plies.end())
            return nullptr;
    }
    return &e->second;
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

const bool *ReponsesVehicules::trouver(std::u16string_view cle, size_t empreinte) const
{
    if (m_cases.empty())
        return nullptr;
    const size_t masque = m_cases.size() - 1;
    for (size_t i = empreinte & masque;; i = (i + 1) & masque) {
        const Case &c = m_cases[i];
        if (!c.texte)
            return nullptr;
        if (c.empreinte == empreinte && std::u16string_view(c.texte, c.longueur) == cle)
            return &c.existe;
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

void ReponsesVehicules::ajouter(std::u16string_view cle, size_t empreinte, bool existe)
{
    constexpr size_t TailleBloc = 32768;
    if (cle.empty()) // never a vehicle's spelling; an empty slot's mark
        return;
    if ((m_nombre + 1) * 2 > m_cases.size()) {
        std::vector<Case> anciennes(std::max<size_t>(1024, m_cases.size() * 2));
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
    if (cle.size() > m_libre) {
        m_libre = std::max(TailleBloc, cle.size());
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
    m_cases[i] = {empreinte, texte, cle.size(), existe};
    ++m_nombre;
}

bool VerificateurVehicules::existe(QStringView cle, qsizetype longueurDossier)
{
    return existe(cle, longueurDossier, empreinteVehicule(cle));
}

bool VerificateurVehicules::existe(QStringView cle, qsizetype longueurDossier, size_t empreinte)
{
    if (const bool *connu = m_vehicules.trouver(vue(cle), empreinte))
        return *connu;
    // The folder first, then the file in it: a missing folder answers for
    // every vehicle of it without looking for the file.
    const QStringView dossier = cle.first(longueurDossier);
    auto connuDossier = m_dossiers.find(vue(dossier));
    if (connuDossier == m_dossiers.end()) {
        const auto t = trouver(dossier);
        const Repertoire *r = t && t->dossier ? &repertoire(t->chemin) : nullptr;
        connuDossier = m_dossiers.emplace(vue(dossier), r).first;
    }
    bool reponse = false;
    if (const Repertoire *r = connuDossier->second) {
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
    m_vehicules.ajouter(vue(cle), empreinte, reponse);
    return reponse;
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
