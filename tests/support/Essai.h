#pragma once
// What every suite starts from: Qt's test and widget classes, the sandbox and
// the scripted seam, the program's shared state, texts and file operations,
// and a data table's columns declared and read in one line each rather than
// one line a column.
#include "commun/modDeclarations.h"
#include "fileops/Echecs.h"
#include "fileops/SystemeFichiers.h"
#include "platform/Texte.h"
#include "support/SceneFenetre.h"

#include <QtTest>
#include <QtWidgets>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <mutex>
#include <thread>
#include <tuple>

#include <sys/resource.h>

namespace corvanel::test {

template <typename... T, typename... Nom> void colonnes(Nom... noms)
{
    (QTest::addColumn<T>(noms), ...);
}
// The current row's values, as QFETCH would give them one by one.
template <typename... T, typename... Nom> std::tuple<T...> donnees(Nom... noms)
{
    return {*static_cast<T *>(QTest::qData(noms, qMetaTypeId<T>()))...};
}

// A hang (threads waiting on each other, a table that never stops growing)
// fails the test at once and says where, not at the test runner's timeout
// minutes later with nothing said.
class Echeance {
public:
    Echeance(int secondes, const char *quoi)
        : m_garde([this, secondes, quoi] {
              std::unique_lock verrou(m_verrou);
              if (!m_fin.wait_for(verrou, std::chrono::seconds(secondes), [this] { return m_termine; }))
                  qFatal("%s: still running after %d s", quoi, secondes);
          })
    {
    }
    ~Echeance()
    {
        {
            const std::lock_guard verrou(m_verrou);
            m_termine = true;
        }
        m_fin.notify_one();
        m_garde.join();
    }

private:
    std::mutex m_verrou;
    std::condition_variable m_fin;
    bool m_termine = false;
    std::thread m_garde; // last: started once the others exist
};

// The file system's own limit on a file's size: writes past it fail with
// EFBIG as they would on a full disk, for root as well.
struct LimiteTaille {
    rlimit avant{};
    explicit LimiteTaille(rlim_t octets)
    {
        ::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &avant);
        const rlimit l{octets, avant.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &l);
    }
    ~LimiteTaille() { ::setrlimit(RLIMIT_FSIZE, &avant); }
};

} // namespace corvanel::test

using namespace corvanel;
using namespace corvanel::test;
using namespace Qt::StringLiterals;
