// The parser of the "user.DOSATTRIB" extended attribute, as Wine and Samba
// store it.
#include "fileops/SystemeFichiersInterne.h"
#include "fuzz/Proprietes.h"

#include <QByteArray>

#include <cstdint>
#include <cstring>
#include <optional>

using namespace corvanel::sf::interne;

namespace {

// "0x" or "0X" then hexadecimal digits only, read independently of Qt.
std::optional<std::uint64_t> formeStricte(QByteArrayView texte)
{
    if (texte.size() <= 2 || texte[0] != '0' || (texte[1] != 'x' && texte[1] != 'X'))
        return std::nullopt;
    std::uint64_t valeur = 0;
    for (const char c : texte.sliced(2)) {
        int chiffre = -1;
        if (c >= '0' && c <= '9')
            chiffre = c - '0';
        else if (c >= 'a' && c <= 'f')
            chiffre = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            chiffre = c - 'A' + 10;
        if (chiffre < 0)
            return std::nullopt;
        valeur = valeur * 16 + chiffre;
        if (valeur > 0xFFFFFFFFu)
            return std::nullopt;
    }
    return valeur;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *donnees, std::size_t taille)
{
    const QByteArray octets(reinterpret_cast<const char *>(donnees), qsizetype(taille));
    const int lu = analyserAttributsDos(octets);
    EXIGER(lu >= 0);

    // Only the text before the first null counts (Samba's longer form).
    const qsizetype nul = octets.indexOf('\0');
    const QByteArrayView tete = nul < 0 ? QByteArrayView(octets) : QByteArrayView(octets).first(nul);
    EXIGER(analyserAttributsDos(tete) == lu);
    EXIGER(analyserAttributsDos(tete.toByteArray() + '\0' + octets) == lu);
    if (const auto stricte = formeStricte(tete))
        EXIGER(lu == int(*stricte & 0x7fffffff));

    // What this program and Wine write reads back.
    std::uint32_t brut = 0;
    std::memcpy(&brut, donnees, std::min<std::size_t>(taille, sizeof brut));
    const int valeur = int(brut & 0x7fffffff);
    EXIGER(analyserAttributsDos("0x" + QByteArray::number(valeur, 16)) == valeur);
    EXIGER(analyserAttributsDos("0X" + QByteArray::number(valeur, 16).toUpper()) == valeur);
    return 0;
}
