#pragma once
// A sandbox for one test: a temporary folder with a settings file of its own,
// a program folder holding copies of the shipped language files, and helpers
// to lay out game folders with real files.
#include "commun/Reglages.h"

#include <QByteArray>
#include <QDateTime>
#include <QStringList>
#include <QTemporaryDir>

namespace corvanel::test {

class Bac {
public:
    Bac();
    ~Bac();

    QString chemin(const QString &relatif = QString()) const
    {
        return relatif.isEmpty() ? m_dir.path() : m_dir.filePath(relatif);
    }
    // Writes a file (creating its folders) and returns its full path.
    QString ecrire(const QString &relatif, const QByteArray &contenu = {});
    QString creerDossier(const QString &relatif);
    // A file's bytes, "<absent>" when it cannot be read.
    static QByteArray lire(const QString &chemin);
    // Sets a file's modification time.
    static void dater(const QString &chemin, const QDateTime &date);

    // Program folder with lang/ holding the shipped language files; sets
    // DossierAppli to it. Ends in "/".
    QString preparerProgramme();
    // A game folder with train.exe, launcher.exe and empty TRAINS/CONSISTS and
    // TRAINS/TRAINSET; ends in "/".
    QString creerJeu(const QString &relatif = QStringLiteral("MSTS"));

    // `relatif` (made if missing) shown at a new folder through a
    // case-insensitive FUSE file system that gives each name its own inode
    // number (tests/fuse); unmounted with the sandbox. The mount point, ending
    // in "/", or the reason it cannot be had (no FUSE here, mount refused)
    // in `raison` and an empty text.
    QString monterSansCasse(const QString &relatif, QString *raison);

    Reglages &reglages() { return *m_reglages; }
    QString fichierReglages() const { return chemin(QStringLiteral("reglages/Corvanel.ini")); }

    static QString dossierLangSource() { return QStringLiteral(CORVANEL_SOURCE_DIR "/lang"); }

private:
    QTemporaryDir m_dir;
    QByteArray m_donnees;
    QStringList m_montages;
    Reglages *m_reglages;
};

// A consist whose vehicle lines start on line 4, in Windows-1252, or in
// UTF-16 LE with its byte-order mark as the game saves most of them.
QByteArray consist(const QStringList &vehicules, bool enUtf16 = false);
// The text in UTF-16 with its byte-order mark.
QByteArray utf16(const QString &texte, bool petitBoutiste = true);
// The text as the game's files hold it: "ansi" (Windows-1252), "utf8" with its
// mark, "utf16le" or "utf16be".
QByteArray encoder(const QString &texte, const QString &codage);

} // namespace corvanel::test
