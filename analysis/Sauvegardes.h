#pragma once
// Writing one replacement's backup: the original bytes of each consist it
// changes and a manifest, one JSON object a line: first the game folder,
// the consist folder, OLD, NEW and the date; then each consist with a
// digest of the bytes the replacement wrote; an undo adds a last line.
#include <QByteArray>
#include <QString>

namespace corvanel {

class EcrivainSauvegarde {
public:
    // Makes a new "<date-time>" folder under dossierSauvegardes(); throws
    // SauvegardeImpossible when it cannot, or when that place lies inside the
    // consist folder (where the clean-up would delete it and the game read it).
    EcrivainSauvegarde(const QString &dossierJeu, const QString &dossierConsists, const QString &ancien,
                       const QString &nouveau);

    const QString &dossier() const { return m_dossier; }
    // Keeps `original` and notes the consist before it is written. Throws
    // ErreurExecution.
    void garder(const QString &nom, const QByteArray &original, const QByteArray &nouveau);

private:
    QString m_dossier;
    QString m_manifeste;
};

// The game folder as backups name it: absolute, links resolved.
QString identiteJeu(const QString &dossierJeu);

} // namespace corvanel
