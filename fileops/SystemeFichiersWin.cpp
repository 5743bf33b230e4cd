// The file-operation layer on Windows: the real attributes, and the same
// promises as on other systems (force False, links never followed, copies
// written beside the destination and renamed into place).
#include "fileops/SystemeFichiers.h"

#ifdef Q_OS_WIN

#include "fileops/DossierOuvert.h"
#include "fileops/SystemeFichiersInterne.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

namespace corvanel::sf {

namespace {

using namespace interne;

std::wstring natif(const QString &chemin)
{
    return QDir::toNativeSeparators(chemin).toStdWString();
}

ErreurExecution erreurWindows(DWORD code)
{
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
        return ErreurExecution(NumErreur::FichierIntrouvable);
    case ERROR_PATH_NOT_FOUND:
        return ErreurExecution(NumErreur::CheminIntrouvable);
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return ErreurExecution(NumErreur::PermissionRefusee);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ErreurExecution(NumErreur::DisquePlein);
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return ErreurExecution(NumErreur::FichierExiste);
    default:
        return ErreurExecution(NumErreur::AccesChemin, ErreurExecution::descriptionFrancaise(NumErreur::AccesChemin) +
                                                           QStringLiteral(" (") + qt_error_string(int(code)) +
                                                           QStringLiteral(")"));
    }
}

[[noreturn]] void echec()
{
    throw erreurWindows(GetLastError());
}

DWORD attributsWindows(const QString &chemin)
{
    const DWORD a = GetFileAttributesW(natif(chemin).c_str());
    if (a == INVALID_FILE_ATTRIBUTES)
        echec();
    return a;
}

constexpr DWORD BitsGeres =
    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;

bool estReparation(DWORD a)
{
    return (a & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

void retirerLien(const QString &chemin, DWORD a)
{
    const BOOL ok =
        (a & FILE_ATTRIBUTE_DIRECTORY) ? RemoveDirectoryW(natif(chemin).c_str()) : DeleteFileW(natif(chemin).c_str());
    if (!ok)
        echec();
}

struct EntreeWin {
    QString chemin;
    DWORD attributs;
};

std::vector<EntreeWin> entrees(const QString &dossier)
{
    std::vector<EntreeWin> liste;
    WIN32_FIND_DATAW d;
    const HANDLE h = FindFirstFileExW(natif(dossier + QStringLiteral("/*")).c_str(), FindExInfoBasic, &d,
                                      FindExSearchNameMatch, nullptr, 0);
    if (h == INVALID_HANDLE_VALUE) {
        if (GetLastError() == ERROR_FILE_NOT_FOUND)
            return liste;
        echec();
    }
    do {
        const QString nom = QString::fromWCharArray(d.cFileName);
        if (nom != u"." && nom != u"..")
            liste.push_back({dossier + u'/' + nom, d.dwFileAttributes});
    } while (FindNextFileW(h, &d));
    const DWORD fin = GetLastError();
    FindClose(h);
    if (fin != ERROR_NO_MORE_FILES)
        throw erreurWindows(fin);
    return liste;
}

void verifierSupprimable(const QString &dossier)
{
    for (const EntreeWin &e : entrees(dossier)) {
        verifierPanne(Operation::Suppression, e.chemin);
        if (estReparation(e.attributs))
            continue;
        if (e.attributs & FILE_ATTRIBUTE_READONLY)
            throw ErreurExecution(NumErreur::PermissionRefusee);
        if (e.attributs & FILE_ATTRIBUTE_DIRECTORY)
            verifierSupprimable(e.chemin);
    }
}

void vider(const QString &dossier)
{
    for (const EntreeWin &e : entrees(dossier)) {
        if (estReparation(e.attributs)) {
            retirerLien(e.chemin, e.attributs);
        } else if (e.attributs & FILE_ATTRIBUTE_DIRECTORY) {
            vider(e.chemin);
            if (!RemoveDirectoryW(natif(e.chemin).c_str()))
                echec();
        } else if (!DeleteFileW(natif(e.chemin).c_str())) {
            echec();
        }
    }
}

struct Poignee {
    HANDLE h;
    ~Poignee()
    {
        if (h != INVALID_HANDLE_VALUE)
            CloseHandle(h);
    }
};

// A temporary file beside `destination`, removed unless it was renamed into
// place. Short: the consist's own name may be as long as a name can be.
class Temporaire {
public:
    explicit Temporaire(const QString &destination)
        : m_chemin(QFileInfo(destination).absolutePath() + QStringLiteral("/.crv-") +
                   QString::number(QRandomGenerator::global()->generate(), 36)),
          m_h(CreateFileW(natif(m_chemin).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                          nullptr))
    {
        if (m_h == INVALID_HANDLE_VALUE)
            echec();
    }
    ~Temporaire()
    {
        fermer();
        if (!m_place)
            DeleteFileW(natif(m_chemin).c_str());
    }
    Temporaire(const Temporaire &) = delete;
    Temporaire &operator=(const Temporaire &) = delete;

    HANDLE h() const { return m_h; }
    // Closes it and renames it over `destination`; false with GetLastError()
    // telling why.
    bool placer(const QString &destination)
    {
        fermer();
        m_place = MoveFileExW(natif(m_chemin).c_str(), natif(destination).c_str(),
                              MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
        return m_place;
    }

private:
    void fermer()
    {
        if (m_h != INVALID_HANDLE_VALUE)
            CloseHandle(m_h);
        m_h = INVALID_HANDLE_VALUE;
    }

    QString m_chemin;
    HANDLE m_h;
    bool m_place = false;
};

} // namespace

int lireAttributs(const QString &chemin)
{
    sansAttributsEtendus(chemin); // only injected failures other than ENOTSUP apply here
    const DWORD a = attributsWindows(chemin);
    return static_cast<int>(a & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                 FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_ARCHIVE));
}

void definirAttributs(const QString &chemin, int attributs)
{
    if (sansAttributsEtendus(chemin) && (attributs & (Cache | Archive)) != 0)
        throw erreurSysteme(ENOTSUP);
    const DWORD avant = attributsWindows(chemin);
    DWORD apres = (avant & ~(BitsGeres | FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) |
                  (static_cast<DWORD>(attributs) & BitsGeres);
    if (apres == 0)
        apres = FILE_ATTRIBUTE_NORMAL;
    if (!SetFileAttributesW(natif(chemin).c_str(), apres))
        echec();
}

EtatAttributs sauverAttributs(const QString &chemin)
{
    return {attributsWindows(chemin), QByteArray()};
}

void restaurerAttributs(const QString &chemin, const EtatAttributs &etat)
{
    if (!SetFileAttributesW(natif(chemin).c_str(), etat.mode & ~DWORD(FILE_ATTRIBUTE_DIRECTORY)))
        echec();
}

std::optional<Identite> identite(const QString &chemin)
{
    const HANDLE h =
        CreateFileW(natif(chemin).c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info;
    const BOOL ok = GetFileInformationByHandle(h, &info);
    CloseHandle(h);
    if (!ok)
        return std::nullopt;
    Identite i{
        info.dwVolumeSerialNumber, (std::uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow,
        std::int64_t((std::uint64_t(info.nFileSizeHigh) << 32) | info.nFileSizeLow),
        std::int64_t((std::uint64_t(info.ftLastWriteTime.dwHighDateTime) << 32) | info.ftLastWriteTime.dwLowDateTime)};
    if (pannePour(Operation::Montage, chemin))
        i.volume = ~i.volume;
    return i;
}

// Mounted folders are reparse points, which the clean-up removes as links.
bool surAutreMontage(const QString &chemin)
{
    return pannePour(Operation::Montage, chemin).has_value();
}

bool existe(const QString &chemin)
{
    return GetFileAttributesW(natif(chemin).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool estLien(const QString &chemin)
{
    const DWORD a = GetFileAttributesW(natif(chemin).c_str());
    return a != INVALID_FILE_ATTRIBUTES && estReparation(a);
}

void supprimerFichier(const QString &chemin)
{
    verifierPanne(Operation::Suppression, chemin);
    const DWORD a = attributsWindows(chemin);
    if (estReparation(a))
        return retirerLien(chemin, a);
    if (a & FILE_ATTRIBUTE_DIRECTORY)
        throw ErreurExecution(NumErreur::FichierIntrouvable);
    if (a & FILE_ATTRIBUTE_READONLY)
        throw ErreurExecution(NumErreur::PermissionRefusee);
    if (!DeleteFileW(natif(chemin).c_str()))
        echec();
}

void supprimerLien(const QString &chemin)
{
    verifierPanne(Operation::Suppression, chemin);
    const DWORD a = attributsWindows(chemin);
    if (!estReparation(a))
        throw ErreurExecution(NumErreur::AppelIncorrect);
    retirerLien(chemin, a);
}

void interne::verifierRetrait(const QString &chemin)
{
    verifierPanne(Operation::Suppression, chemin);
    const DWORD a = attributsWindows(chemin);
    if (estReparation(a))
        return;
    if (a & FILE_ATTRIBUTE_READONLY)
        throw ErreurExecution(NumErreur::PermissionRefusee);
    if (a & FILE_ATTRIBUTE_DIRECTORY)
        verifierSupprimable(chemin);
}

void supprimerDossier(const QString &chemin)
{
    verifierPanne(Operation::Suppression, chemin);
    const DWORD a = GetFileAttributesW(natif(chemin).c_str());
    if (a == INVALID_FILE_ATTRIBUTES)
        throw ErreurExecution(NumErreur::CheminIntrouvable);
    if (estReparation(a))
        return retirerLien(chemin, a);
    if (!(a & FILE_ATTRIBUTE_DIRECTORY))
        throw ErreurExecution(NumErreur::CheminIntrouvable);
    if (a & FILE_ATTRIBUTE_READONLY)
        throw ErreurExecution(NumErreur::PermissionRefusee);
    verifierSupprimable(chemin);
    vider(chemin);
    if (!RemoveDirectoryW(natif(chemin).c_str()))
        echec();
}

void copierFichier(const QString &source, const QString &destination)
{
    auto panne = pannePour(Operation::Copie, source);
    if (!panne)
        panne = pannePour(Operation::Copie, destination);
    if (panne && panne->apresOctets < 0)
        throw erreurSysteme(panne->err);

    const DWORD dest = GetFileAttributesW(natif(destination).c_str());
    if (dest != INVALID_FILE_ATTRIBUTES && (dest & FILE_ATTRIBUTE_READONLY))
        throw ErreurExecution(NumErreur::PermissionRefusee);

    const Poignee src{CreateFileW(natif(source).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr)};
    if (src.h == INVALID_HANDLE_VALUE)
        echec();
    LARGE_INTEGER tailleSource;
    FILETIME modification;
    if (!GetFileSizeEx(src.h, &tailleSource) || !GetFileTime(src.h, nullptr, nullptr, &modification))
        echec();

    Temporaire tmp(destination);
    {
        std::int64_t total = 0;
        std::vector<char> tampon(64 * 1024);
        for (;;) {
            DWORD lus = 0;
            if (!ReadFile(src.h, tampon.data(), DWORD(tampon.size()), &lus, nullptr))
                echec();
            if (lus == 0)
                break;
            DWORD aEcrire = lus;
            if (panne && total + lus >= panne->apresOctets)
                aEcrire = DWORD(panne->apresOctets - total);
            DWORD ecrits = 0;
            if (aEcrire > 0 && (!WriteFile(tmp.h(), tampon.data(), aEcrire, &ecrits, nullptr) || ecrits != aEcrire))
                echec();
            total += aEcrire;
            if (aEcrire < lus)
                throw erreurSysteme(panne->err);
        }
        if (panne)
            throw erreurSysteme(panne->err);
        LARGE_INTEGER tailleCopie;
        if (!FlushFileBuffers(tmp.h()) || !GetFileSizeEx(tmp.h(), &tailleCopie))
            echec();
        if (tailleCopie.QuadPart != tailleSource.QuadPart || total != tailleSource.QuadPart)
            throw ErreurExecution(NumErreur::ErreurES);
        if (!SetFileTime(tmp.h(), nullptr, nullptr, &modification))
            echec();
    }
    if (!tmp.placer(destination))
        echec();
    const DWORD a = GetFileAttributesW(natif(source).c_str());
    if (a != INVALID_FILE_ATTRIBUTES)
        SetFileAttributesW(natif(destination).c_str(), a & BitsGeres);
}

// `prive` asks nothing more here: a folder made in the user's profile
// inherits its access list, which other accounts cannot read.
void creerDossier(const QString &chemin, bool)
{
    verifierPanne(Operation::CreationDossier, chemin);
    if (CreateDirectoryW(natif(chemin).c_str(), nullptr))
        return;
    const DWORD code = GetLastError();
    if (code == ERROR_ALREADY_EXISTS)
        throw ErreurExecution(NumErreur::AccesChemin);
    if (code == ERROR_PATH_NOT_FOUND)
        throw ErreurExecution(NumErreur::CheminIntrouvable);
    throw erreurWindows(code);
}

void ecrireContenu(const QString &chemin, const QByteArray &octets, bool lectureSeuleAdmise, bool)
{
    const auto panne = pannePour(Operation::Ecriture, chemin);
    if (panne && panne->apresOctets < 0)
        throw erreurSysteme(panne->err);
    const DWORD avant = GetFileAttributesW(natif(chemin).c_str());
    const bool existant = avant != INVALID_FILE_ATTRIBUTES;
    // A reparse point (a symbolic link, a junction) is never written
    // through: where it leads is not the folder's to change.
    if (existant && estReparation(avant))
        throw LienSortant();
    if (existant && (avant & FILE_ATTRIBUTE_DIRECTORY))
        throw ErreurExecution(NumErreur::PermissionRefusee);
    if (existant && (avant & FILE_ATTRIBUTE_READONLY) && !lectureSeuleAdmise)
        throw ErreurExecution(NumErreur::PermissionRefusee);

    Temporaire tmp(chemin);
    {
        const qsizetype aEcrire = panne ? std::min<qsizetype>(octets.size(), panne->apresOctets) : octets.size();
        DWORD ecrits = 0;
        if (aEcrire > 0 &&
            (!WriteFile(tmp.h(), octets.constData(), DWORD(aEcrire), &ecrits, nullptr) || ecrits != DWORD(aEcrire)))
            echec();
        if (panne)
            throw erreurSysteme(panne->err);
        if (!FlushFileBuffers(tmp.h()))
            echec();
    }
    // A read-only file cannot be replaced by a rename: cleared for the
    // while, set again on the new contents below.
    if (existant && (avant & FILE_ATTRIBUTE_READONLY) &&
        !SetFileAttributesW(natif(chemin).c_str(), avant & ~FILE_ATTRIBUTE_READONLY))
        echec();
    if (!tmp.placer(chemin)) {
        const DWORD code = GetLastError();
        if (existant)
            SetFileAttributesW(natif(chemin).c_str(), avant & (BitsGeres | FILE_ATTRIBUTE_SYSTEM));
        throw erreurWindows(code);
    }
    if (existant)
        SetFileAttributesW(natif(chemin).c_str(), avant & (BitsGeres | FILE_ATTRIBUTE_SYSTEM));
}

// Written one by one: the flush of each file is the platform's own, and
// Windows gives no flush of a whole volume to a program without rights.
struct LotEcritures::Prive {
    struct Demande {
        QString chemin;
        QByteArray octets;
        bool lectureSeuleAdmise;
    };
    std::vector<Demande> demandes;
};

LotEcritures::LotEcritures() : d(std::make_unique<Prive>()) {}
LotEcritures::~LotEcritures() = default;

qsizetype LotEcritures::taille() const
{
    return qsizetype(d->demandes.size());
}

void LotEcritures::preparer(const QString &chemin, const QByteArray &octets, bool lectureSeuleAdmise, bool)
{
    d->demandes.push_back({chemin, octets, lectureSeuleAdmise});
}

void LotEcritures::preparer(const DossierOuvert &dossier, const QString &nom, const QByteArray &octets,
                            bool lectureSeuleAdmise)
{
    dossier.verifierLien(nom);
    d->demandes.push_back({dossier.chemin(nom), octets, lectureSeuleAdmise});
}

QList<std::optional<ErreurExecution>> LotEcritures::placer()
{
    const std::vector<Prive::Demande> demandes = std::move(d->demandes);
    d->demandes.clear();
    QList<std::optional<ErreurExecution>> resultats;
    for (const Prive::Demande &e : demandes) {
        try {
            ecrireContenu(e.chemin, e.octets, e.lectureSeuleAdmise);
            resultats.append(std::nullopt);
        } catch (const ErreurExecution &err) {
            resultats.append(err);
        }
    }
    return resultats;
}

QString ecritureRefusee(const QString &dossier)
{
    const QString essai = cheminEssai(dossier);
    if (const auto p = pannePour(Operation::Ecriture, essai))
        return qt_error_string(p->err);
    // Removed by the system when closed, even if the program stops here.
    const HANDLE h = CreateFileW(natif(essai).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return qt_error_string(int(GetLastError()));
    CloseHandle(h);
    return {};
}

} // namespace corvanel::sf

#endif
