#include "analysis/Vehicules.h"

#include "analysis/LecteurConsist.h"
#include "platform/ErreurExecution.h"

#include <QFileInfo>

namespace corvanel {

struct VerificateurVehicules::Repertoire {
    // Exact name -> entry; case-folded name -> the entry a case-insensitive
    // lookup takes (the first by exact name among those that lead somewhere).
    QHash<QString, EntreeDossier> exacts;
    QHash<QString, EntreeDossier> plies;
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
            const bool mene = e.fichier || e.dossier;
            if (mene) {
                const QString cle = e.nom.toCaseFolded();
                auto p = r->plies.find(cle);
                if (p == r->plies.end() || e.nom < p->nom)
                    r->plies.insert(cle, e);
            }
            r->exacts.insert(e.nom, std::move(e));
        }
    } catch (const ErreurExecution &) {
        // A folder that cannot be listed holds nothing the game could load.
    }
    return **m_cache.insert(chemin, std::move(r));
}

std::optional<VerificateurVehicules::Trouve> VerificateurVehicules::trouver(const QString &relatif)
{
    Trouve t{m_base, false, true};
    qsizetype debut = 0;
    const qsizetype n = relatif.size();
    while (debut <= n) {
        qsizetype fin = debut;
        while (fin < n && relatif[fin] != u'/' && relatif[fin] != u'\\')
            ++fin;
        const QString nom = relatif.mid(debut, fin - debut);
        debut = fin + 1;
        if (nom.isEmpty())
            continue;
        if (!t.dossier)
            return std::nullopt;
        const QString suivant = t.chemin + u'/' + nom;
        if (nom == u"." || nom == u"..") {
            // Not listed, but the file system resolves them.
            const QFileInfo i(suivant);
            if (!i.exists())
                return std::nullopt;
            t = {suivant, i.isFile(), i.isDir()};
            continue;
        }
        const Repertoire &r = repertoire(t.chemin);
        auto e = r.exacts.constFind(nom);
        if (e == r.exacts.constEnd() || !(e->fichier || e->dossier)) {
            e = r.plies.constFind(nom.toCaseFolded());
            if (e == r.plies.constEnd())
                return std::nullopt;
        }
        t = {t.chemin + u'/' + e->nom, e->fichier, e->dossier};
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

bool VerificateurVehicules::existe(const LigneVehicule &v)
{
    const auto ajouter = [this](QStringView t) {
        m_cle.append(reinterpret_cast<const char16_t *>(t.utf16()), static_cast<size_t>(t.size()));
    };
    m_cle.clear();
    ajouter(v.dossier);
    m_cle.push_back(u'/');
    ajouter(v.nom);
    ajouter(v.extension);
    const auto connu = m_vehicules.find(std::u16string_view(m_cle));
    if (connu != m_vehicules.end())
        return connu->second;
    // Both questions are the original's: the folder, then the file in it.
    const QString chemin = QString::fromUtf16(m_cle.data(), static_cast<qsizetype>(m_cle.size()));
    const bool reponse = dossierExiste(v.dossier.toString()) && fichierExiste(chemin);
    m_vehicules.emplace(m_cle, reponse);
    return reponse;
}

} // namespace corvanel
