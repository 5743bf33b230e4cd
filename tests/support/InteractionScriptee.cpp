#include "support/InteractionScriptee.h"

#include <QCoreApplication>
#include <QDialog>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

namespace corvanel::test {

Reponse InteractionScriptee::message(const Message &m)
{
    if (avantMessage)
        avantMessage(m);
    messages.append(m);
    if (!m_reponses.empty()) {
        const Reponse r = m_reponses.front();
        m_reponses.pop_front();
        return r;
    }
    return m.boutons == Boutons::OK ? Reponse::OK : Reponse::Non;
}

Choix InteractionScriptee::ouvrirFichier(const ChoixFichier &c)
{
    choixDemandes.append(c);
    if (m_fichiers.empty())
        return std::nullopt;
    const Choix choix = std::move(m_fichiers.front());
    m_fichiers.pop_front();
    return choix;
}

int InteractionScriptee::montrerModal(QDialog &dialogue)
{
    ++dialoguesMontres;
    dialogue.setModal(true);
    dialogue.show();
    QCoreApplication::processEvents();
    int resultat = QDialog::Rejected;
    if (m_dialogues.empty()) {
        dialogue.reject();
    } else {
        const auto f = std::move(m_dialogues.front());
        m_dialogues.pop_front();
        resultat = f(dialogue);
    }
    dialogue.hide();
    return resultat;
}

bool InteractionScriptee::demarrerProgramme(const QString &programme, const QStringList &arguments,
                                            ErreurExecution *erreur)
{
    demarrages.append({programme, arguments});
    if (m_erreurDemarrage) {
        if (erreur)
            *erreur = *m_erreurDemarrage;
        return false;
    }
    return true;
}

bool InteractionScriptee::ouvrirDocument(const QUrl &adresse)
{
    documents.append(adresse);
    return !m_refuserOuverture;
}

void InteractionScriptee::laisserPasserEvenements()
{
    if (pendantEvenements)
        pendantEvenements();
    QCoreApplication::processEvents();
}

int codeDeFin(const std::function<void()> &f)
{
#if defined(__SANITIZE_ADDRESS__)
    // The end of the program comes back here as an exception, through Qt's
    // event and shortcut dispatch, whose frames do not give back what they
    // hold then; the real program has exited at that point.
    const __lsan::ScopedDisabler sansFuites;
#endif
    try {
        f();
    } catch (const FinProgramme &fin) {
        return fin.code;
    }
    return -1;
}

} // namespace corvanel::test
