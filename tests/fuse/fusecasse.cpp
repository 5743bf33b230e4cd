// A folder shown through FUSE as a case-insensitive, case-preserving file
// system, as players' game folders are on FAT sticks, SMB shares and the
// case-folding passthroughs Linux players mount for Windows content. Each
// name is looked up exactly first, then in any ASCII letter case. Mounted
// without use_ino, as libfuse's high-level API mounts by default: every
// name gets an inode number of its own, so "a.con" and "A.con" look like two
// files although they are one. Tests only.
//
// Usage: corvanel-fusecasse BACKING MOUNTPOINT [fuse options]
#define FUSE_USE_VERSION 31

#include <fuse.h>

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/time.h>
#include <unistd.h>

static char racine[PATH_MAX];

// The backing path of `chemin`: each component matched exactly, else in any
// letter case; a last component that matches nothing is kept as given (a
// name about to be made). -ENOENT when a folder on the way is missing.
static int resoudre(const char *chemin, char *sortie)
{
    size_t n = static_cast<size_t>(snprintf(sortie, PATH_MAX, "%s", racine));
    const char *p = chemin;
    while (*p == '/')
        ++p;
    while (*p) {
        const char *fin = strchr(p, '/');
        const size_t longueur = fin ? static_cast<size_t>(fin - p) : strlen(p);
        char nom[NAME_MAX + 1];
        if (longueur > NAME_MAX)
            return -ENAMETOOLONG;
        memcpy(nom, p, longueur);
        nom[longueur] = 0;
        if (n + 1 + longueur >= PATH_MAX)
            return -ENAMETOOLONG;
        sortie[n] = '/';
        strcpy(sortie + n + 1, nom);
        struct stat st;
        if (lstat(sortie, &st) != 0) {
            sortie[n] = 0;
            DIR *d = opendir(sortie);
            int trouve = 0;
            if (d) {
                struct dirent *e;
                while ((e = readdir(d)) != nullptr) {
                    if (strcasecmp(e->d_name, nom) == 0) {
                        strcpy(nom, e->d_name);
                        trouve = 1;
                        break;
                    }
                }
                closedir(d);
            }
            sortie[n] = '/';
            strcpy(sortie + n + 1, nom);
            if (!trouve && fin)
                return -ENOENT;
        }
        n += 1 + strlen(nom);
        p = fin ? fin + 1 : p + longueur;
        while (*p == '/')
            ++p;
    }
    return 0;
}

#define RESOUDRE(c, v)                                                                                                 \
    char v[PATH_MAX];                                                                                                  \
    do {                                                                                                               \
        const int r_ = resoudre(c, v);                                                                                 \
        if (r_ != 0)                                                                                                   \
            return r_;                                                                                                 \
    } while (0)
#define RESULTAT(appel) return (appel) == -1 ? -errno : 0

static int fc_getattr(const char *c, struct stat *st, struct fuse_file_info *fi)
{
    if (fi)
        RESULTAT(fstat(static_cast<int>(fi->fh), st));
    RESOUDRE(c, p);
    RESULTAT(lstat(p, st));
}

static int fc_readdir(const char *c, void *tampon, fuse_fill_dir_t remplir, off_t, struct fuse_file_info *,
                      enum fuse_readdir_flags)
{
    RESOUDRE(c, p);
    DIR *d = opendir(p);
    if (!d)
        return -errno;
    struct dirent *e;
    while ((e = readdir(d)) != nullptr)
        if (remplir(tampon, e->d_name, nullptr, 0, static_cast<fuse_fill_dir_flags>(0)))
            break;
    closedir(d);
    return 0;
}

static int fc_create(const char *c, mode_t mode, struct fuse_file_info *fi)
{
    RESOUDRE(c, p);
    const int fd = open(p, fi->flags, mode);
    if (fd < 0)
        return -errno;
    fi->fh = static_cast<uint64_t>(fd);
    return 0;
}

static int fc_read(const char *, char *tampon, size_t taille, off_t decalage, struct fuse_file_info *fi)
{
    const ssize_t n = pread(static_cast<int>(fi->fh), tampon, taille, decalage);
    return n < 0 ? -errno : static_cast<int>(n);
}

static int fc_write(const char *, const char *tampon, size_t taille, off_t decalage, struct fuse_file_info *fi)
{
    const ssize_t n = pwrite(static_cast<int>(fi->fh), tampon, taille, decalage);
    return n < 0 ? -errno : static_cast<int>(n);
}

static int fc_release(const char *, struct fuse_file_info *fi)
{
    close(static_cast<int>(fi->fh));
    return 0;
}

static int fc_fsync(const char *, int donnees, struct fuse_file_info *fi)
{
    if (!fi)
        return 0;
    RESULTAT(donnees ? fdatasync(static_cast<int>(fi->fh)) : fsync(static_cast<int>(fi->fh)));
}

static int fc_truncate(const char *c, off_t taille, struct fuse_file_info *fi)
{
    if (fi)
        RESULTAT(ftruncate(static_cast<int>(fi->fh), taille));
    RESOUDRE(c, p);
    RESULTAT(truncate(p, taille));
}

static int fc_unlink(const char *c)
{
    RESOUDRE(c, p);
    RESULTAT(unlink(p));
}

static int fc_rmdir(const char *c)
{
    RESOUDRE(c, p);
    RESULTAT(rmdir(p));
}

static int fc_mkdir(const char *c, mode_t mode)
{
    RESOUDRE(c, p);
    RESULTAT(mkdir(p, mode));
}

static int fc_mknod(const char *c, mode_t mode, dev_t dev)
{
    RESOUDRE(c, p);
    RESULTAT(mknod(p, mode, dev));
}

static int fc_symlink(const char *cible, const char *c)
{
    RESOUDRE(c, p);
    RESULTAT(symlink(cible, p));
}

static int fc_readlink(const char *c, char *tampon, size_t taille)
{
    RESOUDRE(c, p);
    const ssize_t n = readlink(p, tampon, taille - 1);
    if (n < 0)
        return -errno;
    tampon[n] = 0;
    return 0;
}

// Over a name already there in another letter case, the name stays as it
// was: the file system keeps the case a name was first given.
static int fc_rename(const char *de, const char *vers, unsigned int drapeaux)
{
    RESOUDRE(de, p);
    RESOUDRE(vers, q);
    RESULTAT(renameat2(AT_FDCWD, p, AT_FDCWD, q, drapeaux));
}

static int fc_link(const char *de, const char *vers)
{
    RESOUDRE(de, p);
    RESOUDRE(vers, q);
    RESULTAT(link(p, q));
}

static int fc_chmod(const char *c, mode_t mode, struct fuse_file_info *fi)
{
    if (fi)
        RESULTAT(fchmod(static_cast<int>(fi->fh), mode));
    RESOUDRE(c, p);
    RESULTAT(chmod(p, mode));
}

static int fc_chown(const char *c, uid_t u, gid_t g, struct fuse_file_info *fi)
{
    if (fi)
        RESULTAT(fchown(static_cast<int>(fi->fh), u, g));
    RESOUDRE(c, p);
    RESULTAT(lchown(p, u, g));
}

static int fc_utimens(const char *c, const struct timespec tv[2], struct fuse_file_info *fi)
{
    if (fi)
        RESULTAT(futimens(static_cast<int>(fi->fh), tv));
    RESOUDRE(c, p);
    RESULTAT(utimensat(AT_FDCWD, p, tv, AT_SYMLINK_NOFOLLOW));
}

static int fc_statfs(const char *c, struct statvfs *st)
{
    RESOUDRE(c, p);
    RESULTAT(statvfs(p, st));
}

static int fc_access(const char *c, int masque)
{
    RESOUDRE(c, p);
    RESULTAT(access(p, masque));
}

static void *fc_init(struct fuse_conn_info *, struct fuse_config *cfg)
{
    // No caching of names or attributes: every lookup asks, as a share does.
    cfg->use_ino = 0;
    cfg->entry_timeout = 0;
    cfg->attr_timeout = 0;
    cfg->negative_timeout = 0;
    return nullptr;
}

int main(int argc, char *argv[])
{
    fuse_operations operations{};
    operations.getattr = fc_getattr;
    operations.readlink = fc_readlink;
    operations.mknod = fc_mknod;
    operations.mkdir = fc_mkdir;
    operations.unlink = fc_unlink;
    operations.rmdir = fc_rmdir;
    operations.symlink = fc_symlink;
    operations.rename = fc_rename;
    operations.link = fc_link;
    operations.chmod = fc_chmod;
    operations.chown = fc_chown;
    operations.truncate = fc_truncate;
    // Without O_CREAT the mode is not looked at.
    operations.open = [](const char *c, struct fuse_file_info *fi) { return fc_create(c, 0, fi); };
    operations.read = fc_read;
    operations.write = fc_write;
    operations.statfs = fc_statfs;
    operations.release = fc_release;
    operations.fsync = fc_fsync;
    operations.readdir = fc_readdir;
    operations.init = fc_init;
    operations.access = fc_access;
    operations.create = fc_create;
    operations.utimens = fc_utimens;
    if (argc < 3 || !realpath(argv[1], racine)) {
        fprintf(stderr, "usage: %s BACKING MOUNTPOINT [fuse options]\n", argv[0]);
        return 2;
    }
    // The backing folder is ours alone; FUSE sees the remaining arguments.
    argv[1] = argv[0];
    return fuse_main(argc - 1, argv + 1, &operations, nullptr);
}
