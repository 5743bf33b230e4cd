#include "platform/Registre.h"

#include "platform/Chemins.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#ifdef Q_OS_WIN
#include <QSettings>
#endif

namespace corvanel {

namespace {

const QString CleJeu = QStringLiteral("Software\\Microsoft\\Microsoft Games\\Train Simulator\\1.0");
const QString CleJeuWow = QStringLiteral("Software\\Wow6432Node\\Microsoft\\Microsoft Games\\Train Simulator\\1.0");
const QString ValeurChemin = QStringLiteral("Path");

// --- Reading Wine's registry files ------------------------------------------
//
// wineserver writes every character above 127 as a \x escape, so the files it
// saves are plain ASCII; bytes above 127 only come from hand edits, and
// recent wineservers read those as UTF-8. An escape is undone the way the
// server's loader undoes it: \a \b \e \f \n \r \t \v, \x with one to four hex
// digits (a bare \x is the letter x), \ followed by one to three octal digits,
// and any other escaped character stands for itself (\\ \" \[ \]).

bool estHex(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

int valeurHex(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return c - 'A' + 10;
}

bool estOctal(char c)
{
    return c >= '0' && c <= '7';
}

// Undoes the escapes of the text starting at `debut` up to the first
// unescaped `fin`. On success `debut` moves past that delimiter; nullopt when
// the delimiter is missing (a cut line), as Wine then drops the entry.
std::optional<QString> lireEchappe(QByteArrayView ligne, qsizetype &debut, char fin)
{
    QString resultat;
    QByteArray brut; // raw bytes waiting to be decoded as UTF-8
    const auto vider = [&] {
        if (!brut.isEmpty()) {
            resultat += QString::fromUtf8(brut);
            brut.clear();
        }
    };

    qsizetype i = debut;
    const qsizetype n = ligne.size();
    while (i < n && ligne[i] != fin) {
        const char c = ligne[i];
        if (c != '\\') {
            brut += c;
            ++i;
            continue;
        }
        ++i;
        if (i >= n)
            return std::nullopt;
        const char e = ligne[i];
        char16_t simple = 0;
        switch (e) {
        case 'a':
            simple = u'\a';
            break;
        case 'b':
            simple = u'\b';
            break;
        case 'e':
            simple = 0x1b;
            break;
        case 'f':
            simple = u'\f';
            break;
        case 'n':
            simple = u'\n';
            break;
        case 'r':
            simple = u'\r';
            break;
        case 't':
            simple = u'\t';
            break;
        case 'v':
            simple = u'\v';
            break;
        default:
            break;
        }
        if (simple != 0) {
            vider();
            resultat += QChar(simple);
            ++i;
        } else if (e == 'x') {
            vider();
            ++i;
            if (i >= n || !estHex(ligne[i])) {
                resultat += u'x';
                continue;
            }
            // One UTF-16 unit; characters beyond it come as two escapes
            // (a surrogate pair), which QString joins back by itself.
            char16_t unite = 0;
            for (int k = 0; k < 4 && i < n && estHex(ligne[i]); ++k, ++i)
                unite = char16_t(unite * 16 + valeurHex(ligne[i]));
            resultat += QChar(unite);
        } else if (estOctal(e)) {
            vider();
            char16_t unite = 0;
            for (int k = 0; k < 3 && i < n && estOctal(ligne[i]); ++k, ++i)
                unite = char16_t(unite * 8 + (ligne[i] - '0'));
            resultat += QChar(unite);
        } else {
            // The escaped character stands for itself (kept raw so that an
            // escaped byte of a UTF-8 sequence still decodes).
            brut += e;
            ++i;
        }
    }
    if (i >= n)
        return std::nullopt;
    vider();
    debut = i + 1;
    return resultat;
}

void sauterBlancs(QByteArrayView ligne, qsizetype &i)
{
    while (i < ligne.size() && (ligne[i] == ' ' || ligne[i] == '\t'))
        ++i;
}

// The bytes of a hex:, hex(N): value, following the continuation lines
// (ending in a backslash) it spreads over. `ligneCourante` moves to the last
// line used. nullopt when the list is malformed.
std::optional<QByteArray> lireOctetsHex(const QList<QByteArrayView> &lignes, qsizetype &ligneCourante, qsizetype debut)
{
    QByteArray octets;
    QByteArrayView ligne = lignes[ligneCourante];
    qsizetype i = debut;
    for (;;) {
        while (i < ligne.size() && estHex(ligne[i])) {
            int valeur = 0;
            int chiffres = 0;
            while (i < ligne.size() && estHex(ligne[i])) {
                valeur = valeur * 16 + valeurHex(ligne[i]);
                if (++chiffres > 2)
                    return std::nullopt;
                ++i;
            }
            octets += char(valeur);
            sauterBlancs(ligne, i);
            if (i < ligne.size() && ligne[i] == ',')
                ++i;
            sauterBlancs(ligne, i);
        }
        sauterBlancs(ligne, i);
        if (i >= ligne.size())
            return octets;
        if (ligne[i] != '\\' || ligneCourante + 1 >= lignes.size())
            return std::nullopt;
        ligne = lignes[++ligneCourante];
        i = 0;
        sauterBlancs(ligne, i);
    }
}

// A string value saved as bytes (Wine does so when the string lacks its
// final null): UTF-16LE.
QString depuisUtf16(const QByteArray &octets)
{
    QString texte;
    texte.reserve(octets.size() / 2);
    for (qsizetype k = 0; k + 1 < octets.size(); k += 2)
        texte += QChar(char16_t(quint8(octets[k]) | (quint8(octets[k + 1]) << 8)));
    return texte;
}

// A program reading the value gets the text up to its first null.
QString jusquAuNul(QString texte)
{
    const qsizetype nul = texte.indexOf(QChar(u'\0'));
    if (nul >= 0)
        texte.truncate(nul);
    return texte;
}

enum class Donnee { Chaine, Autre, Illisible };

struct ValeurLue {
    Donnee genre = Donnee::Illisible;
    QString texte;
};

// The data after "name=" on a value line: a string (REG_SZ or REG_EXPAND_SZ,
// written as text or as bytes) or something else.
ValeurLue lireDonnee(const QList<QByteArrayView> &lignes, qsizetype &ligneCourante, qsizetype i)
{
    const QByteArrayView ligne = lignes[ligneCourante];
    const QByteArrayView reste = ligne.sliced(i);
    ValeurLue lue;

    qsizetype apres = -1;
    if (reste.startsWith("\""))
        apres = i + 1;
    else if (reste.startsWith("str:\""))
        apres = i + 5;
    else if (reste.startsWith("str(2):\""))
        apres = i + 8;
    if (apres >= 0) {
        if (const std::optional<QString> texte = lireEchappe(ligne, apres, '"')) {
            lue.genre = Donnee::Chaine;
            lue.texte = jusquAuNul(*texte);
        }
        return lue;
    }

    bool chaine = false;
    qsizetype debutHex = -1;
    if (reste.startsWith("hex:")) {
        debutHex = i + 4;
    } else if (reste.startsWith("hex(")) {
        const qsizetype ferme = reste.indexOf("):");
        if (ferme < 0)
            return lue;
        bool ok = false;
        const uint type = reste.sliced(4, ferme - 4).toByteArray().toUInt(&ok, 16);
        if (!ok)
            return lue;
        chaine = (type == 1 || type == 2);
        debutHex = i + ferme + 2;
    }
    if (debutHex >= 0) {
        const std::optional<QByteArray> octets = lireOctetsHex(lignes, ligneCourante, debutHex);
        if (!octets)
            return lue;
        if (chaine) {
            lue.genre = Donnee::Chaine;
            lue.texte = jusquAuNul(depuisUtf16(*octets));
        } else {
            lue.genre = Donnee::Autre;
        }
        return lue;
    }

    if (reste.startsWith("dword:") || reste.startsWith("str("))
        lue.genre = Donnee::Autre;
    return lue;
}

QString normaliserCle(QStringView cle)
{
    QString c = cle.toString();
    while (c.startsWith(u'\\'))
        c.remove(0, 1);
    while (c.endsWith(u'\\'))
        c.chop(1);
    return c;
}

} // namespace

std::optional<QString> lireValeurRegWine(QByteArrayView contenu, QStringView cle, QStringView nomValeur)
{
    QList<QByteArrayView> lignes;
    for (qsizetype debut = 0; debut < contenu.size();) {
        qsizetype fin = contenu.indexOf('\n', debut);
        if (fin < 0)
            fin = contenu.size();
        QByteArrayView ligne = contenu.sliced(debut, fin - debut);
        if (ligne.endsWith('\r'))
            ligne.chop(1);
        lignes.append(ligne);
        debut = fin + 1;
    }
    // wineserver loads nothing from a file without its signature.
    if (lignes.isEmpty() || lignes.first() != QByteArrayView("WINE REGISTRY Version 2"))
        return std::nullopt;

    const QString cleVoulue = normaliserCle(cle);
    bool dansLaCle = false;
    std::optional<QString> trouvee;
    for (qsizetype l = 1; l < lignes.size(); ++l) {
        const QByteArrayView ligne = lignes[l];
        qsizetype i = 0;
        sauterBlancs(ligne, i);
        if (i >= ligne.size())
            continue;
        const char premier = ligne[i];
        if (premier == '[') {
            ++i;
            const std::optional<QString> nom = lireEchappe(ligne, i, ']');
            dansLaCle = nom && normaliserCle(*nom).compare(cleVoulue, Qt::CaseInsensitive) == 0;
            continue;
        }
        if (!dansLaCle || (premier != '"' && premier != '@'))
            continue;

        QString nom;
        if (premier == '@') {
            ++i;
        } else {
            ++i;
            const std::optional<QString> lu = lireEchappe(ligne, i, '"');
            if (!lu)
                continue;
            nom = *lu;
        }
        sauterBlancs(ligne, i);
        if (i >= ligne.size() || ligne[i] != '=')
            continue;
        ++i;
        sauterBlancs(ligne, i);
        if (nom.compare(nomValeur, Qt::CaseInsensitive) != 0) {
            // Still walk over the continuation lines of a long hex value.
            (void)lireDonnee(lignes, l, i);
            continue;
        }
        // The same value written again later replaces the earlier one, and a
        // malformed one leaves the value empty of data, as when Wine loads it.
        const ValeurLue lue = lireDonnee(lignes, l, i);
        if (lue.genre == Donnee::Chaine)
            trouvee = lue.texte;
        else
            trouvee.reset();
    }
    return trouvee;
}

QString prefixeWine()
{
    const QString variable = qEnvironmentVariable("WINEPREFIX");
    if (!variable.isEmpty())
        return QDir::cleanPath(variable);
    return QDir::cleanPath(QDir::homePath() + QStringLiteral("/.wine"));
}

QString traduireCheminWine(const QString &prefixe, const QString &cheminWindows)
{
    if (cheminWindows.size() < 2 || cheminWindows[1] != u':')
        return {};
    const QChar lettre = cheminWindows[0].toLower();
    if (lettre < u'a' || lettre > u'z')
        return {};

    const QString dosdevices = prefixe + QStringLiteral("/dosdevices");
    QString lecteur = dosdevices + u'/' + lettre + u':';
    if (!QFileInfo::exists(lecteur)) {
        // Prefixes made before dosdevices existed still have drive_c.
        if (lettre == u'c' && !QFileInfo::exists(dosdevices) && QFileInfo(prefixe + QStringLiteral("/drive_c")).isDir())
            lecteur = prefixe + QStringLiteral("/drive_c");
        else
            return {};
    }
    // Where the drive really is (drive_c, /, a mounted disc...), so the path
    // names the volume that holds it.
    const QString racine = QFileInfo(lecteur).canonicalFilePath();
    if (racine.isEmpty())
        return {};

    const QString reste = cheminWindows.mid(2);
    // Read as Windows reads it: "." is nothing and ".." goes up one, never
    // above the drive's root, so the path stays in the drive's folder.
    QStringList noms;
    for (const QString &nom : reste.split(u'\\'))
        for (const QString &partie : nom.split(u'/')) {
            if (partie == u"..") {
                if (!noms.isEmpty())
                    noms.removeLast();
            } else if (!partie.isEmpty() && partie != u".") {
                noms.append(partie);
            }
        }

    // As much as exists is taken with the case it has on disk; the rest is
    // kept as the registry spells it.
    QString chemin = racine;
    qsizetype k = 0;
    for (; k < noms.size(); ++k) {
        const std::optional<QString> trouve = trouverSansCasse(chemin, noms[k]);
        if (!trouve)
            break;
        chemin = *trouve;
    }
    for (; k < noms.size(); ++k)
        chemin += (chemin.endsWith(u'/') ? QString() : QStringLiteral("/")) + noms[k];

    const bool finalSeparateur = reste.endsWith(u'\\') || reste.endsWith(u'/');
    if (finalSeparateur && !chemin.endsWith(u'/'))
        chemin += u'/';
    if (!finalSeparateur && chemin.endsWith(u'/') && chemin.size() > 1)
        chemin.chop(1);
    return chemin;
}

QString lireDossierMSTSRegistre()
{
#ifdef Q_OS_WIN
    // The game is a 32-bit program: its installer wrote to the 32-bit view,
    // which a 64-bit program reaches as Wow6432Node.
    const QString racine = QStringLiteral("HKEY_LOCAL_MACHINE\\");
    const struct {
        QString cle;
        QSettings::Format format;
    } essais[] = {
        {racine + CleJeu, QSettings::Registry32Format},
        {racine + CleJeu, QSettings::NativeFormat},
        {racine + CleJeuWow, QSettings::NativeFormat},
    };
    for (const auto &essai : essais) {
        const QSettings registre(essai.cle, essai.format);
        const QString valeur = registre.value(ValeurChemin).toString();
        if (!valeur.isEmpty())
            return valeur;
    }
    return {};
#else
    const QString prefixe = prefixeWine();
    QFile fichier(prefixe + QStringLiteral("/system.reg"));
    if (!fichier.open(QIODevice::ReadOnly))
        return {};
    const QByteArray contenu = fichier.readAll();
    for (const QString &cle : {CleJeu, CleJeuWow}) {
        const std::optional<QString> valeur = lireValeurRegWine(contenu, cle, ValeurChemin);
        if (!valeur || valeur->isEmpty())
            continue;
        const QString chemin = traduireCheminWine(prefixe, *valeur);
        if (!chemin.isEmpty())
            return chemin;
    }
    return {};
#endif
}

} // namespace corvanel
