#pragma once
// The production side of the seam: real Qt dialogs, real processes.
#include "ui/Modal.h"

#include <functional>
#include <memory>

class QFileDialog;
class QMessageBox;

namespace corvanel {

class InteractionQt : public InteractionFenetres {
public:
    Reponse message(const Message &m) override;
    Choix ouvrirFichier(const ChoixFichier &c) override;
    Choix enregistrerFichier(const ChoixFichier &c) override;
    int montrerModal(QDialog &dialogue) override;
    bool demarrerProgramme(const QString &programme, const QStringList &arguments, ErreurExecution *erreur) override;
    bool ouvrirDocument(const QUrl &adresse) override;
    void laisserPasserEvenements() override;
    [[noreturn]] void terminer(int code) override;

    // Runs just before the process ends (releases the single-copy lock).
    std::function<void()> avantFin;
};

// "Name (*.a)|*.a|Other (*.*)|*.*" as Qt's "Name (*.a);;Other (*.*)".
QString filtreQt(const QString &filtreOriginal);

// The extension a save dialog gives a bare name under the Qt name filter
// `filtre`: its first pattern's, or `defaut` for "*.*" and the like.
QString extensionDuFiltre(const QString &filtre, const QString &defaut);

// The dialogs the seam shows, built apart so they can be pictured (and the
// file dialog's accept() driven by tests).
std::unique_ptr<QMessageBox> boiteMessage(const Message &m);
std::unique_ptr<QFileDialog> dialogueFichier(const ChoixFichier &c, bool enregistrer);

} // namespace corvanel
