// The file-operation layer on Windows: the real attributes, and the same
// promises as on other systems (force False, links never followed, copies
// written beside the destination and renamed into place).
#include "fileops/SystemeFichiers.h"

#ifdef Q_OS_WIN

#include "fileops/SystemeFichiersInterne.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

#include <windows.h>

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

constexpr DWORD BitsGeres = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE;

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

    const QFileInfo info(destination);
    const QString temporaire = info.absolutePath() + QStringLiteral("/.") + info.fileName() + u'.' +
                               QString::number(QRandomGenerator::global()->generate(), 36);
    bool place = false;
    struct Nettoyage {
        const QString &chemin;
        const bool &place;
        ~Nettoyage()
        {
            if (!place)
                DeleteFileW(natif(chemin).c_str());
        }
    } nettoyage{temporaire, place};
    {
        const Poignee tmp{CreateFileW(natif(temporaire).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr)};
        if (tmp.h == INVALID_HANDLE_VALUE)
            echec();
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
            if (aEcrire > 0 && (!WriteFile(tmp.h, tampon.data(), aEcrire, &ecrits, nullptr) || ecrits != aEcrire))
                echec();
            total += aEcrire;
            if (aEcrire < lus)
                throw erreurSysteme(panne->err);
        }
        if (panne)
            throw erreurSysteme(panne->err);
        LARGE_INTEGER tailleCopie;
        if (!FlushFileBuffers(tmp.h) || !GetFileSizeEx(tmp.h, &tailleCopie))
            echec();
        if (tailleCopie.QuadPart != tailleSource.QuadPart || total != tailleSource.QuadPart)
            throw ErreurExecution(NumErreur::ErreurES);
        if (!SetFileTime(tmp.h, nullptr, nullptr, &modification))
            echec();
    }
    if (!MoveFileExW(natif(temporaire).c_str(), natif(destination).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        echec();
    place = true;
    const DWORD a = GetFileAttributesW(natif(source).c_str());
    if (a != INVALID_FILE_ATTRIBUTES)
        SetFileAttributesW(natif(destination).c_str(), a & (BitsGeres | FILE_ATTRIBUTE_SYSTEM));
}

void creerDossier(const QString &chemin)
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

} // namespace corvanel::sf

#endif
