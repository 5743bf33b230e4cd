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

QString texteLaisse(const ConsistLaisse &l, const QString &nouveau)
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
        numero = 120;
        break;
    case Motif::NomRefuse:
        numero = 121;
        break;
    case Motif::Disparu:
        numero = 77;
        break;
    case Motif::Echec:
        break;
    }
    QString t = remplacer(message(numero), u"[new]", nouveau);
    t = remplacer(t, u"[error]", l.detail);
    return avecSautsDeLigne(remplacer(t, u"[file]", l.nom));
}

QStringList lignesBilan(const Bilan &b, const QString &nouveau, const QString &cleResume)
{
    QStringList lignes;
    lignes << remplacer(texte(QStringLiteral("Messages"), cleResume), u"[num]", QString::number(b.changes.size()));
    if (!b.laisses.isEmpty()) {
        lignes << avecNombre(66, b.laisses.size());
        for (const ConsistLaisse &l : b.laisses)
            lignes << texteLaisse(l, nouveau);
    }
    return lignes;
}

} // namespace corvanel
