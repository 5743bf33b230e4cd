#pragma once
// The scan and the report from the command line, for scripts and for
// checking content before it is shared. No display needed.
#include "commun/Interaction.h"

#include <QString>

#include <cstdio>

namespace corvanel {

struct OptionsAnalyse {
    enum class Mode { Scan, RapportCsv, RapportTexte, Utilisations, Routes };
    Mode mode = Mode::Scan;
    QString dossierJeu;
    QString langue; // a path, or a bare name looked for in lang/; empty: as the window would
};

// Exit codes: 0 nothing invalid, 1 something invalid, 2 the folder (or the
// language file) cannot be used.
inline constexpr int SortieSain = 0;
inline constexpr int SortieInvalides = 1;
inline constexpr int SortieInutilisable = 2;

// Runs the scan or the report; results to `sortie`, summary and messages
// to `erreurs` (both UTF-8). Uses DossierAppli and the settings store to
// find the language file, without writing anything.
int executerAnalyse(const OptionsAnalyse &options, std::FILE *sortie, std::FILE *erreurs);

// For every command-line mode: sets the language file (the one given, else
// the window's) and the game's folders; false, with the reason on `erreurs`,
// when GAMEDIR holds no TRAINS/CONSISTS folder.
bool preparerConsole(const QString &langue, const QString &dossierJeu, std::FILE *erreurs);
// The language file: the one given (a path, or a name in lang/), else the
// one the window would use.
void choisirLangue(const QString &demandee);
// Writes UTF-8, every CR LF as LF.
void ecrireConsole(std::FILE *f, const QString &texte);

// The seam for the command line: messages go to stderr; questions are
// answered No; the end of the program leaves with SortieInutilisable.
class InteractionConsole : public Interaction {
public:
    explicit InteractionConsole(std::FILE *erreurs = stderr) : m_erreurs(erreurs) {}
    Reponse message(const Message &m) override;
    Choix ouvrirFichier(const ChoixFichier &) override { return std::nullopt; }
    Choix enregistrerFichier(const ChoixFichier &) override { return std::nullopt; }
    bool demarrerProgramme(const QString &, const QStringList &, ErreurExecution *erreur) override;
    bool ouvrirDocument(const QUrl &) override { return false; }
    void laisserPasserEvenements() override {}
    [[noreturn]] void terminer(int code) override;

private:
    std::FILE *m_erreurs;
};

} // namespace corvanel
