#include "analysis/LecteurConsist.h"

#include "platform/ErreurExecution.h"
#include "platform/Texte.h"

#include <QBuffer>
#include <QFileDevice>
#include <QIODevice>
#include <QStringDecoder>

#include <algorithm>

namespace corvanel {

namespace {
// Reads of this size keep memory flat on huge files and a whole ordinary
// consist in one read.
constexpr qint64 TailleMorceau = 64 * 1024;

QString depuisUtf8(QByteArrayView octets)
{
    // The mark was taken off the file's start; one further on is text.
    QStringDecoder utf8(QStringConverter::Utf8,
                        QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    return utf8.decode(octets);
}
} // namespace

LecteurConsist::LecteurConsist(QIODevice &source, Battement battement)
    : m_source(source), m_battement(std::move(battement))
{
}

bool LecteurConsist::remplir()
{
    if (m_finSource)
        return false;
    // One buffer for the whole file: a device that hands out a few bytes a
    // read must not cost an allocation each time.
    if (m_octets.isEmpty())
        m_octets = QByteArray(TailleMorceau, Qt::Uninitialized);
    const qint64 lus = m_source.read(m_octets.data(), TailleMorceau);
    if (lus < 0) {
        if (auto *f = qobject_cast<QFileDevice *>(&m_source))
            throw ErreurExecution::depuisFichier(*f);
        throw ErreurExecution(NumErreur::ErreurES, m_source.errorString());
    }
    if (lus == 0) {
        m_finSource = true;
        // A character the file's end cut short: UTF-8 reads it as a
        // replacement character, the odd last byte of UTF-16 is dropped.
        if (m_codage == Codage::Utf8 && !m_reste.isEmpty())
            m_tampon += depuisUtf8(m_reste);
        m_reste.clear();
        return false;
    }
    QByteArrayView vue(m_octets.constData(), lus);
    if (!m_codageConnu) {
        // A mark of two or three bytes: a first read of at least that much.
        while (vue.size() < 3 && !m_source.atEnd()) {
            const qint64 suite = m_source.read(m_octets.data() + vue.size(), 3 - vue.size());
            if (suite <= 0)
                break;
            vue = QByteArrayView(m_octets.constData(), vue.size() + suite);
        }
        m_codageConnu = true;
        if (vue.startsWith("\xFF\xFE")) {
            m_codage = Codage::Utf16LE;
            vue = vue.sliced(2);
        } else if (vue.startsWith("\xFE\xFF")) {
            m_codage = Codage::Utf16BE;
            vue = vue.sliced(2);
        } else if (vue.startsWith("\xEF\xBB\xBF")) {
            m_codage = Codage::Utf8;
            vue = vue.sliced(3);
        }
    }
    decoder(vue);
    if (m_battement)
        m_battement();
    return true;
}

// Each read is decoded on its own, the bytes of a character it cuts in two
// held back for the next: Qt's decoders, fed piece by piece, lose the text
// that follows a broken UTF-8 sequence, and the pieces a device hands out
// must not change what is read.
void LecteurConsist::decoder(QByteArrayView vue)
{
    if (m_codage == Codage::Ansi) {
        m_tampon += depuisAnsi(vue);
        return;
    }
    QByteArrayView octets = vue;
    QByteArray joints;
    if (!m_reste.isEmpty()) {
        joints = m_reste;
        joints.append(vue);
        octets = joints;
    }
    qsizetype entier = octets.size();
    if (m_codage == Codage::Utf8) {
        // An unfinished sequence at the end: its lead byte within the last
        // three, asking for more bytes than follow it.
        for (qsizetype i = octets.size() - 1; i >= 0 && i >= octets.size() - 3; --i) {
            const auto o = static_cast<unsigned char>(octets[i]);
            if (o < 0x80)
                break;
            if (o >= 0xC0) {
                const qsizetype longueur = o >= 0xF0 ? 4 : o >= 0xE0 ? 3 : 2;
                if (octets.size() - i < longueur)
                    entier = i;
                break;
            }
        }
        m_tampon += depuisUtf8(octets.first(entier));
    } else {
        entier -= entier % 2;
        const qsizetype avant = m_tampon.size();
        m_tampon.resize(avant + entier / 2);
        QChar *sortie = m_tampon.data() + avant;
        const auto *o = reinterpret_cast<const unsigned char *>(octets.data());
        const bool le = m_codage == Codage::Utf16LE;
        // Code units as they stand: a lone surrogate reads as itself.
        for (qsizetype k = 0; k < entier; k += 2)
            *sortie++ = QChar(char16_t(le ? (o[k] | (o[k + 1] << 8)) : ((o[k] << 8) | o[k + 1])));
    }
    m_reste = octets.sliced(entier).toByteArray();
}

bool LecteurConsist::lire(QStringView &ligne)
{
    // Where the search for the line's end resumes: text already searched is
    // not searched again, so a long line costs linear time.
    qsizetype cherche = m_pos;
    for (;;) {
        if (m_crEnAttente && m_pos < m_tampon.size()) {
            if (m_tampon[m_pos] == u'\n')
                cherche = ++m_pos;
            m_crEnAttente = false;
        }
        const QChar *debut = m_tampon.constData() + m_pos;
        const QChar *fin = m_tampon.constData() + m_tampon.size();
        const QChar *p = m_tampon.constData() + std::max(cherche, m_pos);
        while (p != fin && *p != u'\n' && *p != u'\r')
            ++p;
        if (p != fin) {
            ligne = QStringView(debut, std::min<qsizetype>(p - debut, LongueurLigneMax));
            m_crEnAttente = *p == u'\r';
            m_pos = (p - m_tampon.constData()) + 1;
            ++m_numero;
            return true;
        }
        // No line end in what is decoded: keep the rest and read on. Past
        // the longest line kept, the rest of the line is dropped as it comes.
        if (m_pos > 0) {
            m_tampon.remove(0, m_pos);
            m_pos = 0;
        }
        if (m_tampon.size() > LongueurLigneMax)
            m_tampon.truncate(LongueurLigneMax);
        cherche = m_tampon.size();
        if (!remplir()) {
            if (m_crEnAttente && !m_tampon.isEmpty() && m_tampon[0] == u'\n')
                m_tampon.remove(0, 1);
            m_crEnAttente = false;
            if (m_tampon.isEmpty())
                return false;
            // A last line without an end counts.
            ligne = QStringView(m_tampon).first(std::min<qsizetype>(m_tampon.size(), LongueurLigneMax));
            m_pos = m_tampon.size();
            m_finSource = true;
            ++m_numero;
            return true;
        }
    }
}

QString decoderConsist(QByteArrayView octets)
{
    QByteArray copie = octets.toByteArray();
    QBuffer b(&copie);
    b.open(QIODevice::ReadOnly);
    LecteurConsist l(b);
    QString tout;
    QStringView ligne;
    bool premiere = true;
    while (l.lire(ligne)) {
        if (!premiere)
            tout += u'\n';
        tout += ligne;
        premiere = false;
    }
    return tout;
}

LigneVehicule analyserLigne(QStringView ligne)
{
    LigneVehicule v;
    const bool moteur = ligne.contains(u"EngineData");
    if (!moteur && !ligne.contains(u"WagonData"))
        return v;
    v.vehicule = true;
    v.extension = moteur ? QStringView(u".eng") : QStringView(u".wag");

    // The text between the first "(" and the first ")". Without a "(" it is
    // the text before the first ")"; with no ")" after the "(" the line
    // cannot be taken apart and is reported as unsound, the scan going on.
    const qsizetype p1 = ligne.indexOf(u'(') + 1; // 1-based, 0 when absent
    const qsizetype p2 = ligne.indexOf(u')') + 1;
    const qsizetype longueur = p2 - p1 - 1;
    if (p2 == 0 || longueur < 0)
        return v;
    QStringView reste = rognerBlancs(ligne.sliced(p1, longueur));

    // File name: quoted (blanks kept, may be empty) or the first word.
    if (reste.startsWith(u'"')) {
        const qsizetype q = reste.indexOf(u'"', 1);
        if (q < 0)
            return v;
        v.nom = reste.sliced(1, q - 1);
        reste = rognerBlancs(reste.sliced(q + 1));
    } else {
        const qsizetype s = reste.indexOf(u' ');
        if (s < 0)
            return v;
        v.nom = rognerBlancs(reste.first(s + 1));
        reste = rognerBlancs(reste.sliced(s));
    }
    if (v.nom.isEmpty())
        return v;

    // Folder name: quoted, or the first word; anything after is ignored.
    if (reste.startsWith(u'"')) {
        const qsizetype q = reste.indexOf(u'"', 1);
        if (q < 0)
            return v;
        v.dossier = reste.sliced(1, q - 1);
    } else {
        const qsizetype s = reste.indexOf(u' ');
        v.dossier = rognerBlancs(s < 0 ? reste : reste.first(s + 1));
    }
    v.saine = !v.dossier.isEmpty();
    return v;
}

bool estNomConsist(QStringView nom)
{
    // The game and Open Rails open "X.CON" as they open "x.con": a consist
    // left out for its letter case would be a broken one called sound.
    return nom.endsWith(u".con", Qt::CaseInsensitive);
}

} // namespace corvanel
