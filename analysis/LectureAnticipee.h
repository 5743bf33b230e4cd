#pragma once
// Reading the consists ahead, on a thread of their own, while the scan or the
// report takes the lines of the previous ones apart: the file system's time
// and the program's then overlap. Bounded: a few megabytes wait at most, and
// a large file is left to be read as a stream where it is used.
#include "platform/ListeDossier.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace corvanel {

struct ContenuConsist {
    const EntreeDossier *entree = nullptr;
    QByteArray octets;    // the whole file, when `complet`
    bool complet = false; // false: too large to hold, read it as a stream
    int erreur = 0;       // errno of a failed open or read
};

class LectureAnticipee {
public:
    // Reads, in order, the entries of `fichiers` whose name is a consist name.
    LectureAnticipee(QString dossier, const QList<EntreeDossier> &fichiers);
    ~LectureAnticipee();

    // The next consist's contents, in the order of `fichiers`; `attente`
    // runs while the reader has not caught up (window events).
    ContenuConsist suivant(const std::function<void()> &attente = {});

private:
    void lire();

    QString m_dossier;
    const QList<EntreeDossier> &m_fichiers;
    std::mutex m_verrou;
    std::condition_variable m_signal;
    std::deque<ContenuConsist> m_prets;
    qint64 m_octetsEnAttente = 0;
    bool m_arret = false;
    bool m_fini = false;
    std::thread m_lecteur;
};

} // namespace corvanel
