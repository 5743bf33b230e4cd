#define _POSIX_C_SOURCE 200809L
#include "bench/Plancher.h"

#include <dirent.h>
#include <fcntl.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

static char tampon[1 << 20];

static double maintenant(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (double)t.tv_sec + (double)t.tv_nsec / 1e9;
}

static int64_t lire_en_entier(int repertoire, const char *nom)
{
    const int fd = openat(repertoire, nom, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    int64_t total = 0;
    ssize_t lus;
    while ((lus = read(fd, tampon, sizeof tampon)) > 0)
        total += lus;
    close(fd);
    return total;
}

double plancher_dossier(const char *dossier, int64_t *octets)
{
    const double debut = maintenant();
    *octets = 0;
    DIR *d = opendir(dossier);
    if (!d)
        return 0;
    // The names are read first, as a listing would give them, then each file.
    size_t nombre = 0, place = 0, taille = 0;
    static char noms[64 << 20];
    struct dirent *e;
    while ((e = readdir(d)) != NULL) {
        const size_t n = strlen(e->d_name) + 1;
        if (e->d_name[0] == '.' || taille + n > sizeof noms)
            continue;
        memcpy(noms + taille, e->d_name, n);
        taille += n;
        ++nombre;
    }
    for (size_t i = 0; i < nombre; ++i) {
        const char *nom = noms + place;
        *octets += lire_en_entier(dirfd(d), nom);
        place += strlen(nom) + 1;
    }
    closedir(d);
    return maintenant() - debut;
}

double plancher_fichiers(const char *const *chemins, size_t nombre, int64_t *octets)
{
    const double debut = maintenant();
    *octets = 0;
    for (size_t i = 0; i < nombre; ++i)
        *octets += lire_en_entier(AT_FDCWD, chemins[i]);
    return maintenant() - debut;
}
