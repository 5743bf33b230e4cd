#pragma once
// A main window in a sandbox, as start-up leaves it: a program folder with
// the shipped language files, an empty game folder (train.exe, launcher.exe,
// TRAINS/CONSISTS, TRAINS/TRAINSET), the scripted seam and the window shown
// with its captions. Tests derive from it to add their own helpers.
#include "support/Bac.h"
#include "support/InteractionScriptee.h"
#include "ui/frmCorvanel.h"

#include <memory>

namespace corvanel::test {

struct SceneFenetre {
    Bac bac;
    InteractionScriptee seam;
    std::unique_ptr<frmCorvanel> f;
    QString jeu; // the game folder, ending in "/"

    explicit SceneFenetre(const QString &langue = QStringLiteral("crv-1.0.7-french.lng"));
    virtual ~SceneFenetre();

    // Writes a file in the consist folder, or in the trainset folder.
    QString ecrireConsist(const QString &nom, const QByteArray &octets);
    QString ecrireVehicule(const QString &relatif, const QByteArray &octets = "SIMISA");
    // A text of the language file in use.
    QString L(const QString &section, const QString &cle) const;
};

} // namespace corvanel::test
