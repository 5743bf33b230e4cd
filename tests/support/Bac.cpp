#include "support/Bac.h"

#include "app/modSubMain.h"
#include "commun/modDeclarations.h"
#include "fileops/SystemeFichiers.h"
#include "platform/Texte.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

#include <sys/vfs.h>

namespace corvanel::test {

Bac::Bac() : m_donnees(qgetenv("XDG_DATA_HOME"))
{
    // Deletions go to the trash: this one's, never the session's.
    qputenv("XDG_DATA_HOME", QFile::encodeName(chemin(QStringLiteral("donnees"))));
    reinitialiserDeclarations();
    m_reglages = new Reglages(fichierReglages());
    definirReglages(m_reglages);
}

Bac::~Bac()
{
    for (const QString &point : std::as_const(m_montages))
        QProcess::execute(QStringLiteral("fusermount3"), {QStringLiteral("-u"), QStringLiteral("-z"), point});
    // A fault injected for one test goes with its sandbox.
    sf::retirerPannes();
    definirReglages(nullptr);
    delete m_reglages;
    reinitialiserDeclarations();
    qputenv("XDG_DATA_HOME", m_donnees);
}

QString Bac::ecrire(const QString &relatif, const QByteArray &contenu)
{
    const QString c = chemin(relatif);
    QDir().mkpath(QFileInfo(c).absolutePath());
    QFile f(c);
    if (!f.open(QIODevice::WriteOnly) || f.write(contenu) != contenu.size())
        qFatal("cannot write %s", qPrintable(c));
    return c;
}

QString Bac::creerDossier(const QString &relatif)
{
    const QString c = chemin(relatif);
    QDir().mkpath(c);
    return c;
}

QByteArray Bac::lire(const QString &chemin)
{
    QFile f(chemin);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<absent>");
}

void Bac::dater(const QString &chemin, const QDateTime &date)
{
    QFile f(chemin);
    if (!f.open(QIODevice::Append) || !f.setFileTime(date, QFileDevice::FileModificationTime))
        qFatal("cannot date %s", qPrintable(chemin));
}

QString Bac::preparerProgramme()
{
    const QString prog = creerDossier(QStringLiteral("programme"));
    QDir().mkpath(prog + QStringLiteral("/lang"));
    const QDir source(dossierLangSource());
    for (const QString &nom : source.entryList({QStringLiteral("*.lng")}, QDir::Files))
        QFile::copy(source.filePath(nom), prog + QStringLiteral("/lang/") + nom);
    DossierAppli = prog + u'/';
    return DossierAppli;
}

QString Bac::creerJeu(const QString &relatif)
{
    ecrire(relatif + QStringLiteral("/train.exe"), "MZ");
    ecrire(relatif + QStringLiteral("/launcher.exe"), "MZ");
    creerDossier(relatif + QStringLiteral("/TRAINS/CONSISTS"));
    creerDossier(relatif + QStringLiteral("/TRAINS/TRAINSET"));
    return chemin(relatif) + u'/';
}

QByteArray consist(const QStringList &vehicules, bool enUtf16)
{
    const QString t = QStringLiteral("SIMISA@@@@@@@@@@JINX0D0t______\r\n\r\nTrain (\r\n") +
                      vehicules.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n)\r\n");
    return enUtf16 ? utf16(t) : versAnsi(t);
}

QByteArray utf16(const QString &texte, bool petitBoutiste)
{
    QByteArray o = petitBoutiste ? QByteArray("\xFF\xFE") : QByteArray("\xFE\xFF");
    for (const QChar c : texte) {
        const char hi = static_cast<char>(c.unicode() >> 8), lo = static_cast<char>(c.unicode() & 0xFF);
        o.append(petitBoutiste ? lo : hi).append(petitBoutiste ? hi : lo);
    }
    return o;
}

QByteArray encoder(const QString &texte, const QString &codage)
{
    if (codage == u"ansi")
        return versAnsi(texte);
    if (codage == u"utf8")
        return "\xEF\xBB\xBF" + texte.toUtf8();
    return utf16(texte, codage == u"utf16le");
}

QString Bac::monterSansCasse(const QString &relatif, QString *raison)
{
#ifdef CORVANEL_FUSECASSE
    if (!QFileInfo::exists(QStringLiteral("/dev/fuse"))) {
        *raison = QStringLiteral("/dev/fuse is missing");
        return {};
    }
    const QString dessous = creerDossier(relatif);
    const QString point = creerDossier(relatif + QStringLiteral(" (sans casse)"));
    QProcess p;
    p.start(QStringLiteral(CORVANEL_FUSECASSE), {dessous, point});
    // The helper returns once mounted, leaving the file system to its child.
    if (!p.waitForFinished(20000) || p.exitCode() != 0) {
        *raison = QStringLiteral("mounting was refused: ") + QString::fromLocal8Bit(p.readAllStandardError());
        return {};
    }
    m_montages << point;
    constexpr long MagieFuse = 0x65735546;
    for (int i = 0; i < 200; ++i) {
        struct statfs st {};
        if (::statfs(QFile::encodeName(point).constData(), &st) == 0 && st.f_type == MagieFuse)
            return point + u'/';
        QThread::msleep(10);
    }
    *raison = QStringLiteral("the mount did not appear");
    return {};
#else
    Q_UNUSED(relatif);
    *raison = QStringLiteral("built without libfuse3");
    return {};
#endif
}

} // namespace corvanel::test
