#include "localisation/Catalogue.h"

#include "commun/modDeclarations.h"
#include "localisation/FichierIni.h"
#include "platform/Texte.h"

#include <QFile>
#include <QFileInfo>

namespace corvanel {

namespace {

void ajouter(QList<EntreeCatalogue> &c, const QString &section, const QStringList &cles,
             const QStringList &marques = {}, bool horsDefaut = false)
{
    for (const QString &cle : cles)
        c.append({section, cle, marques, horsDefaut});
}

// Keys added since the 1.0.7 language files: see EntreeCatalogue::repliDefaut.
[[maybe_unused]] void ajouterNouvelles(QList<EntreeCatalogue> &c, const QString &section, const QStringList &cles,
                                       const QStringList &marques = {})
{
    for (const QString &cle : cles)
        c.append({section, cle, marques, false, true});
}

QStringList serie(const QString &prefixe, int de, int a, int chiffres = 2)
{
    QStringList cles;
    for (int i = de; i <= a; ++i)
        cles << prefixe + QStringLiteral("%1").arg(i, chiffres, 10, QLatin1Char('0'));
    return cles;
}

QList<EntreeCatalogue> construire()
{
    QList<EntreeCatalogue> c;
    const QString M = QStringLiteral("Messages");
    ajouter(c, M, {"Msg01", "Msg03", "Msg04"});
    ajouter(c, M, {"Msg02", "Msg05"}, {"[num]"});
    ajouter(c, M, {"Msg27"}, {"[line]"});
    ajouter(c, M, {"Msg06"}, {"[file]"});
    ajouter(c, M, {"Msg07", "Msg08", "Msg11", "Msg23"});
    ajouter(c, M, {"Msg09"}, {"[num]"});
    ajouter(c, M, {"Msg10", "Msg12", "Msg13"});
    ajouter(c, M, {"Msg14"}, {"[file]"});
    ajouter(c, M, {"Msg15", "Msg18"});
    ajouter(c, M, {"Msg16"}, {"[size]"});
    ajouter(c, M, {"Msg17"}, {"[date]"});
    ajouter(c, M, {"Msg19", "Msg20"});
    ajouter(c, M, {"Msg21"}, {"[date]", "[time]"});
    ajouter(c, M, {"Msg22", "Msg24", "Msg28"});
    ajouter(c, M, {"Msg25"}, {"[folder]"});
    ajouter(c, M, {"Msg26"}, {"[numfile]", "[numfolder]"});
    ajouter(c, M, {"Msg29"}, {"[editor]"});
    ajouterNouvelles(c, M, {"Msg30"}, {"[num]", "[left]"});
    // A language file refused for a missing text: the language in use stays.
    ajouterNouvelles(c, M, {"Msg50"});
    // Which services and activities a delete or move breaks; the trash.
    ajouterNouvelles(c, M, {"Msg90", "Msg91", "Msg95"});
    ajouterNouvelles(c, M, {"Msg92"}, {"[file]", "[route]", "[service]", "[num]"});
    ajouterNouvelles(c, M, {"Msg93"}, {"[file]", "[route]", "[service]"});
    ajouterNouvelles(c, M, {"Msg98"}, {"[file]", "[route]", "[timetable]"});
    ajouterNouvelles(c, M, {"Msg94", "Msg96", "Msg97"}, {"[num]"});
    // The question before an item the trash did not take is deleted for good.
    ajouterNouvelles(c, M, {"Msg150"}, {"[file]", "[reason]"});
    ajouterNouvelles(c, M, {"Msg151", "Msg152"});
    // A move cancelled between two consists.
    ajouterNouvelles(c, M, {"Msg153"});
    // Whether the routes' activities and timetables will run.
    ajouterNouvelles(c, M, {"Msg100", "Msg101", "Msg102"}, {"[num]"});

    ajouter(c, QStringLiteral("Errors"),
            {"Error01", "Error02", "Error06", "Error07", "Error08", "Error09", "Error10", "Error11", "Error12",
             "Error13", "Error14", "Error15", "Error16"});
    ajouterNouvelles(c, QStringLiteral("Errors"), {"Error17"}, {"[folder]"});
    ajouterNouvelles(c, QStringLiteral("Errors"), {"Error18", "Error19"}, {"[file]"});
    ajouterNouvelles(c, QStringLiteral("Errors"), {"Error20"}, {"[folder]"});
    // A move whose consist cannot leave the consist folder takes its copy back.
    ajouterNouvelles(c, QStringLiteral("Errors"), {"Error50"}, {"[file]"});
    ajouter(c, QStringLiteral("Form"), {"Form01", "Form02", "Form03", "Form04", "Form06", "Form07", "Form08"});
    ajouter(c, QStringLiteral("Button"), serie(QStringLiteral("Button"), 1, 16));
    ajouter(c, QStringLiteral("Frame"),
            {"Frame01", "Frame02", "Frame03", "Frame04", "Frame07", "Frame08", "Frame09", "Frame10", "Frame11"});
    ajouter(c, QStringLiteral("Menu"),
            serie(QStringLiteral("Menu"), 100, 104, 3) + serie(QStringLiteral("Menu"), 200, 202, 3) +
                serie(QStringLiteral("Menu"), 300, 305, 3));
    ajouter(c, QStringLiteral("Label"),
            {"Label01", "Label02", "Label03", "Label06", "Label07", "Label08", "Label09", "Label10", "Label12"});
    ajouter(c, QStringLiteral("Label"), {"Label11"}, {"[size]"});
    ajouter(c, QStringLiteral("OptionButton"), serie(QStringLiteral("OptionButton"), 1, 6));
    ajouter(c, QStringLiteral("CheckBox"), serie(QStringLiteral("CheckBox"), 1, 3));
    ajouter(c, QStringLiteral("MSHFlexGrid"), serie(QStringLiteral("MSHFGCol"), 1, 3));
    // Repairs: missing stock, replacement across consists, undo.
    ajouterNouvelles(c, M, {"Msg60", "Msg74", "Msg76"});
    ajouterNouvelles(c, M, {"Msg61", "Msg64", "Msg65", "Msg66", "Msg73"}, {"[num]"});
    ajouterNouvelles(c, M, {"Msg62"}, {"[num]", "[old]", "[new]"});
    ajouterNouvelles(c, M, {"Msg63"}, {"[old]"});
    ajouterNouvelles(c, M, {"Msg67"}, {"[file]", "[new]"});
    ajouterNouvelles(c, M, {"Msg68", "Msg69", "Msg70", "Msg75"}, {"[file]"});
    ajouterNouvelles(c, M, {"Msg71"}, {"[file]", "[error]"});
    ajouterNouvelles(c, M, {"Msg72"}, {"[old]", "[new]", "[date]", "[time]", "[num]"});
    // A consist gone since a replacement, the replace's own question about a
    // protected consist, and the singular of the counts.
    ajouterNouvelles(c, M, {"Msg77", "Msg78"}, {"[file]"});
    ajouterNouvelles(c, M, {"Msg79"}, {"[old]", "[new]"});
    ajouterNouvelles(c, M, {"Msg80"}, {"[old]", "[new]", "[date]", "[time]"});
    // The file types of the save and open dialogs, in the user's language.
    ajouterNouvelles(c, QStringLiteral("Filter"), {"Filter01", "Filter02", "Filter03"});
    ajouterNouvelles(c, QStringLiteral("ToolTip"), {"ToolTip01", "ToolTip02"});
    ajouterNouvelles(c, QStringLiteral("Errors"), {"Error30"}, {"[new]"});
    ajouterNouvelles(c, QStringLiteral("Errors"), {"Error31"}, {"[old]", "[new]"});
    ajouterNouvelles(c, QStringLiteral("Errors"), {"Error32"}, {"[file]"});
    ajouterNouvelles(c, QStringLiteral("Errors"), {"Error33"}, {"[folder]", "[error]"});
    // The command line's own words: a game folder given that does not hold
    // the game, the folder a mode cannot use, and each kind of usage error.
    ajouterNouvelles(c, QStringLiteral("Errors"), {"Error60", "Error68", "Error69"}, {"[folder]"});
    ajouterNouvelles(c, QStringLiteral("Errors"), {"Error62", "Error63"}, {"[option]"});
    ajouterNouvelles(c, QStringLiteral("Errors"), {"Error64", "Error66", "Error67"}, {"[option]", "[other]"});
    ajouterNouvelles(c, QStringLiteral("Errors"), {"Error65"}, {"[argument]"});
    // A document there that no program would open (no browser installed).
    ajouterNouvelles(c, QStringLiteral("Errors"), {"Error61"}, {"[file]"});
    ajouterNouvelles(c, QStringLiteral("Form"), {"Form10", "Form11"});
    ajouterNouvelles(c, QStringLiteral("Button"), {"Button30", "Button31"});
    ajouterNouvelles(c, QStringLiteral("Menu"), {"Menu206"});
    ajouterNouvelles(c, QStringLiteral("Label"), {"Label30", "Label31"});
    ajouterNouvelles(c, QStringLiteral("Label"), {"Label32"}, {"[old]"});
    ajouterNouvelles(c, QStringLiteral("MSHFlexGrid"), serie(QStringLiteral("MSHFGCol"), 10, 13));
    // The routes window.
    ajouterNouvelles(c, M, {"Msg130", "Msg131", "Msg132", "Msg136", "Msg138"});
    ajouterNouvelles(c, M, {"Msg134", "Msg135", "Msg137"}, {"[name]"});
    ajouterNouvelles(c, M, {"Msg139"}, {"[num]", "[blocked]", "[gaps]"});
    // The replacement in the activities' loose consists, and its undo.
    ajouterNouvelles(c, M, {"Msg154", "Msg155", "Msg156", "Msg157"}, {"[num]"});
    ajouterNouvelles(c, M, {"Msg120", "Msg121", "Msg158", "Msg159", "Msg160", "Msg161"}, {"[file]"});
    ajouterNouvelles(c, M, {"Msg162"}, {"[num]", "[act]", "[old]", "[new]"});
    ajouterNouvelles(c, M, {"Msg163"}, {"[old]", "[new]", "[date]", "[time]", "[num]", "[act]"});
    ajouterNouvelles(c, QStringLiteral("Form"), {"Form12"});
    ajouterNouvelles(c, QStringLiteral("Button"), {"Button32"});
    ajouterNouvelles(c, QStringLiteral("Menu"), {"Menu207"});
    ajouterNouvelles(c, QStringLiteral("Label"), serie(QStringLiteral("Label"), 33, 36));
    ajouterNouvelles(c, QStringLiteral("MSHFlexGrid"), serie(QStringLiteral("MSHFGCol"), 14, 20));
    // Author also names the copyright holder, in every language.
    ajouter(c, QStringLiteral("Language"), {"HelpFile", "FAQFile", "HisFile", "Author"});
    ajouter(c, QStringLiteral("Language"), {"EMail"}, {}, true);
    return c;
}

} // namespace

const QList<EntreeCatalogue> &catalogue()
{
    static const QList<EntreeCatalogue> c = construire();
    return c;
}

const EntreeCatalogue *entreeCatalogue(const QString &section, const QString &cle)
{
    for (const EntreeCatalogue &e : catalogue())
        if (e.section.compare(section, Qt::CaseInsensitive) == 0 && e.cle.compare(cle, Qt::CaseInsensitive) == 0)
            return &e;
    return nullptr;
}

const EntreeCatalogue *premiereEntreeManquante(const QString &chemin)
{
    QFile f(chemin);
    const QByteArray contenu = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    const bool parDefaut = QFileInfo(chemin).fileName() == LangueParDefaut;
    for (const EntreeCatalogue &e : catalogue()) {
        if (e.repliDefaut || (e.seulementHorsDefaut && parDefaut))
            continue;
        if (rognerBlancs(lireCleIni(contenu, e.section, e.cle)).isEmpty())
            return &e;
    }
    return nullptr;
}

} // namespace corvanel
