#pragma once
// The one seam through which the program blocks on the user or leaves the
// process: message boxes, file choosers, starting a program,
// opening a document or address, and ending the program. Production shows
// real Qt dialogs (ui/InteractionQt); the command line prints to stderr;
// tests script the answers and read back every message.
#include "platform/ErreurExecution.h"

#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

namespace corvanel {

class ErreurExecution;

// OuiTousNon: Yes, Yes to all and No, for a question asked of each item of
// a command in turn; No is then always the default.
enum class Boutons { OK, OuiNon, OuiTousNon };
enum class Icone { Critique, Question, Exclamation, Information };
enum class Reponse { OK, Oui, OuiATous, Non };

struct Message {
    QString texte;
    Boutons boutons = Boutons::OK;
    Icone icone = Icone::Information;
    QString titre = QStringLiteral("Corvanel");
    // Yes/No only: No is the default, for a question whose Yes loses what
    // the user may not have meant to lose.
    bool nonParDefaut = false;

    bool operator==(const Message &) const = default;
};

// What a common open or save dialog is set up with.
struct ChoixFichier {
    QString titre;
    QString filtre; // "Name (*.ext)|*.ext|...", as the language files write filters
    QString extensionParDefaut;
    QString dossierInitial;
    bool doitExister = false;         // open: only an existing file
    bool confirmerEcrasement = false; // save: ask before replacing
    bool refuserLectureSeule = false; // save: refuse a read-only file
};

// Result of a chooser: a path, or nothing when the user cancelled. A dialog
// that fails otherwise reports it as a cancel.
using Choix = std::optional<QString>;

// Thrown by a scripted seam in place of ending the process, so tests can
// watch the program end. Production never throws it.
struct FinProgramme {
    int code = 0;
};

class Interaction {
public:
    virtual ~Interaction();

    virtual Reponse message(const Message &m) = 0;
    virtual Choix ouvrirFichier(const ChoixFichier &c) = 0;
    virtual Choix enregistrerFichier(const ChoixFichier &c) = 0;
    // Starts a program with its arguments, each handed over as it is (no
    // shell). False, with the system's failure, when it could not be started.
    virtual bool demarrerProgramme(const QString &programme, const QStringList &arguments, ErreurExecution *erreur) = 0;
    // Opens a document or address with its associated program.
    virtual bool ouvrirDocument(const QUrl &adresse) = 0;
    // Lets pending window events run (QCoreApplication::processEvents), so a
    // long command keeps the window painted and its Cancel button live.
    virtual void laisserPasserEvenements() = 0;
    // Ends the program at once: no closing step of any window runs.
    [[noreturn]] virtual void terminer(int code) = 0;

    // Shorthands for the message shapes the program uses.
    Reponse erreur(const QString &texte, const QString &titre = QStringLiteral("Corvanel"));
    Reponse information(const QString &texte, const QString &titre = QStringLiteral("Corvanel"));
    bool question(const QString &texte, Icone icone = Icone::Question);
};

// The seam in use; set once at start (production) or by each test.
Interaction &interaction();
void definirInteraction(Interaction *i);

// Ends the program through the seam.
[[noreturn]] void terminerProgramme(int code);

// Shows the fatal-error report (OK, critical icon, title "Corvanel") and
// ends the program.
[[noreturn]] void rapportFatal(VarianteRapport v, const ErreurExecution &e);

} // namespace corvanel
