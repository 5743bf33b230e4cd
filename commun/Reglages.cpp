#include "commun/Reglages.h"

#include <QSettings>

#include <cstdlib>

namespace corvanel {

Reglages::Reglages()
#ifdef Q_OS_WIN
    // Where Corvanel has always kept them on Windows, so a user's choices
    // carry over from one version to the next.
    : m_settings(std::make_unique<QSettings>(
          QStringLiteral("HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\Corvanel"),
          QSettings::NativeFormat))
#else
    : m_settings(std::make_unique<QSettings>(QStringLiteral("Corvanel"), QStringLiteral("Corvanel")))
#endif
{
}

Reglages::Reglages(const QString &fichierIni)
    : m_settings(std::make_unique<QSettings>(fichierIni, QSettings::IniFormat))
{
}

Reglages::~Reglages() = default;

QString Reglages::lire(const QString &section, const QString &cle, const QString &defaut) const
{
    return lireSiPresent(section, cle).value_or(defaut);
}

std::optional<QString> Reglages::lireSiPresent(const QString &section, const QString &cle) const
{
    const QString chemin = section + u'/' + cle;
    if (!m_settings->contains(chemin))
        return std::nullopt;
    return m_settings->value(chemin).toString();
}

void Reglages::ecrire(const QString &section, const QString &cle, const QString &valeur)
{
    m_settings->setValue(section + u'/' + cle, valeur);
    m_settings->sync();
}

void Reglages::synchroniser()
{
    m_settings->sync();
}

QString Reglages::emplacement() const
{
    return m_settings->fileName();
}

namespace {
Reglages *g_reglages = nullptr;
}

Reglages &reglages()
{
    if (!g_reglages)
        std::abort();
    return *g_reglages;
}

void definirReglages(Reglages *r)
{
    g_reglages = r;
}

std::optional<bool> commeBooleen(const QString &texte)
{
    const QString t = texte.trimmed();
    if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0 ||
        t.compare(QLatin1String("Vrai"), Qt::CaseInsensitive) == 0)
        return true;
    if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0 ||
        t.compare(QLatin1String("Faux"), Qt::CaseInsensitive) == 0)
        return false;
    bool ok = false;
    const double n = t.toDouble(&ok);
    if (ok)
        return n != 0.0;
    return std::nullopt;
}

} // namespace corvanel
