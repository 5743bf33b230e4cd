#include "localisation/FichierIni.h"

#include "platform/Texte.h"

#include <QFile>

namespace corvanel {

namespace {

bool estBlanc(char c)
{
    return c == ' ' || c == '\t';
}

QByteArrayView rogner(QByteArrayView v)
{
    qsizetype d = 0;
    qsizetype f = v.size();
    while (d < f && estBlanc(v[d]))
        ++d;
    while (f > d && estBlanc(v[f - 1]))
        --f;
    return v.sliced(d, f - d);
}

bool memeNom(QByteArrayView octets, QStringView nom)
{
    return depuisAnsi(octets).compare(nom, Qt::CaseInsensitive) == 0;
}

} // namespace

QString lireCleIni(QByteArrayView contenu, QStringView section, QStringView cle)
{
    bool dansSection = false;
    qsizetype pos = 0;
    const qsizetype n = contenu.size();
    while (pos < n) {
        qsizetype fin = pos;
        while (fin < n && contenu[fin] != '\n' && contenu[fin] != '\r')
            ++fin;
        const QByteArrayView ligne = rogner(contenu.sliced(pos, fin - pos));
        pos = fin;
        while (pos < n && (contenu[pos] == '\n' || contenu[pos] == '\r'))
            ++pos;

        if (ligne.isEmpty() || ligne[0] == ';')
            continue;
        if (ligne[0] == '[') {
            const qsizetype ferme = ligne.indexOf(']');
            const QByteArrayView nom = rogner(ligne.sliced(1, (ferme < 0 ? ligne.size() : ferme) - 1));
            dansSection = memeNom(nom, section);
            continue;
        }
        if (!dansSection)
            continue;
        const qsizetype egal = ligne.indexOf('=');
        if (egal < 0 || !memeNom(rogner(ligne.first(egal)), cle))
            continue;

        QByteArrayView valeur = rogner(ligne.sliced(egal + 1));
        if (valeur.size() >= 2 && (valeur[0] == '"' || valeur[0] == '\'') && valeur.back() == valeur[0])
            valeur = valeur.sliced(1, valeur.size() - 2);
        if (valeur.size() > LongueurMaxTexteIni)
            valeur = valeur.first(LongueurMaxTexteIni);
        return depuisAnsi(valeur);
    }
    return {};
}

QString lireCleIniFichier(const QString &chemin, QStringView section, QStringView cle)
{
    QFile f(chemin);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    // Language files are a few kilobytes; a huge file is not one of ours.
    return lireCleIni(f.read(4 * 1024 * 1024), section, cle);
}

} // namespace corvanel
