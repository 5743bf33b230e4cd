#pragma once
// The drive, folder and file lists of the choosers, as they have always
// behaved in Corvanel: the folder list shows the open path from the volume's
// root down, then the sub-folders of the open folder; a double click (or
// Enter) opens a folder, a single click only highlights it; typing a name's
// first letters highlights the first folder it begins.
#include <QComboBox>
#include <QElapsedTimer>
#include <QListWidget>

#include "platform/Volumes.h"

namespace corvanel {

class ListeDossiers : public QListWidget {
    Q_OBJECT
public:
    explicit ListeDossiers(QWidget *parent = nullptr);

    QString chemin() const { return m_chemin; }
    // Opens a folder; emits changement() when the path changes. Returns
    // false with the system's description when it cannot be listed; the
    // list then stays as it was.
    bool definirChemin(const QString &chemin, QString *erreur = nullptr);
    // Lists the open folder again (after a folder was created in it).
    void rafraichir();

signals:
    void changement();

protected:
    void keyPressEvent(QKeyEvent *e) override;
    void keyboardSearch(const QString &saisie) override;

private:
    void ouvrirElement(QListWidgetItem *item);
    void remplir();
    QString m_chemin;
    QString m_recherche;
    QElapsedTimer m_frappe;
};

class ListeDisques : public QComboBox {
    Q_OBJECT
public:
    explicit ListeDisques(QWidget *parent = nullptr);

    // The root of the volume chosen.
    QString disque() const;
    // Shows the volume that holds `chemin` without emitting changement().
    void afficherDisqueDe(const QString &chemin);

signals:
    // The user picked another volume.
    void changement();

private:
    QList<Volume> m_volumes;
};

// The programs of one folder (files with an execute bit; "*.exe" on Windows).
class ListeFichiers : public QListWidget {
    Q_OBJECT
public:
    explicit ListeFichiers(QWidget *parent = nullptr);
    void definirDossier(const QString &dossier);
    QString dossier() const { return m_dossier; }
    // Selected file name, or empty.
    QString nomFichier() const;

private:
    QString m_dossier;
};

} // namespace corvanel
