#include "analysis/LectureAnticipee.h"

#include "analysis/LecteurConsist.h"

#include <QIODevice>

#include <cerrno>
#include <chrono>

namespace corvanel {

namespace {
// A consist is a few kilobytes; one over this is read where it is used, as a
// stream, so memory stays flat.
constexpr qint64 TailleMaxTenue = 1024 * 1024;
// What may wait to be taken apart.
constexpr qint64 OctetsMaxEnAttente = 16 * 1024 * 1024;
constexpr std::size_t FichiersMaxEnAttente = 512;
} // namespace

LectureAnticipee::LectureAnticipee(QString dossier, const QList<EntreeDossier> &fichiers)
    : m_dossier(std::move(dossier)), m_fichiers(fichiers), m_lecteur([this] { lire(); })
{
}

LectureAnticipee::~LectureAnticipee()
{
    {
        const std::lock_guard<std::mutex> garde(m_verrou);
        m_arret = true;
    }
    m_signal.notify_all();
    m_lecteur.join();
}

void LectureAnticipee::lire()
{
    for (const EntreeDossier &e : m_fichiers) {
        if (!estNomConsist(e.nom))
            continue;
        ContenuConsist c;
        c.entree = &e;
        int err = 0;
        const std::unique_ptr<QIODevice> f = ouvrirEntree(m_dossier, e, err);
        if (!f) {
            c.erreur = err;
        } else {
            // Until the end of the file: a read may hand out less than asked
            // (network and FUSE file systems do) without ending the file,
            // and a consist cut there would look broken.
            c.octets.resize(TailleMaxTenue + 1);
            qint64 total = 0;
            while (total <= TailleMaxTenue) {
                errno = 0;
                const qint64 lus = f->read(c.octets.data() + total, TailleMaxTenue + 1 - total);
                if (lus < 0)
                    c.erreur = errno != 0 ? errno : EIO;
                if (lus <= 0)
                    break;
                total += lus;
            }
            c.octets.truncate(total);
            c.complet = c.octets.size() <= TailleMaxTenue;
            if (!c.complet)
                c.octets.clear();
        }
        std::unique_lock<std::mutex> verrou(m_verrou);
        m_signal.wait(verrou, [this] {
            return m_arret || (m_octetsEnAttente < OctetsMaxEnAttente && m_prets.size() < FichiersMaxEnAttente);
        });
        if (m_arret)
            return;
        m_octetsEnAttente += c.octets.size();
        m_prets.push_back(std::move(c));
        verrou.unlock();
        m_signal.notify_all();
    }
    const std::lock_guard<std::mutex> garde(m_verrou);
    m_fini = true;
    m_signal.notify_all();
}

ContenuConsist LectureAnticipee::suivant(const std::function<void()> &attente)
{
    std::unique_lock<std::mutex> verrou(m_verrou);
    for (;;) {
        if (!m_prets.empty()) {
            ContenuConsist c = std::move(m_prets.front());
            m_prets.pop_front();
            m_octetsEnAttente -= c.octets.size();
            verrou.unlock();
            m_signal.notify_all();
            return c;
        }
        if (m_fini)
            return {};
        if (attente) {
            m_signal.wait_for(verrou, std::chrono::milliseconds(10));
            verrou.unlock();
            attente();
            verrou.lock();
        } else {
            m_signal.wait(verrou);
        }
    }
}

} // namespace corvanel
