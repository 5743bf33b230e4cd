#pragma once
// Taking a vehicle line apart by the game's rules, over single-byte text
// (Windows-1252, whose bytes that matter here are ASCII) or UTF-16 code
// units alike: the engine judges most consists straight from the bytes read,
// without decoding the lines that name no vehicle.
#include <QtGlobal>

#include <bit>
#include <cstdint>
#include <cstring>

namespace corvanel::decoupage {

template <typename C> struct Decoupe {
    bool vehicule = false; // holds "EngineData" or "WagonData"
    bool saine = false;
    bool moteur = false; // "EngineData" (also when both appear)
    const C *nom = nullptr;
    qsizetype longueurNom = 0;
    const C *dossier = nullptr;
    qsizetype longueurDossier = 0;
};

template <typename C> struct Morceau {
    const C *debut;
    const C *fin;
    bool vide() const { return debut == fin; }
    qsizetype taille() const { return fin - debut; }
};

template <typename C> Morceau<C> rogner(Morceau<C> m)
{
    while (m.debut != m.fin && m.debut[0] == C(' '))
        ++m.debut;
    while (m.fin != m.debut && m.fin[-1] == C(' '))
        --m.fin;
    return m;
}

// Eight bytes at a time, a character a lane: the top bit of each lane of
// `mot` that equals `c`, and of no other.
template <typename C> std::uint64_t lanesEgales(std::uint64_t mot, char c)
{
    constexpr std::uint64_t Un = sizeof(C) == 1 ? 0x0101010101010101ull : 0x0001000100010001ull;
    constexpr std::uint64_t Haut = Un << (8 * sizeof(C) - 1);
    const std::uint64_t v = mot ^ (std::uint64_t(std::uint8_t(c)) * Un);
    return ~(((v & ~Haut) + ~Haut) | v) & Haut;
}

// The first character of the word whose lane is set in `m` (not zero).
template <typename C> qsizetype premiereLane(std::uint64_t m)
{
    if constexpr (std::endian::native == std::endian::little)
        return std::countr_zero(m) / int(8 * sizeof(C));
    else
        return std::countl_zero(m) / int(8 * sizeof(C));
}

// The next word of text from `p`, or what is left of it before `fin` with
// zeros after (no character searched for is zero).
template <typename C> std::uint64_t lireMot(const C *p, const C *fin)
{
    std::uint64_t m = 0;
    if (fin - p >= qsizetype(8 / sizeof(C)))
        std::memcpy(&m, p, 8);
    else
        std::memcpy(&m, p, static_cast<size_t>(fin - p) * sizeof(C));
    return m;
}

template <typename C> const C *chercher(const C *debut, const C *fin, char c)
{
    for (; debut < fin; debut += 8 / sizeof(C)) {
        if (const std::uint64_t m = lanesEgales<C>(lireMot(debut, fin), c))
            return debut + premiereLane<C>(m);
    }
    return fin;
}

template <typename C> bool egal(const C *p, const char *mot, int n)
{
    for (int i = 0; i < n; ++i)
        if (p[i] != C(mot[i]))
            return false;
    return true;
}

// Both keywords end in "Data": each "Data" is looked at once.
template <typename C> void motsCles(const C *debut, const C *fin, bool &moteur, bool &wagon)
{
    for (const C *d = debut; fin - d >= 4; ++d) {
        d = chercher(d, fin - 3, 'D');
        if (fin - d < 4)
            return;
        if (!egal(d + 1, "ata", 3))
            continue;
        if (d - debut >= 6 && egal(d - 6, "Engine", 6))
            moteur = true;
        else if (d - debut >= 5 && egal(d - 5, "Wagon", 5))
            wagon = true;
    }
}

template <typename C> Decoupe<C> decouper(const C *debut, const C *fin)
{
    Decoupe<C> v;
    bool wagon = false;
    motsCles(debut, fin, v.moteur, wagon);
    if (!v.moteur && !wagon)
        return v;
    v.vehicule = true;

    // The text between the first "(" and the first ")". Without a "(" it is
    // the text before the first ")"; with no ")" after the "(" the line
    // cannot be taken apart and is reported as unsound, the scan going on.
    const C *ouvrante = chercher(debut, fin, '(');
    const C *fermante = chercher(debut, fin, ')');
    if (fermante == fin)
        return v;
    const C *interieur = ouvrante == fin ? debut : ouvrante + 1;
    if (fermante < interieur)
        return v;
    Morceau<C> reste = rogner(Morceau<C>{interieur, fermante});

    // File name: quoted (blanks kept, may be empty) or the first word.
    Morceau<C> nom;
    if (!reste.vide() && reste.debut[0] == C('"')) {
        const C *q = chercher(reste.debut + 1, reste.fin, '"');
        if (q == reste.fin)
            return v;
        nom = {reste.debut + 1, q};
        reste = rogner(Morceau<C>{q + 1, reste.fin});
    } else {
        const C *s = chercher(reste.debut, reste.fin, ' ');
        if (s == reste.fin)
            return v;
        nom = rogner(Morceau<C>{reste.debut, s + 1});
        reste = rogner(Morceau<C>{s, reste.fin});
    }
    if (nom.vide())
        return v;

    // Folder name: quoted, or the first word; anything after is ignored.
    Morceau<C> dossier;
    if (!reste.vide() && reste.debut[0] == C('"')) {
        const C *q = chercher(reste.debut + 1, reste.fin, '"');
        if (q == reste.fin)
            return v;
        dossier = {reste.debut + 1, q};
    } else {
        const C *s = chercher(reste.debut, reste.fin, ' ');
        dossier = rogner(Morceau<C>{reste.debut, s == reste.fin ? s : s + 1});
    }
    v.nom = nom.debut;
    v.longueurNom = nom.taille();
    v.dossier = dossier.debut;
    v.longueurDossier = dossier.taille();
    v.saine = !dossier.vide();
    return v;
}

// The first of `p`..`fin` that ends a line or is a "D", eight bytes at a
// time: most of a consist is lines that name no vehicle, walked past here.
template <typename C> const C *prochainRepere(const C *p, const C *fin)
{
    for (; p < fin; p += 8 / sizeof(C)) {
        const std::uint64_t m = lireMot(p, fin);
        if (const std::uint64_t l = lanesEgales<C>(m, '\n') | lanesEgales<C>(m, '\r') | lanesEgales<C>(m, 'D'))
            return p + premiereLane<C>(l);
    }
    return fin;
}

// Each line of a whole text (CR LF, a lone LF and a lone CR each end one; a
// last line without an end counts) that may hold a keyword, with its number
// from 1. Lines without "Data" are not looked at further.
template <typename C, typename Fonction> void parcourirLignes(const C *p, const C *fin, Fonction surLigne)
{
    std::int64_t numero = 0;
    while (p < fin) {
        const C *q = p;
        bool donnees = false;
        for (;;) {
            q = prochainRepere(q, fin);
            if (q == fin || *q != C('D'))
                break;
            donnees = donnees || (fin - q >= 4 && egal(q + 1, "ata", 3));
            ++q;
        }
        ++numero;
        if (donnees && !surLigne(p, q, numero))
            return;
        if (q == fin)
            return;
        p = q + 1;
        if (*q == C('\r') && p != fin && *p == C('\n'))
            ++p;
    }
}

} // namespace corvanel::decoupage
