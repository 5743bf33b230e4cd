#pragma once
// The per-user settings store, application name "Corvanel", with the
// sections and keys every version has used ("Options"/"Langue", "Options"/"Editeur",
// "Options"/"Demarrage", "Fenetre"/"Top" and "Left").
#include <QString>
#include <QVariant>

#include <memory>
#include <optional>

class QSettings;

namespace corvanel {

class Reglages {
public:
    // The user's own store: on Windows the registry key Corvanel has always used,
    // elsewhere Qt's per-user configuration file.
    Reglages();
    // A store in one INI file (tests, portable use).
    explicit Reglages(const QString &fichierIni);
    ~Reglages();

    // The stored text, or the default when the key is absent.
    QString lire(const QString &section, const QString &cle, const QString &defaut = QString()) const;
    std::optional<QString> lireSiPresent(const QString &section, const QString &cle) const;
    // Stores the text under the section and key.
    void ecrire(const QString &section, const QString &cle, const QString &valeur);
    void synchroniser();
    QString emplacement() const;

private:
    std::unique_ptr<QSettings> m_settings;
};

Reglages &reglages();
void definirReglages(Reglages *r);

// A setting read as a Boolean as Corvanel 1.0 wrote and read them: "True" and
// "False" in any case, or a number (0 is False). Anything else: nullopt.
std::optional<bool> commeBooleen(const QString &texte);

} // namespace corvanel
