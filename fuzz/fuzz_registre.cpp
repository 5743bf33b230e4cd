// The reader of Wine's registry files: any bytes as system.reg, and any
// text written as Wine writes it read back unchanged.
#include "fuzz/Proprietes.h"
#include "platform/Registre.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

using namespace corvanel;

namespace {

const QString Cle = QStringLiteral("Software\\Microsoft\\Microsoft Games\\Train Simulator\\1.0");
const QByteArray Entete = "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n"
                          "[Software\\\\Microsoft\\\\Microsoft Games\\\\Train Simulator\\\\1.0] 1700000000\n"
                          "#time=1d9a1b2c3d4e5f6\n";

// As wineserver saves a string: quotes and backslashes escaped, everything
// outside printable ASCII as a four-digit \x escape.
QByteArray echapper(QStringView texte)
{
    QByteArray sortie;
    for (const QChar c : texte) {
        const char16_t u = c.unicode();
        if (u == u'\\' || u == u'"')
            sortie += '\\' + QByteArray(1, char(u));
        else if (u >= 0x20 && u < 0x7f)
            sortie += char(u);
        else
            sortie += "\\x" + QByteArray::number(u, 16).rightJustified(4, '0');
    }
    return sortie;
}

// As it saves a string without its final null: hex(2): bytes over
// continuation lines.
QByteArray enOctets(QStringView texte)
{
    QByteArray sortie = "hex(2):";
    int surLaLigne = 0;
    for (const QChar c : texte) {
        for (const int octet : {c.unicode() & 0xFF, c.unicode() >> 8}) {
            if (surLaLigne == 24) {
                sortie += "\\\n  ";
                surLaLigne = 0;
            }
            sortie += QByteArray::number(octet, 16).rightJustified(2, '0') + ',';
            ++surLaLigne;
        }
    }
    sortie.chop(sortie.endsWith(',') ? 1 : 0);
    return sortie;
}

QString jusquAuNul(QString texte)
{
    const qsizetype nul = texte.indexOf(QChar(u'\0'));
    return nul < 0 ? texte : texte.left(nul);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *donnees, std::size_t taille)
{
    const QByteArray octets(reinterpret_cast<const char *>(donnees), qsizetype(taille));

    // Any file, and any file with the signature a loaded file has.
    (void)lireValeurRegWine(octets, Cle, u"Path");
    if (const auto lu = lireValeurRegWine(Entete + octets, Cle, u"Path"))
        EXIGER(!lu->contains(QChar(u'\0')));

    // The bytes as UTF-16 units, surrogates on their own included.
    QString texte;
    for (std::size_t i = 0; i + 1 < taille; i += 2)
        texte += QChar(char16_t(donnees[i] | (donnees[i + 1] << 8)));
    const QString attendu = jusquAuNul(texte);

    const auto chaine = lireValeurRegWine(Entete + "\"Path\"=\"" + echapper(texte) + "\"\n", Cle, u"PATH");
    EXIGER(chaine && *chaine == attendu);
    const auto str2 = lireValeurRegWine(Entete + "\"Path\"=str(2):\"" + echapper(texte) + "\"\n", Cle, u"path");
    EXIGER(str2 && *str2 == attendu);
    const auto hex =
        lireValeurRegWine(Entete + "\"Path\"=" + enOctets(texte) + "\n\"Autre\"=dword:00000001\n", Cle, u"Path");
    EXIGER(hex && *hex == attendu);
    // The same value written again later replaces the first.
    const auto double_ =
        lireValeurRegWine(Entete + "\"Path\"=\"C:\\\\Ancien\"\n\"Path\"=\"" + echapper(texte) + "\"\n", Cle, u"Path");
    EXIGER(double_ && *double_ == attendu);
    return 0;
}
