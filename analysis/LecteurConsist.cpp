#include "analysis/LecteurConsist.h"

#include "app/ErreurExecution.h"
#include "app/Texte.h"

#include <QBuffer>
#include <QFileDevice>
#include <QIODevice>

namespace corvanel {

namespace {
// Reads of this size keep memory flat on huge files and a whole ordinary
// consist in one read.
constexpr qint64 TailleMorceau = 64 * 1024;
} // namespace

LecteurConsist::LecteurConsist(QIODevice &source, Battement battement)
    : m_source(source), m_battement(std::move(battement))
{
}

bool LecteurConsist::remplir()
{
    if (m_finSource)
        return false;
    QByteArray octets(TailleMorceau, Qt::Uninitialized);
    const qint64 lus = m_source.read(octets.data(), TailleMorceau);
    if (lus < 0) {
        if (auto *f = qobject_cast<QFileDevice *>(&m_source))
            throw ErreurExecution::depuisFichier(*f);
        throw ErreurExecution(NumErreur::ErreurES, m_source.errorString());
    }
    octets.truncate(lus);
    if (octets.isEmpty()) {
        m_finSource = true;
        if (m_codageConnu && m_codage != Codage::Ansi)
            m_tampon += m_decodeur.decode(QByteArrayView()); // flush what the decoder holds
        return false;
    }
    QByteArrayView vue(octets);
    if (!m_codageConnu) {
        // A mark of two or three bytes: a first read of at least that much.
        while (vue.size() < 3 && !m_source.atEnd()) {
            const QByteArray suite = m_source.read(3 - vue.size());
            if (suite.isEmpty())
                break;
            octets += suite;
            vue = QByteArrayView(octets);
        }
        m_codageConnu = true;
        if (vue.startsWith("\xFF\xFE")) {
            m_codage = Codage::Utf16LE;
            m_decodeur = QStringDecoder(QStringConverter::Utf16LE);
            vue = vue.sliced(2);
        } else if (vue.startsWith("\xFE\xFF")) {
            m_codage = Codage::Utf16BE;
            m_decodeur = QStringDecoder(QStringConverter::Utf16BE);
            vue = vue.sliced(2);
        } else if (vue.startsWith("\xEF\xBB\xBF")) {
            m_codage = Codage::Utf8;
            m_decodeur = QStringDecoder(QStringConverter::Utf8);
            vue = vue.sliced(3);
        }
    }
    if (m_codage == Codage::Ansi)
        m_tampon += depuisAnsi(vue);
    else
        m_tampon += m_decodeur.decode(vue);
    if (m_battement)
        m_battement();
    return true;
}

bool LecteurConsist::lire(QStringView &ligne)
{
    for (;;) {
        if (m_crEnAttente && m_pos < m_tampon.size()) {
            if (m_tampon[m_pos] == u'\n')
                ++m_pos;
            m_crEnAttente = false;
        }
        const QChar *debut = m_tampon.constData() + m_pos;
        const QChar *fin = m_tampon.constData() + m_tampon.size();
        const QChar *p = debut;
        while (p != fin && *p != u'\n' && *p != u'\r')
            ++p;
        if (p != fin) {
            ligne = QStringView(debut, p - debut);
            m_crEnAttente = *p == u'\r';
            m_pos = (p - m_tampon.constData()) + 1;
            ++m_numero;
            return true;
        }
        // No line end in what is decoded: keep the rest and read on.
        if (m_pos > 0) {
            m_tampon.remove(0, m_pos);
            m_pos = 0;
        }
        if (!remplir()) {
            if (m_crEnAttente && !m_tampon.isEmpty() && m_tampon[0] == u'\n')
                m_tampon.remove(0, 1);
            m_crEnAttente = false;
            if (m_tampon.isEmpty())
                return false;
            // A last line without an end counts.
            ligne = m_tampon;
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
    // cannot be taken apart (the original failed there and ended the program).
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
    return nom.endsWith(u".con", Qt::CaseSensitive);
}

} // namespace corvanel
