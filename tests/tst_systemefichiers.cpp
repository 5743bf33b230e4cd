// The file-operation layer on real files: attributes as Wine and Samba keep
// them, deletion that never follows a link, copies that never leave a
// half-written destination.
#include "fileops/SystemeFichiers.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>

#include <sys/stat.h>
#include <sys/xattr.h>

using namespace corvanel;

namespace {

const char *const NomXattr = "user.DOSATTRIB";

QString ecrire(const QString &chemin, const QByteArray &contenu = "SIMISA")
{
    QDir().mkpath(QFileInfo(chemin).absolutePath());
    QFile f(chemin);
    if (!f.open(QIODevice::WriteOnly) || f.write(contenu) != contenu.size())
        qFatal("cannot write %s", qPrintable(chemin));
    return chemin;
}

QByteArray lireContenu(const QString &chemin)
{
    QFile f(chemin);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<absent>");
}

// The stored value as bytes; "<none>" when nothing is stored.
QByteArray valeurStockee(const QString &chemin)
{
    char tampon[256];
    const ssize_t n = ::lgetxattr(QFile::encodeName(chemin).constData(), NomXattr, tampon, sizeof tampon);
    return n < 0 ? QByteArray("<none>") : QByteArray(tampon, n);
}

void stocker(const QString &chemin, const QByteArray &valeur)
{
    QVERIFY(::setxattr(QFile::encodeName(chemin).constData(), NomXattr, valeur.constData(), valeur.size(), 0) == 0);
}

mode_t mode(const QString &chemin)
{
    struct stat st {};
    ::lstat(QFile::encodeName(chemin).constData(), &st);
    return st.st_mode & 07777;
}

void changerMode(const QString &chemin, mode_t m)
{
    QVERIFY(::chmod(QFile::encodeName(chemin).constData(), m) == 0);
}

int numeroDe(const std::function<void()> &f, QString *description = nullptr)
{
    try {
        f();
    } catch (const ErreurExecution &e) {
        if (description)
            *description = e.description();
        return e.numero();
    }
    return 0;
}

QStringList contenuDossier(const QString &dossier)
{
    return QDir(dossier).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

} // namespace

class TstSystemeFichiers : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { sf::retirerPannes(); }

    void attributsAllerRetour_data();
    void attributsAllerRetour();
    void lectureSeuleSurLesPermissions();
    void valeursLues_data();
    void valeursLues();
    void bitsNonGeresGardes();
    void sansAttributsEtendus_data();
    void sansAttributsEtendus();
    void lienSansAttributs();
    void supprimerFichierForceFaux();
    void supprimerDossierNeSuitPasLesLiens();
    void supprimerDossierLectureSeuleRienRetire();
    void supprimerLien();
    void copieGardeDateEtPermissions();
    void copieVersLectureSeuleRefusee();
    void copieInterrompue_data();
    void copieInterrompue();
    void copieEntreSystemesDeFichiers();
    void creerDossier();

private:
    QTemporaryDir m_dir;
};

void TstSystemeFichiers::attributsAllerRetour_data()
{
    QTest::addColumn<QString>("nom");
    QTest::addColumn<int>("depart");
    QTest::addColumn<int>("valeur");
    QTest::addColumn<QByteArray>("stockee");
    QTest::addColumn<bool>("ecriture");

    // Read-only lives in the permission bits and is mirrored in a value that
    // is stored anyway (Samba reads it there); nothing stored for 0 or 1.
    QTest::newRow("0") << "a.con" << 0 << 0 << QByteArray("<none>") << true;
    QTest::newRow("1") << "a.con" << 0 << 1 << QByteArray("<none>") << false;
    QTest::newRow("2") << "a.con" << 0 << 2 << QByteArray("0x2") << true;
    QTest::newRow("32") << "a.con" << 0 << 32 << QByteArray("0x20") << true;
    QTest::newRow("35") << "a.con" << 0 << 35 << QByteArray("0x23") << false;
    QTest::newRow("35 puis 0") << "a.con" << 35 << 0 << QByteArray("<none>") << true;
    QTest::newRow("35 puis 2") << "a.con" << 35 << 2 << QByteArray("0x2") << true;
    QTest::newRow("33 puis 35") << "a.con" << 33 << 35 << QByteArray("0x23") << false;
    // A "." name reads hidden with nothing stored: "0x0" says it is not.
    QTest::newRow(". 0") << ".a.con" << 0 << 0 << QByteArray("0x0") << true;
    QTest::newRow(". 32") << ".a.con" << 2 << 32 << QByteArray("0x20") << true;
    QTest::newRow(". 2") << ".a.con" << 0 << 2 << QByteArray("0x2") << true;
}

void TstSystemeFichiers::attributsAllerRetour()
{
    QFETCH(QString, nom);
    QFETCH(int, depart);
    QFETCH(int, valeur);
    QFETCH(QByteArray, stockee);
    QFETCH(bool, ecriture);
    const QString f = ecrire(m_dir.filePath(QStringLiteral("aller-retour/%1/%2").arg(QTest::currentDataTag(), nom)));
    sf::definirAttributs(f, depart);
    QCOMPARE(sf::lireAttributs(f), depart);

    sf::definirAttributs(f, valeur);
    QCOMPARE(sf::lireAttributs(f), valeur);
    QCOMPARE(valeurStockee(f), stockee);
    QCOMPARE((mode(f) & 0222) != 0, ecriture);
}

void TstSystemeFichiers::lectureSeuleSurLesPermissions()
{
    const QString f = ecrire(m_dir.filePath(QStringLiteral("permissions/a.con")));
    changerMode(f, 0664);
    sf::definirAttributs(f, sf::LectureSeule);
    QCOMPARE(mode(f), mode_t(0444));
    // Any write bit left would make it writable to someone: all go.
    changerMode(f, 0420);
    QCOMPARE(sf::lireAttributs(f), 0);
    sf::definirAttributs(f, sf::LectureSeule);
    QCOMPARE(mode(f), mode_t(0400));
    // Clearing gives the owner write back.
    sf::definirAttributs(f, 0);
    QVERIFY(mode(f) & S_IWUSR);
    QCOMPARE(sf::lireAttributs(f), 0);
    // A folder marked read-only keeps its write bits, as under Wine: its
    // consists must stay deletable.
    const QString d = m_dir.filePath(QStringLiteral("permissions/dossier"));
    QVERIFY(QDir().mkpath(d));
    sf::definirAttributs(d, sf::LectureSeule);
    QVERIFY(mode(d) & S_IWUSR);
    QCOMPARE(sf::lireAttributs(d), int(sf::Dossier));
}

void TstSystemeFichiers::valeursLues_data()
{
    QTest::addColumn<QString>("nom");
    QTest::addColumn<QByteArray>("valeur");
    QTest::addColumn<int>("attendu");

    QTest::newRow("Wine") << "a.con" << QByteArray("0x2") << 2;
    QTest::newRow("Wine archive") << "a.con" << QByteArray("0x22") << 34;
    QTest::newRow("système") << "a.con" << QByteArray("0x4") << 4;
    QTest::newRow("terminée par un nul") << "a.con" << QByteArray("0x20", 5) << 32;
    // Samba 4 writes the text, a null, then a binary record.
    QTest::newRow("Samba binaire") << "a.con" << QByteArray("0x22\0\3\0\3\0\0\0\x11\0\0\0", 15) << 34;
    QTest::newRow("X majuscule") << "a.con" << QByteArray("0X2") << 2;
    QTest::newRow("illisible") << "a.con" << QByteArray("caché") << 0;
    QTest::newRow("lecture seule stockée ignorée") << "a.con" << QByteArray("0x1") << 0;
    QTest::newRow(". sans valeur") << ".a.con" << QByteArray() << 2;
    QTest::newRow(". 0x0") << ".a.con" << QByteArray("0x0") << 0;
    QTest::newRow(". illisible") << ".a.con" << QByteArray("?") << 0;
}

void TstSystemeFichiers::valeursLues()
{
    QFETCH(QString, nom);
    QFETCH(QByteArray, valeur);
    QFETCH(int, attendu);
    const QString f = ecrire(m_dir.filePath(QStringLiteral("lues/%1/%2").arg(QTest::currentDataTag(), nom)));
    if (!valeur.isNull())
        stocker(f, valeur);
    QCOMPARE(sf::lireAttributs(f), attendu);
}

void TstSystemeFichiers::bitsNonGeresGardes()
{
    const QString f = ecrire(m_dir.filePath(QStringLiteral("geres/a.con")));
    stocker(f, "0x2026"); // not-indexed, archive, system, hidden
    sf::definirAttributs(f, 0);
    QCOMPARE(valeurStockee(f), QByteArray("0x2004"));
    QCOMPARE(sf::lireAttributs(f), int(sf::Systeme));
    sf::definirAttributs(f, sf::Cache);
    QCOMPARE(valeurStockee(f), QByteArray("0x2006"));
}

void TstSystemeFichiers::sansAttributsEtendus_data()
{
    QTest::addColumn<QString>("nom");
    QTest::addColumn<int>("valeur");
    QTest::addColumn<bool>("refuse");
    QTest::addColumn<int>("lu");

    QTest::newRow("caché refusé") << "a.con" << 2 << true << 0;
    QTest::newRow("archive refusée") << "a.con" << 32 << true << 0;
    QTest::newRow("35 refusé") << "a.con" << 35 << true << 0;
    QTest::newRow("0 accepté") << "a.con" << 0 << false << 0;
    QTest::newRow("lecture seule acceptée") << "a.con" << 1 << false << 1;
    // What a "." name reads as anyway needs no place to be stored.
    QTest::newRow(". caché accepté") << ".a.con" << 2 << false << 2;
    QTest::newRow(". 0 accepté") << ".a.con" << 0 << false << 2;
    QTest::newRow(". lecture seule refusée") << ".a.con" << 1 << true << 2;
}

// This kernel's tmpfs keeps user attributes, so the file system without
// them is the layer's own stand-in: ENOTSUP from every attribute call.
void TstSystemeFichiers::sansAttributsEtendus()
{
    QFETCH(QString, nom);
    QFETCH(int, valeur);
    QFETCH(bool, refuse);
    QFETCH(int, lu);
    const QString f = ecrire(m_dir.filePath(QStringLiteral("sansxattr/%1/%2").arg(QTest::currentDataTag(), nom)));
    sf::injecterPanne(sf::Operation::Attributs, f, ENOTSUP);
    QString description;
    const int numero = numeroDe([&] { sf::definirAttributs(f, valeur); }, &description);
    if (refuse) {
        QCOMPARE(numero, 75);
        QVERIFY2(description.contains(qt_error_string(ENOTSUP)), qPrintable(description));
    } else {
        QCOMPARE(numero, 0);
    }
    QCOMPARE(sf::lireAttributs(f), lu);
    QCOMPARE(valeurStockee(f), QByteArray("<none>"));
}

void TstSystemeFichiers::lienSansAttributs()
{
    const QString cible = ecrire(m_dir.filePath(QStringLiteral("lien/cible.txt")));
    changerMode(cible, 0444);
    const QString lien = m_dir.filePath(QStringLiteral("lien/.lien"));
    QVERIFY(QFile::link(cible, lien));
    // The link is read for itself: hidden by its name, never read-only.
    QCOMPARE(sf::lireAttributs(lien), int(sf::Cache));
    sf::definirAttributs(lien, 0);
    QCOMPARE(mode(cible), mode_t(0444));
    QCOMPARE(numeroDe([&] { sf::definirAttributs(lien, sf::Archive); }), 75);
    QCOMPARE(valeurStockee(cible), QByteArray("<none>"));
}

void TstSystemeFichiers::supprimerFichierForceFaux()
{
    const QString f = ecrire(m_dir.filePath(QStringLiteral("force/a.con")));
    changerMode(f, 0444);
    QCOMPARE(numeroDe([&] { sf::supprimerFichier(f); }), 70);
    QVERIFY(QFile::exists(f));
    sf::definirAttributs(f, 0);
    sf::supprimerFichier(f);
    QVERIFY(!sf::existe(f));
    QCOMPARE(numeroDe([&] { sf::supprimerFichier(f); }), 53);
}

void TstSystemeFichiers::supprimerDossierNeSuitPasLesLiens()
{
    const QString dehors = m_dir.filePath(QStringLiteral("liens/dehors"));
    ecrire(dehors + QStringLiteral("/garde.txt"));
    const QString fichierDehors = ecrire(m_dir.filePath(QStringLiteral("liens/seul.txt")));
    const QString vieux = m_dir.filePath(QStringLiteral("liens/vieux"));
    ecrire(vieux + QStringLiteral("/sous/x.txt"));
    QVERIFY(QFile::link(dehors, vieux + QStringLiteral("/vers-dossier")));
    QVERIFY(QFile::link(fichierDehors, vieux + QStringLiteral("/sous/vers-fichier")));
    QVERIFY(QFile::link(m_dir.filePath(QStringLiteral("liens/rien")), vieux + QStringLiteral("/casse")));

    sf::supprimerDossier(vieux);
    QVERIFY(!sf::existe(vieux));
    QCOMPARE(contenuDossier(dehors), QStringList{QStringLiteral("garde.txt")});
    QCOMPARE(lireContenu(fichierDehors), QByteArray("SIMISA"));
}

void TstSystemeFichiers::supprimerDossierLectureSeuleRienRetire()
{
    const QString vieux = m_dir.filePath(QStringLiteral("rofolder/vieux"));
    ecrire(vieux + QStringLiteral("/a.txt"));
    const QString ro = ecrire(vieux + QStringLiteral("/sous/ro.txt"));
    changerMode(ro, 0444);
    QCOMPARE(numeroDe([&] { sf::supprimerDossier(vieux); }), 70);
    QVERIFY(QFile::exists(vieux + QStringLiteral("/a.txt")));
    QVERIFY(QFile::exists(ro));

    // An injected failure deep inside refuses the same way.
    changerMode(ro, 0644);
    sf::injecterPanne(sf::Operation::Suppression, QStringLiteral("sous/ro.txt"), EBUSY);
    QCOMPARE(numeroDe([&] { sf::supprimerDossier(vieux); }), 70);
    QVERIFY(QFile::exists(vieux + QStringLiteral("/a.txt")));
    sf::retirerPannes();
    sf::supprimerDossier(vieux);
    QVERIFY(!sf::existe(vieux));
    QCOMPARE(numeroDe([&] { sf::supprimerDossier(vieux); }), 76);
}

void TstSystemeFichiers::supprimerLien()
{
    const QString dehors = m_dir.filePath(QStringLiteral("sl/dehors"));
    ecrire(dehors + QStringLiteral("/garde.txt"));
    const QString lien = m_dir.filePath(QStringLiteral("sl/lien"));
    QVERIFY(QFile::link(dehors, lien));
    QVERIFY(sf::estLien(lien));
    sf::supprimerLien(lien);
    QVERIFY(!sf::existe(lien));
    QVERIFY(QFile::exists(dehors + QStringLiteral("/garde.txt")));
    QCOMPARE(numeroDe([&] { sf::supprimerLien(dehors); }), 5);
}

void TstSystemeFichiers::copieGardeDateEtPermissions()
{
    const QString source = ecrire(m_dir.filePath(QStringLiteral("copie/source/a.con")), QByteArray(300000, 'x'));
    const QDateTime date(QDate(2003, 4, 5), QTime(6, 7, 8, 901), Qt::UTC);
    {
        QFile f(source);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.setFileTime(date, QFileDevice::FileModificationTime));
    }
    changerMode(source, 0640);
    const QString destination = ecrire(m_dir.filePath(QStringLiteral("copie/dest/a.con")), "ancien");
    sf::copierFichier(source, destination);
    QCOMPARE(lireContenu(destination), QByteArray(300000, 'x'));
    QCOMPARE(QFileInfo(destination).lastModified(), QFileInfo(source).lastModified());
    QCOMPARE(QFileInfo(destination).lastModified().toUTC(), date);
    QCOMPARE(mode(destination), mode_t(0640));
    QCOMPARE(contenuDossier(QFileInfo(destination).absolutePath()), QStringList{QStringLiteral("a.con")});
}

void TstSystemeFichiers::copieVersLectureSeuleRefusee()
{
    const QString source = ecrire(m_dir.filePath(QStringLiteral("copiero/source.con")), "nouveau");
    const QString destination = ecrire(m_dir.filePath(QStringLiteral("copiero/dest/a.con")), "ancien");
    changerMode(destination, 0444);
    QCOMPARE(numeroDe([&] { sf::copierFichier(source, destination); }), 70);
    QCOMPARE(lireContenu(destination), QByteArray("ancien"));
    QCOMPARE(contenuDossier(QFileInfo(destination).absolutePath()).size(), 1);
}

void TstSystemeFichiers::copieInterrompue_data()
{
    QTest::addColumn<bool>("existait");
    QTest::addColumn<qint64>("apres");
    QTest::addColumn<int>("err");
    QTest::addColumn<int>("numero");
    QTest::newRow("disque plein, remplacement") << true << qint64(70000) << ENOSPC << 61;
    QTest::newRow("disque plein, nouveau") << false << qint64(10) << ENOSPC << 61;
    QTest::newRow("erreur d'écriture au début") << true << qint64(0) << EIO << 57;
}

void TstSystemeFichiers::copieInterrompue()
{
    QFETCH(bool, existait);
    QFETCH(qint64, apres);
    QFETCH(int, err);
    QFETCH(int, numero);
    const QString dossier = m_dir.filePath(QStringLiteral("interrompue/%1").arg(QString::fromUtf8(QTest::currentDataTag())));
    const QString source = ecrire(dossier + QStringLiteral("/source.bin"), QByteArray(200000, 'n'));
    const QString destination = dossier + QStringLiteral("/dest/a.con");
    if (existait)
        ecrire(destination, "ancien");
    else
        QDir().mkpath(QFileInfo(destination).absolutePath());
    sf::injecterPanne(sf::Operation::Copie, QStringLiteral("/dest/"), err, apres);
    QCOMPARE(numeroDe([&] { sf::copierFichier(source, destination); }), numero);
    QCOMPARE(lireContenu(destination), existait ? QByteArray("ancien") : QByteArray("<absent>"));
    QCOMPARE(contenuDossier(QFileInfo(destination).absolutePath()),
             existait ? QStringList{QStringLiteral("a.con")} : QStringList{});
}

void TstSystemeFichiers::copieEntreSystemesDeFichiers()
{
    if (!QFileInfo(QStringLiteral("/dev/shm")).isWritable())
        QSKIP("no second file system to copy from");
    QTemporaryDir ailleurs(QStringLiteral("/dev/shm/corvanel-XXXXXX"));
    QVERIFY(ailleurs.isValid());
    struct stat a {}, b {};
    ::stat("/dev/shm", &a);
    ::stat(QFile::encodeName(m_dir.path()).constData(), &b);
    if (a.st_dev == b.st_dev)
        QSKIP("/dev/shm is on the same file system");
    const QString source = ecrire(ailleurs.filePath(QStringLiteral("a.con")), "tmpfs");
    const QString destination = m_dir.filePath(QStringLiteral("ailleurs/a.con"));
    QDir().mkpath(QFileInfo(destination).absolutePath());
    sf::copierFichier(source, destination);
    QCOMPARE(lireContenu(destination), QByteArray("tmpfs"));
    QCOMPARE(QFileInfo(destination).lastModified(), QFileInfo(source).lastModified());
}

void TstSystemeFichiers::creerDossier()
{
    const QString d = m_dir.filePath(QStringLiteral("nouveau"));
    sf::creerDossier(d);
    QVERIFY(QFileInfo(d).isDir());
    QCOMPARE(numeroDe([&] { sf::creerDossier(d); }), 75);
    QCOMPARE(numeroDe([&] { sf::creerDossier(m_dir.filePath(QStringLiteral("absent/nouveau"))); }), 76);
    sf::injecterPanne(sf::Operation::Toutes, QStringLiteral("plein"), ENOSPC);
    QCOMPARE(numeroDe([&] { sf::creerDossier(m_dir.filePath(QStringLiteral("plein"))); }), 61);
}

QTEST_GUILESS_MAIN(TstSystemeFichiers)
#include "tst_systemefichiers.moc"
