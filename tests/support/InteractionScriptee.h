#pragma once
// The seam for tests: every message is recorded with its text, buttons, icon
// and title; answers come from a script; modal dialogs are handed to a
// scripted function that drives the real widget; the program's end throws
// FinProgramme instead of leaving the process.
#include "commun/Interaction.h"
#include "ui/Modal.h"

#include <QDialog>
#include <QList>

#include <deque>
#include <functional>

namespace corvanel::test {

struct Demarrage {
    QString programme;
    QStringList arguments;
};

class InteractionScriptee : public InteractionFenetres {
public:
    InteractionScriptee() { definirInteraction(this); }
    ~InteractionScriptee() override { definirInteraction(nullptr); }

    // Scripted answers, used in order; without one a question is answered
    // No and a message OK.
    void repondre(Reponse r) { m_reponses.push_back(r); }
    void choisirFichier(Choix c) { m_fichiers.push_back(std::move(c)); }
    // Runs while the next modal dialog is shown; its return value is exec()'s.
    void quandDialogue(std::function<int(QDialog &)> f) { m_dialogues.push_back(std::move(f)); }
    // The same for a dialog of type D, whose own result exec() then gives.
    template <typename D> void quand(std::function<void(D &)> f)
    {
        quandDialogue([f = std::move(f)](QDialog &d) {
            f(dynamic_cast<D &>(d));
            return d.result();
        });
    }
    void refuserDemarrage(const ErreurExecution &erreur) { m_erreurDemarrage = erreur; }
    void refuserOuverture(bool refuser = true) { m_refuserOuverture = refuser; }

    Reponse message(const Message &m) override;
    Choix ouvrirFichier(const ChoixFichier &c) override;
    Choix enregistrerFichier(const ChoixFichier &c) override { return ouvrirFichier(c); }
    int montrerModal(QDialog &dialogue) override;
    bool demarrerProgramme(const QString &programme, const QStringList &arguments, ErreurExecution *erreur) override;
    bool ouvrirDocument(const QUrl &adresse) override;
    void laisserPasserEvenements() override;
    [[noreturn]] void terminer(int code) override { throw FinProgramme{code}; }

    QList<Message> messages;
    QList<ChoixFichier> choixDemandes;
    QList<Demarrage> demarrages;
    QList<QUrl> documents;
    int dialoguesMontres = 0;
    // Called at every laisserPasserEvenements (e.g. to press the close box).
    std::function<void()> pendantEvenements;
    // Called with each message before it is answered (e.g. to look at the
    // window while a question is open).
    std::function<void(const Message &)> avantMessage;

private:
    std::deque<Reponse> m_reponses;
    std::deque<Choix> m_fichiers;
    std::deque<std::function<int(QDialog &)>> m_dialogues;
    std::optional<ErreurExecution> m_erreurDemarrage;
    bool m_refuserOuverture = false;
};

// Runs f and returns the code the program ended with, or -1 if it did not end.
int codeDeFin(const std::function<void()> &f);

} // namespace corvanel::test
