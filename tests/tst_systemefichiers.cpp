// The file-operation layer on real files: attributes as Wine and Samba keep
// them, deletion that never follows a link, copies that never leave a
// half-written destination.
#include "fileops/SystemeFichiers.h"

#include <QtTest>

#include <cerrno>

#include <sys/xattr.h>

using namespace corvanel;

namespace {

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

// The stored user.DOSATTRIB value as bytes; "<none>" when nothing is stored.
QByteArray valeurStockee(const QString &chemin)
{
    char tampon[256];
    const ssize_t n = ::lgetxattr(QFile::encodeName(chemin).constData(), "user.DOSATTRIB", tampon, sizeof tampon);
    return n < 0 ? QByteArray("<none>") : QByteArray(tampon, n);
}

void stocker(const QString &chemin, const QByteArray &valeur)
{
    QVERIFY(::setxattr(QFile::encodeName(chemin).constData(), "user.DOSATTRIB", valeur.constData(), valeur.size(), 0) ==
            0);
}

constexpr QFile::Permissions Ecritures = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;

// The failure f throws; number 0 when none.
ErreurExecution echecDe(const std::function<void()> &f)
{
    try {
        f();
    } catch (const ErreurExecution &e) {
        return e;
    }
    return ErreurExecution(0, QString());
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

    void attributs_data();
    void attributs();
    void dossierJamaisEnLectureSeule();
    void sansAttributsEtendus_data();
    void sansAttributsEtendus();
    void copieGardeLaDate();
    void copieEchoueeDestinationIntacte_data();
    void copieEchoueeDestinationIntacte();

private:
    QTemporaryDir m_dir;
};

void TstSystemeFichiers::attributs_data()
{
    QTest::addColumn<QString>("nom");
    QTest::addColumn<QByteArray>("avant"); // stored beforehand; null: nothing
    QTest::addColumn<int>("valeur");       // set, then read back; -1: only read
    QTest::addColumn<int>("lu");
    QTest::addColumn<QByteArray>("stockee");
    QTest::addColumn<bool>("ecriture");

    // Read-only clears every write bit (any one left makes the file writable
    // to someone) and is mirrored in a value that is stored anyway (Samba
    // reads it there); nothing is stored for 0 or 1.
    QTest::newRow("1") << "a.con" << QByteArray() << 1 << 1 << QByteArray("<none>") << false;
    QTest::newRow("35") << "a.con" << QByteArray() << 35 << 35 << QByteArray("0x23") << false;
    // A "." name reads hidden with nothing stored: "0x0" says it is not.
    QTest::newRow(". 0") << ".a.con" << QByteArray() << 0 << 0 << QByteArray("0x0") << true;
    QTest::newRow(". sans valeur") << ".a.con" << QByteArray() << -1 << 2 << QByteArray() << true;
    // Bits the layer does not manage (system, not-indexed) are kept.
    QTest::newRow("bits non gérés") << "a.con" << QByteArray("0x2026") << 2 << 6 << QByteArray("0x2006") << true;
    // Samba 4 writes the text, a null, then a binary record.
    QTest::newRow("Samba") << "a.con" << QByteArray("0x22\0\3\0\3\0\0\0\x11\0\0\0", 15) << -1 << 34 << QByteArray()
                           << true;
    QTest::newRow("illisible") << "a.con" << QByteArray("caché") << -1 << 0 << QByteArray() << true;
    QTest::newRow("lecture seule stockée") << "a.con" << QByteArray("0x1") << -1 << 0 << QByteArray() << true;
}

void TstSystemeFichiers::attributs()
{
    QFETCH(QString, nom);
    QFETCH(QByteArray, avant);
    QFETCH(int, valeur);
    QFETCH(int, lu);
    QFETCH(QByteArray, stockee);
    QFETCH(bool, ecriture);
    const QString f = ecrire(m_dir.filePath(QStringLiteral("attributs/%1/%2").arg(QTest::currentDataTag(), nom)));
    QVERIFY(QFile::setPermissions(f, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther | Ecritures));
    if (!avant.isNull())
        stocker(f, avant);
    if (valeur >= 0)
        sf::definirAttributs(f, valeur);
    QCOMPARE(sf::lireAttributs(f), lu);
    if (!stockee.isNull())
        QCOMPARE(valeurStockee(f), stockee);
    QCOMPARE((QFile::permissions(f) & Ecritures) != 0, ecriture);
}

// A folder marked read-only keeps its write bits, as under Wine: its
// consists must stay deletable.
void TstSystemeFichiers::dossierJamaisEnLectureSeule()
{
    const QString d = m_dir.filePath(QStringLiteral("dossier"));
    QVERIFY(QDir().mkpath(d));
    sf::definirAttributs(d, sf::LectureSeule);
    QVERIFY(QFile::permissions(d) & QFile::WriteOwner);
    QCOMPARE(sf::lireAttributs(d), int(sf::Dossier));
}

void TstSystemeFichiers::sansAttributsEtendus_data()
{
    QTest::addColumn<QString>("nom");
    QTest::addColumn<int>("valeur");
    QTest::addColumn<bool>("refuse");
    QTest::addColumn<int>("lu");

    QTest::newRow("caché refusé") << "a.con" << 2 << true << 0;
    QTest::newRow("lecture seule acceptée") << "a.con" << 1 << false << 1;
    // A "." name reads hidden anyway; clearing it, as the clean-up does
    // before removing, must not fail for want of a place to store "0x0".
    QTest::newRow(". 0 accepté") << ".a.con" << 0 << false << 2;
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
    const ErreurExecution e = echecDe([&] { sf::definirAttributs(f, valeur); });
    QCOMPARE(e.numero(), refuse ? 75 : 0);
    // The system's words tell the user why.
    QCOMPARE(e.description().contains(qt_error_string(ENOTSUP)), refuse);
    QCOMPARE(sf::lireAttributs(f), lu);
    QCOMPARE(valeurStockee(f), QByteArray("<none>"));
}

void TstSystemeFichiers::copieGardeLaDate()
{
    const QString source = ecrire(m_dir.filePath(QStringLiteral("copie/source/a.con")), QByteArray(300000, 'x'));
    const QDateTime date(QDate(2003, 4, 5), QTime(6, 7, 8, 901), Qt::UTC);
    {
        QFile f(source);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.setFileTime(date, QFileDevice::FileModificationTime));
    }
    const QString destination = ecrire(m_dir.filePath(QStringLiteral("copie/dest/a.con")), "ancien");
    sf::copierFichier(source, destination);
    QCOMPARE(lireContenu(destination), QByteArray(300000, 'x'));
    QCOMPARE(QFileInfo(destination).lastModified().toUTC(), date);
    QCOMPARE(contenuDossier(QFileInfo(destination).absolutePath()), QStringList{QStringLiteral("a.con")});
}

void TstSystemeFichiers::copieEchoueeDestinationIntacte_data()
{
    QTest::addColumn<int>("err"); // 0: a read-only destination
    QTest::addColumn<int>("numero");
    QTest::newRow("disque plein") << ENOSPC << 61;
    QTest::newRow("destination en lecture seule") << 0 << 70;
}

// Whatever fails, the destination is as it was and no temporary file stays.
void TstSystemeFichiers::copieEchoueeDestinationIntacte()
{
    QFETCH(int, err);
    QFETCH(int, numero);
    const QString dossier =
        m_dir.filePath(QStringLiteral("echouee/%1").arg(QString::fromUtf8(QTest::currentDataTag())));
    const QString source = ecrire(dossier + QStringLiteral("/source.bin"), QByteArray(200000, 'n'));
    const QString destination = ecrire(dossier + QStringLiteral("/dest/a.con"), "ancien");
    if (err)
        sf::injecterPanne(sf::Operation::Copie, QStringLiteral("/dest/"), err, 70000);
    else
        QVERIFY(QFile::setPermissions(destination, QFile::ReadOwner));
    QCOMPARE(echecDe([&] { sf::copierFichier(source, destination); }).numero(), numero);
    QCOMPARE(lireContenu(destination), QByteArray("ancien"));
    QCOMPARE(contenuDossier(QFileInfo(destination).absolutePath()), QStringList{QStringLiteral("a.con")});
}

QTEST_GUILESS_MAIN(TstSystemeFichiers)
#include "tst_systemefichiers.moc"
