#pragma once
// Keeps a second copy of the program, started by the same user, from running.
#include <QString>

#include <memory>

class QLockFile;

namespace corvanel {

class InstanceUnique {
public:
    // `cheminVerrou` empty: the per-user default location.
    explicit InstanceUnique(const QString &cheminVerrou = QString());
    ~InstanceUnique();

    // True when this copy is the only one; the lock is held until destruction.
    // A lock left by a copy that crashed does not count.
    bool acquerir();

    static QString cheminParDefaut();

private:
    QString m_chemin;
    std::unique_ptr<QLockFile> m_verrou;
};

} // namespace corvanel
