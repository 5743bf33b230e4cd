#include "analysis/Vehicules.h"

#include "analysis/LecteurConsist.h"
#include "platform/ErreurExecution.h"

#include <QFileInfo>

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

VerificateurVehicules::~VerificateurVehicules() = default;

const VerificateurVehicules::Repertoire &VerificateurVehicules::repertoire(const QString &chemin)
{
    auto it = m_cache.constFind(chemin);
    if (it != m_cache.constEnd())
        return **it;
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
    return **m_cache.insert(chemin, std::move(r));
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
        const Repertoire &r = repertoire(t.chemin);
        auto e = r.exacts.find(vue(nom));
        if (e == r.exacts.end() || !(e->second.fichier || e->second.dossier)) {
            plier(nom, m_pli);
            e = r.plies.find(m_pli);
            if (e == r.plies.end())
                return std::nullopt;
        }
        t.chemin += u'/';
        t.chemin += e->second.nom;
        t.fichier = e->second.fichier;
        t.dossier = e->second.dossier;
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

bool VerificateurVehicules::existe(QStringView cle, qsizetype longueurDossier)
{
    const auto connu = m_vehicules.find(vue(cle));
    if (connu != m_vehicules.end())
        return connu->second;
    // Both questions are the original's: the folder, then the file in it.
    auto dossier = trouver(cle.first(longueurDossier));
    bool reponse = dossier && dossier->dossier;
    if (reponse) {
        const auto fichier = trouver(cle);
        reponse = fichier && fichier->fichier;
    }
    m_vehicules.emplace(vue(cle), reponse);
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
