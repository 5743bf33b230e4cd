#include "platform/Texte.h"

#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>

#include <algorithm>
#include <array>

namespace corvanel {

namespace {
// 0x80..0x9F of Windows-1252; the undefined bytes keep their own value.
constexpr std::array<char16_t, 32> Haut1252 = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                               0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                               0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                               0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
} // namespace

void ecrireAnsi(QByteArrayView octets, char16_t *sortie)
{
    for (const char c : octets) {
        const auto o = static_cast<unsigned char>(c);
        *sortie++ = (o >= 0x80 && o <= 0x9F) ? Haut1252[o - 0x80] : char16_t(o);
    }
}

void ajouterAnsi(QString &texte, QByteArrayView octets)
{
    const qsizetype avant = texte.size();
    texte.resize(avant + octets.size());
    ecrireAnsi(octets, reinterpret_cast<char16_t *>(texte.data()) + avant);
}

QString depuisAnsi(QByteArrayView octets)
{
    QString texte;
    ajouterAnsi(texte, octets);
    return texte;
}

bool tientEnAnsi(QStringView texte)
{
    for (const QChar c : texte) {
        const char16_t u = c.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
            continue;
        if (std::find(Haut1252.begin(), Haut1252.end(), u) == Haut1252.end())
            return false;
    }
    return true;
}

QByteArray versAnsi(QStringView texte)
{
    QByteArray octets;
    octets.reserve(texte.size());
    for (qsizetype i = 0; i < texte.size(); ++i) {
        const char16_t u = texte[i].unicode();
        // A character beyond the basic plane is one character: one "?".
        if (QChar::isHighSurrogate(u) && i + 1 < texte.size() && QChar::isLowSurrogate(texte[i + 1].unicode())) {
            octets.append('?');
            ++i;
            continue;
        }
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            octets.append(static_cast<char>(u));
            continue;
        }
        char o = '?';
        for (std::size_t i = 0; i < Haut1252.size(); ++i) {
            if (Haut1252[i] == u) {
                o = static_cast<char>(0x80 + i);
                break;
            }
        }
        octets.append(o);
    }
    return octets;
}

QStringView rognerBlancs(QStringView texte)
{
    qsizetype debut = 0;
    qsizetype fin = texte.size();
    while (debut < fin && texte[debut] == u' ')
        ++debut;
    while (fin > debut && texte[fin - 1] == u' ')
        --fin;
    return texte.sliced(debut, fin - debut);
}

QString sansBlancs(QStringView texte)
{
    return rognerBlancs(texte).toString();
}

QString avecSautsDeLigne(QString texte)
{
    return texte.replace(QStringLiteral("%n"), SautDeLigne.toString());
}

QString remplacer(QString texte, QStringView marque, QStringView valeur)
{
    return texte.replace(marque.toString(), valeur.toString(), Qt::CaseSensitive);
}

QString dateGenerale(const QDateTime &date)
{
    const QLocale locale;
    QString heure = locale.timeFormat(QLocale::LongFormat);
    static const QRegularExpression zone(QStringLiteral("\\s*\\bt+\\b"));
    heure.remove(zone);
    return locale.toString(date.date(), QLocale::ShortFormat) + u' ' + locale.toString(date.time(), heure.trimmed());
}

QString avecSeparateurFinal(QString dossier)
{
#ifdef Q_OS_WIN
    dossier.replace(u'/', u'\\');
    if (!dossier.endsWith(u'\\'))
        dossier += u'\\';
    return dossier;
#else
    if (!dossier.endsWith(u'/'))
        dossier += u'/';
    return dossier;
#endif
}

} // namespace corvanel
