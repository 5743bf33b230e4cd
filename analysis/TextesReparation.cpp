#include "analysis/TextesReparation.h"

#include "localisation/LireLangue.h"
#include "platform/Texte.h"

namespace corvanel {

QString message(int numero)
{
    return texte(QStringLiteral("Messages"), QStringLiteral("Msg%1").arg(numero, 2, 10, QLatin1Char('0')));
}

QString avecNombre(int numero, qsizetype n)
{
    return remplacer(message(numero), u"[num]", QString::number(n));
}

QString texteLaisse(const ConsistLaisse &l, const QString &nouveau, bool activite)
{
    int numero = 71;
    switch (l.motif) {
    case Motif::Codage:
        numero = 67;
        break;
    case Motif::Utf8Invalide:
        numero = 75;
        break;
    case Motif::LectureSeule:
        numero = 68;
        break;
    case Motif::Refuse:
        numero = 69;
        break;
    case Motif::ModifieDepuis:
        numero = 70;
        break;
    case Motif::LienSortant:
        numero = activite ? 158 : 120;
        break;
    case Motif::NomRefuse:
        numero = activite ? 159 : 121;
        break;
    case Motif::Disparu:
        numero = activite ? 160 : 77;
        break;
    case Motif::DossierRisque:
        numero = 161;
        break;
    case Motif::Echec:
        break;
    }
    QString t = remplacer(message(numero), u"[new]", nouveau);
    t = remplacer(t, u"[error]", l.detail);
    return avecSautsDeLigne(remplacer(t, u"[file]", l.nom));
}

QStringList lignesBilan(const Bilan &b, const QString &nouveau, Resume resume, bool nommerActivites)
{
    // Consists, then activities: changed, then how many left and why.
    const int consists = resume == Resume::Remplacement ? 64 : resume == Resume::Simulation ? 65 : 73;
    const int activites = resume == Resume::Remplacement ? 154 : resume == Resume::Simulation ? 155 : 157;
    QStringList lignes;
    lignes << avecNombre(consists, b.changes.size());
    if (!b.laisses.isEmpty()) {
        lignes << avecNombre(66, b.laisses.size());
        for (const ConsistLaisse &l : b.laisses)
            lignes << texteLaisse(l, nouveau);
    }
    // Said only where some activity names OLD: a game without routes reads
    // as it always did.
    if (b.activites.isEmpty() && b.activitesLaissees.isEmpty())
        return lignes;
    lignes << avecNombre(activites, b.activites.size());
    if (nommerActivites)
        lignes << b.activites;
    if (!b.activitesLaissees.isEmpty()) {
        lignes << avecNombre(156, b.activitesLaissees.size());
        for (const ConsistLaisse &l : b.activitesLaissees)
            lignes << texteLaisse(l, nouveau, true);
    }
    return lignes;
}

} // namespace corvanel
