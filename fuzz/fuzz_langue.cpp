// The language-file reader: any bytes as a file, and a text looked up the
// way every window's captions are.
#include "fuzz/Proprietes.h"
#include "localisation/FichierIni.h"
#include "platform/Texte.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

using namespace corvanel;

namespace {

// What a caption is once looked up: trimmed, "%n" turned into a line break.
QString legende(QByteArrayView fichier, QStringView section, QStringView cle)
{
    const QString lu = lireCleIni(fichier, section, cle);
    EXIGER(lu.size() <= LongueurMaxTexteIni);
    EXIGER(!lu.contains(u'\r') && !lu.contains(u'\n'));
    return avecSautsDeLigne(sansBlancs(lu));
}

bool estBlanc(char c)
{
    return c == ' ' || c == '\t';
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *donnees, std::size_t taille)
{
    const QByteArray octets(reinterpret_cast<const char *>(donnees), qsizetype(taille));

    // The file as it comes, with the names the program looks up and with a
    // section and key named from its own first bytes.
    legende(octets, u"frmCorvanel", u"cmdRechercher");
    legende(octets, u"Langue", u"Nom");
    const qsizetype crochet = octets.indexOf('[');
    const qsizetype ferme = octets.indexOf(']');
    if (crochet >= 0 && ferme > crochet) {
        const QString section = depuisAnsi(QByteArrayView(octets).sliced(crochet + 1, ferme - crochet - 1));
        const qsizetype egal = octets.indexOf('=', ferme);
        if (egal > ferme)
            legende(octets, section, depuisAnsi(QByteArrayView(octets).sliced(ferme + 1, egal - ferme - 1)));
    }

    // A value written by hand comes back as written, cut to its longest
    // length, whatever follows it in the file (the first key wins).
    QByteArray valeur = octets.left(octets.indexOf('\n') < 0 ? octets.size() : octets.indexOf('\n'));
    valeur.replace('\r', ' ');
    while (!valeur.isEmpty() && estBlanc(valeur.front()))
        valeur.remove(0, 1);
    while (!valeur.isEmpty() && estBlanc(valeur.back()))
        valeur.chop(1);
    const bool entreGuillemets =
        valeur.size() >= 2 && (valeur.front() == '"' || valeur.front() == '\'') && valeur.back() == valeur.front();
    const QByteArray fichier = "; a comment\r\n[Mesures]\r\n  cle\t=  " + valeur + "\r\n" + octets;
    const QString attendu =
        depuisAnsi((entreGuillemets ? valeur.mid(1, valeur.size() - 2) : valeur).left(LongueurMaxTexteIni));
    EXIGER(lireCleIni(fichier, u"MESURES", u"Cle") == attendu);
    EXIGER(lireCleIni(fichier, u"Mesures", u"Autre").isEmpty() || octets.contains('='));
    return 0;
}
