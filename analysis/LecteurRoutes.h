#pragma once
// Taking apart what a route names: its activities (.act), services (.srv)
// and Open Rails timetables (.timetable_or, .timetable-or), from their text
// already decoded. Nothing here touches a file: the route check reads each
// file once and hands its text over, and the fuzz target drives these alone.
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace corvanel {

// A vehicle named by a loose consist of an activity: EngineData or
// WagonData ( name folder ).
struct VehiculeNomme {
    QString nom;
    QString dossier;
    bool moteur = false; // EngineData: ".eng"; WagonData: ".wag"

    bool operator==(const VehiculeNomme &) const = default;
};

// What an activity names, in the order the file names it.
struct ContenuActivite {
    bool lisible = false;                 // false: the file does not follow the layout
    QString chemin;                       // the header's PathID; empty when none
    QString servicePrincipal;             // Player_Service_Definition; empty when none
    QStringList services;                 // each Service_Definition inside Traffic_Definition
    QList<VehiculeNomme> vehiculesLibres; // the vehicles of ActivityObjects' consists

    bool operator==(const ContenuActivite &) const = default;
};

// What a service names: its first Train_Config and its first PathID.
struct ContenuService {
    bool lisible = false;
    QString consist; // empty when none
    QString chemin;  // empty when none
};

// One train of a timetable: the consists its #consist cell joins (".con"
// added to a name without extension, "<...>" names whole, "$reverse"
// dropped) and the path of its #path cell (qualifiers dropped, ".pat" added
// when it has no extension).
struct TrainHoraire {
    QString nom; // the train's heading cell
    QStringList consists;
    QString chemin; // empty when the cell is
};

struct ContenuHoraire {
    bool lisible = false;       // false: empty, or its first character is no separator
    QList<TrainHoraire> trains; // in column order
};

// A whole file's bytes decoded as the consist reader decodes them (UTF-16 LE
// or BE after its mark, UTF-8 after its mark, else Windows-1252), its line
// ends left as they are: the readers below take any of them.
QString decoderTexte(QByteArrayView octets);

ContenuActivite lireActivite(QStringView texte);
ContenuService lireService(QStringView texte);
ContenuHoraire lireHoraire(QStringView texte);

// The lines that start a vehicle of a loose consist (its EngineData or
// WagonData keyword), numbered from 0 with each CR and each LF ending one, as
// the replacement counts them, in ascending order. Empty when the activity
// cannot be taken apart: nothing in it may then be changed.
QList<qsizetype> lignesVehiculesLibres(QStringView texte);

// The consist names of one #consist cell, as written.
QStringList consistsDeCellule(QStringView cellule);

} // namespace corvanel
