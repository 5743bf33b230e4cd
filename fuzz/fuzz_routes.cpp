// The readers of what a route names, on any bytes: activities, services and
// Open Rails timetables, decoded as the route check decodes them.
#include "analysis/LecteurConsist.h"
#include "analysis/LecteurRoutes.h"
#include "fuzz/Proprietes.h"

#include <QByteArray>

#include <cstdint>

using namespace corvanel;

namespace {

// What the check would look up has a name: an empty one is never a file.
void verifierActivite(const ContenuActivite &a)
{
    if (!a.lisible)
        return;
    for (const QString &s : a.services)
        EXIGER(!s.isEmpty());
    for (const VehiculeNomme &v : a.vehiculesLibres)
        EXIGER(!v.nom.isEmpty() && !v.dossier.isEmpty());
}

void verifierHoraire(QStringView texte, const ContenuHoraire &h)
{
    const bool separateur = !texte.isEmpty() && (texte[0] == u',' || texte[0] == u';' || texte[0] == u'\t');
    if (!separateur)
        EXIGER(!h.lisible);
    if (!h.lisible)
        EXIGER(h.trains.isEmpty());
    for (const TrainHoraire &t : h.trains) {
        // Every name carries an extension once read: ".con" added to a bare one.
        for (const QString &c : t.consists) {
            EXIGER(!c.isEmpty() && !c.endsWith(u'.'));
            const qsizetype point = c.lastIndexOf(u'.');
            EXIGER(point > std::max(c.lastIndexOf(u'/'), c.lastIndexOf(u'\\')));
        }
        EXIGER(!t.chemin.contains(u'/') && !t.chemin.contains(u'$'));
        EXIGER(t.chemin.isEmpty() || t.chemin.lastIndexOf(u'.') > t.chemin.lastIndexOf(u'\\'));
    }
}

QByteArray enUtf16LE(const QString &texte)
{
    QByteArray octets("\xFF\xFE");
    for (const QChar c : texte) {
        octets.append(char(c.unicode() & 0xFF));
        octets.append(char(c.unicode() >> 8));
    }
    return octets;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *donnees, std::size_t taille)
{
    const QByteArray octets(reinterpret_cast<const char *>(donnees), qsizetype(taille));
    const QString texte = decoderTexte(octets);
    // Decoded as the consist reader decodes, line ends aside: the reader
    // ends every line alike and drops the last line's end.
    if (taille < std::size_t(LongueurLigneMax)) {
        QString lignes = QString(texte).replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
        if (lignes.endsWith(u'\n'))
            lignes.chop(1);
        EXIGER(lignes == decoderConsist(octets));
    }

    const ContenuActivite a = lireActivite(texte);
    verifierActivite(a);
    // The lines a replacement may change: one or more loose vehicles each,
    // ascending, and none in a text that cannot be taken apart.
    const QList<qsizetype> lignesLibres = lignesVehiculesLibres(texte);
    EXIGER(lignesLibres.isEmpty() == a.vehiculesLibres.isEmpty() || !a.lisible);
    EXIGER(a.lisible || lignesLibres.isEmpty());
    EXIGER(lignesLibres.size() <= a.vehiculesLibres.size());
    for (qsizetype i = 1; i < lignesLibres.size(); ++i)
        EXIGER(lignesLibres[i - 1] < lignesLibres[i]);
    const ContenuService s = lireService(texte);
    EXIGER(s.lisible == a.lisible); // one layout for both
    const ContenuHoraire h = lireHoraire(texte);
    verifierHoraire(texte, h);

    // The same text saved as UTF-16 with its mark reads the same (where
    // the text survives that trip: a lone surrogate does not).
    const QString relu = decoderTexte(enUtf16LE(texte));
    if (relu == texte) {
        EXIGER(lireActivite(relu) == a);
        EXIGER(lireHoraire(relu).trains.size() == h.trains.size());
    }

    // Blanks around the blocks change nothing.
    EXIGER(lireActivite(QStringLiteral("\r\n ") + texte + QStringLiteral("\n\t")) == a);

    // Each name of a #consist cell is a piece of the cell.
    for (const QString &n : consistsDeCellule(texte))
        EXIGER(!n.isEmpty() && texte.contains(n));
    return 0;
}
