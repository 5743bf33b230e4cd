// The consist reader on any bytes: the byte-order mark, the decoding, the
// line ends, and a vehicle line taken apart.
#include "analysis/LecteurConsist.h"
#include "fuzz/Proprietes.h"
#include "platform/Texte.h"
#include "tests/support/Morceaux.h"

#include <QBuffer>
#include <QStringList>

#include <cstdint>

using namespace corvanel;
using corvanel::test::Morceaux;

namespace {

QStringList lignes(QIODevice &source)
{
    LecteurConsist lecteur(source);
    QStringList resultat;
    QStringView ligne;
    while (lecteur.lire(ligne)) {
        EXIGER(lecteur.numeroLigne() == resultat.size() + 1);
        resultat.append(ligne.toString());
    }
    EXIGER(!lecteur.lire(ligne)); // stays at the end
    return resultat;
}

bool dans(QStringView partie, QStringView tout)
{
    return partie.data() >= tout.data() && partie.data() + partie.size() <= tout.data() + tout.size();
}

void verifierLigneVehicule(QStringView ligne)
{
    const LigneVehicule v = analyserLigne(ligne);
    const bool moteur = ligne.contains(u"EngineData");
    EXIGER(v.vehicule == (moteur || ligne.contains(u"WagonData")));
    if (!v.vehicule) {
        EXIGER(!v.saine);
        return;
    }
    EXIGER(v.extension == (moteur ? u".eng" : u".wag"));
    if (!v.saine)
        return;
    // Both names are pieces of the line, neither empty, and the folder
    // stands after the name.
    EXIGER(!v.nom.isEmpty() && !v.dossier.isEmpty());
    EXIGER(dans(v.nom, ligne) && dans(v.dossier, ligne));
    EXIGER(v.dossier.data() >= v.nom.data() + v.nom.size());
    // A quoted name ends at its closing quote.
    if (v.nom.data()[-1] == u'"')
        EXIGER(!v.nom.contains(u'"'));
    // Both come from between the first "(" and the first ")".
    const qsizetype ferme = ligne.indexOf(u')');
    EXIGER(ferme >= 0);
    EXIGER(v.dossier.data() + v.dossier.size() <= ligne.data() + ferme);
    EXIGER(v.nom.data() > ligne.data() + ligne.indexOf(u'('));
}

QByteArray enUtf16LE(const QStringList &lignes)
{
    QByteArray octets("\xFF\xFE");
    for (const QString &l : lignes) {
        for (const QChar c : l + QStringLiteral("\r\n")) {
            octets.append(char(c.unicode() & 0xFF));
            octets.append(char(c.unicode() >> 8));
        }
    }
    return octets;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *donnees, std::size_t taille)
{
    QByteArray octets(reinterpret_cast<const char *>(donnees), qsizetype(taille));

    QBuffer entier(&octets);
    entier.open(QIODevice::ReadOnly);
    const QStringList lues = lignes(entier);

    for (const QString &l : lues) {
        EXIGER(!l.contains(u'\r') && !l.contains(u'\n'));
        verifierLigneVehicule(l);
    }
    EXIGER(decoderConsist(octets) == lues.join(u'\n'));

    // Read a few bytes at a time: the same lines.
    const qint64 pas = taille == 0 ? 1 : 1 + donnees[0] % 7;
    Morceaux petit(&octets, pas);
    petit.open(QIODevice::ReadOnly);
    EXIGER(lignes(petit) == lues);

    // Written back as UTF-16 with its mark, the lines read the same.
    QByteArray reecrit = enUtf16LE(lues);
    QBuffer relu(&reecrit);
    relu.open(QIODevice::ReadOnly);
    EXIGER(lignes(relu) == lues);

    // The code page maps every byte to one character and back.
    EXIGER(versAnsi(depuisAnsi(octets)) == octets);
    return 0;
}
