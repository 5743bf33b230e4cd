#include "analysis/Analyse.h"

#include "analysis/LecteurConsist.h"
#include "commun/Interaction.h"
#include "platform/Texte.h"

#include <QDateTime>
#include <QLocale>

#include <algorithm>

namespace corvanel {

namespace {
constexpr int IntervalleHabituel = 25;
int g_intervalle = IntervalleHabituel;
} // namespace

void Cadence::definirIntervalle(int intervalleMs)
{
    g_intervalle = intervalleMs < 0 ? IntervalleHabituel : intervalleMs;
}

void laisserPasserEvenementsDuProgramme()
{
    interaction().laisserPasserEvenements();
}

Cadence::Cadence(int intervalleMs, std::function<void()> avant)
    : m_intervalle(intervalleMs < 0 ? g_intervalle : intervalleMs), m_avant(std::move(avant))
{
    m_minuteur.start();
}

void Cadence::battre()
{
    // Letting events run after every line would cost more than the scan
    // itself on a large folder; often enough to repaint and answer the
    // close box is what matters. The clock itself is read once every few
    // lines: a line takes well under a microsecond.
    if (m_intervalle > 0 && ++m_battements % 16 != 0)
        return;
    if (m_minuteur.elapsed() >= m_intervalle) {
        if (m_avant)
            m_avant();
        interaction().laisserPasserEvenements();
        m_minuteur.restart();
    }
}

QList<EntreeDossier> fichiersConsists(const QString &dossierConsists)
{
    QList<EntreeDossier> fichiers = listerDossier(dossierConsists);
    fichiers.removeIf([](const EntreeDossier &e) { return !e.fichier; });
    trierCommeLeJeu(fichiers);
    return fichiers;
}

Rapport::Rapport(QString modeleIllisible) : m_modele(std::move(modeleIllisible)) {}

void Rapport::retenir(LigneRapport l)
{
    // The three cells joined by a character no cell can hold.
    const QString cle = l.consist + QChar(0) + l.dossier + QChar(0) + l.fichier;
    if (m_vues.contains(cle))
        return;
    m_vues.insert(cle, true);
    m_lignes.append(std::move(l));
}

void Rapport::ajouter(const ConsistJuge &consist)
{
    for (const VehiculeLu &v : consist.vehicules) {
        if (!v.saine) {
            const QString texte = remplacer(m_modele, u"[line]", QString::number(v.ligne));
            retenir({consist.entree->nom, texte, texte});
        } else if (!v.existe) {
            retenir({consist.entree->nom, u'"' + v.dossier.toString() + u'"',
                     u'"' + v.nom.toString() + v.extension.toString() + u'"'});
        }
    }
}

namespace {

// Windows-1252 where it holds every character, so files read by older tools
// stay as they have always been; otherwise UTF-8 with its byte-order mark,
// which spreadsheets and editors recognise, rather than names turned to "?".
QByteArray lignesFichier(const QStringList &lignes)
{
    const bool ansi = std::all_of(lignes.begin(), lignes.end(), [](const QString &l) { return tientEnAnsi(l); });
    QByteArray octets = ansi ? QByteArray() : QByteArray("\xEF\xBB\xBF");
    for (const QString &l : lignes) {
        octets += ansi ? versAnsi(l) : l.toUtf8();
        octets += "\r\n";
    }
    return octets;
}

// A consist's name as one CSV field (RFC 4180): quoted, its quotes doubled,
// when it holds a comma or a quote; as it is otherwise.
QString champCsv(const QString &nom)
{
    if (!nom.contains(u',') && !nom.contains(u'"'))
        return nom;
    return u'"' + QString(nom).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

} // namespace

QStringList lignesCsv(const QList<LigneRapport> &lignes)
{
    QStringList texte;
    texte.reserve(lignes.size());
    for (const LigneRapport &l : lignes)
        texte << champCsv(l.consist) + u',' + l.dossier + u',' + l.fichier;
    return texte;
}

QStringList lignesTexte(const QStringList &entete, const QList<LigneRapport> &lignes)
{
    QStringList texte = entete;
    for (const LigneRapport &l : lignes)
        texte << l.consist + QStringLiteral("\t|\t") + l.dossier + QStringLiteral("\t|\t") + l.fichier;
    return texte;
}

QByteArray exportCsv(const QList<LigneRapport> &lignes)
{
    return lignesFichier(lignesCsv(lignes));
}

QByteArray exportTexte(const QStringList &entete, const QList<LigneRapport> &lignes)
{
    return lignesFichier(lignesTexte(entete, lignes));
}

QByteArray listeTexte(const QStringList &entete, const QStringList &noms)
{
    return lignesFichier(entete + noms);
}

QStringList enteteListe(const QString &msg20, const QString &msg21, const QDateTime &quand)
{
    const QLocale locale = QLocale::system();
    QString date = remplacer(msg21, u"[date]", locale.toString(quand.date(), QLocale::ShortFormat));
    date = remplacer(date, u"[time]", locale.toString(quand.time(), QLocale::ShortFormat));
    return {msg20, date, QString(62, u'-'), QStringLiteral(" ")};
}

} // namespace corvanel
