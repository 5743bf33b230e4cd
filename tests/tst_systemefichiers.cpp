// Attributes as Wine and Samba keep them, copies that never leave a
// half-written destination, and the file-properties dialog on real consists.
#include "fileops/frmProprietesFichier.h"
#include "support/Essai.h"

#include <sys/xattr.h>

namespace {

// The stored user.DOSATTRIB value as bytes; "<none>" when nothing is stored.
QByteArray valeurStockee(const QString &chemin)
{
    char tampon[256];
    const ssize_t n = ::lgetxattr(QFile::encodeName(chemin).constData(), "user.DOSATTRIB", tampon, sizeof tampon);
    return n < 0 ? QByteArray("<none>") : QByteArray(tampon, n);
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

struct Scene : SceneFenetre {
    // The list as a scan leaves it, the focus on entry `courante`.
    void listerAvecFocus(const QStringList &noms, int courante)
    {
        lister(noms);
        f->lstLFI->setCurrentRow(courante, QItemSelectionModel::NoUpdate);
    }
    // Opens the dialog from its menu item and runs `pendant` while it shows.
    void ouvrir(const std::function<void(frmProprietesFichier &)> &pendant)
    {
        seam.quand(pendant);
        f->mnuProprietesFichier->trigger();
    }
};

void cliquer(QAbstractButton *b)
{
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(8, b->height() / 2));
}

} // namespace

class TstSystemeFichiers : public QObject {
    Q_OBJECT

private slots:

    void attributs_data()
    {
        // avant: stored beforehand; null: nothing; valeur: set, then read back; -1: only read; stockee: null: not
        // looked at; panne: without extended attributes, the failure's number; -1: with them
        colonnes<QString, QByteArray, int, int, QByteArray, bool, int>("nom", "avant", "valeur", "lu", "stockee",
                                                                       "ecriture", "panne");
        const auto ligne = [](const char *tag, const char *nom, const QByteArray &avant, int valeur, int lu,
                              const QByteArray &stockee, bool ecriture, int panne = -1) {
            QTest::newRow(tag) << QString::fromLatin1(nom) << avant << valeur << lu << stockee << ecriture << panne;
        };
        const QByteArray rien, aucune("<none>");
        // Read-only clears every write bit (any one left makes the file
        // writable to someone) and is mirrored in a value that is stored
        // anyway (Samba reads it there); nothing is stored for 0 or 1.
        ligne("1", "a.con", rien, 1, 1, aucune, false);
        ligne("35", "a.con", rien, 35, 35, "0x23", false);
        // A "." name reads hidden with nothing stored: "0x0" says it is not.
        ligne(". 0", ".a.con", rien, 0, 0, "0x0", true);
        ligne(". sans valeur", ".a.con", rien, -1, 2, rien, true);
        // Setting clears system too; bits the layer does not manage
        // (not-indexed) are kept.
        ligne("système effacé, bits non gérés gardés", "a.con", "0x2026", 2, 2, "0x2002", true);
        // "\\" is a character of a Linux name, not a separator.
        ligne("barre inverse", "x\\.a.con", rien, -1, 0, rien, true);
        // Samba 4 writes the text, a null, then a binary record.
        ligne("Samba", "a.con", QByteArray("0x22\0\3\0\3\0\0\0\x11\0\0\0", 15), -1, 34, rien, true);
        ligne("illisible", "a.con", "caché", -1, 0, rien, true);
        ligne("lecture seule stockée", "a.con", "0x1", -1, 0, rien, true);
        // This kernel's tmpfs keeps user attributes, so the file system
        // without them is the layer's own stand-in. Clearing a "." name, as
        // the clean-up does before removing, must not fail for want of a
        // place to store "0x0".
        ligne("sans attributs: caché refusé", "a.con", rien, 2, 0, aucune, true, 75);
        ligne("sans attributs: lecture seule", "a.con", rien, 1, 1, aucune, false, 0);
        ligne("sans attributs: . 0", ".a.con", rien, 0, 2, aucune, true, 0);
    }

    void attributs()
    {
        auto [nom, avant, valeur, lu, stockee, ecriture, panne] =
            donnees<QString, QByteArray, int, int, QByteArray, bool, int>("nom", "avant", "valeur", "lu", "stockee",
                                                                          "ecriture", "panne");
        Bac bac;
        const QString f = bac.ecrire(nom);
        QVERIFY(QFile::setPermissions(f, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther | Ecritures));
        if (!avant.isNull())
            QCOMPARE(::setxattr(QFile::encodeName(f).constData(), "user.DOSATTRIB", avant.constData(), avant.size(), 0),
                     0);
        if (panne >= 0)
            sf::injecterPanne(sf::Operation::Attributs, f, ENOTSUP);
        if (valeur >= 0) {
            const ErreurExecution e = echecDe([&] { sf::definirAttributs(f, valeur); });
            QCOMPARE(e.numero(), qMax(panne, 0));
            // The system's words tell the user why.
            QCOMPARE(e.description().contains(qt_error_string(ENOTSUP)), panne > 0);
        }
        QCOMPARE(sf::lireAttributs(f), lu);
        if (!stockee.isNull())
            QCOMPARE(valeurStockee(f), stockee);
        QCOMPARE((QFile::permissions(f) & Ecritures) != 0, ecriture);
    }

    void copie_data()
    {
        // err: -1: nothing fails; 0: a read-only destination; dos: the source's stored attributes, which travel with
        // it; source: empty: a file of known size
        colonnes<int, int, QByteArray, QString>("err", "numero", "dos", "source");
        QTest::newRow("réussie") << -1 << 0 << QByteArray() << QString();
        QTest::newRow("caché, système et archive suivent") << -1 << 0 << QByteArray("0x26") << QString();
        QTest::newRow("disque plein") << ENOSPC << 61 << QByteArray() << QString();
        QTest::newRow("destination en lecture seule") << 0 << 70 << QByteArray() << QString();
        // Gives more than its size says, as a consist saved while it is
        // copied: the copy must not pass for whole.
        QTest::newRow("taille annoncée fausse") << -1 << 57 << QByteArray() << u"/proc/self/status"_s;
    }

    // The copy keeps the source's date to the millisecond; whatever fails, the
    // destination is as it was, and no temporary file stays.
    void copie()
    {
        auto [err, numero, dos, source] = donnees<int, int, QByteArray, QString>("err", "numero", "dos", "source");
        const QByteArray octets(300000, 'n');
        Bac bac;
        const QDateTime date(QDate(2003, 4, 5), QTime(6, 7, 8, 901), Qt::UTC);
        if (source.isEmpty()) {
            source = bac.ecrire(u"source.bin"_s, octets);
            Bac::dater(source, date);
        }
        if (!dos.isNull())
            QCOMPARE(
                ::setxattr(QFile::encodeName(source).constData(), "user.DOSATTRIB", dos.constData(), dos.size(), 0), 0);
        const QString destination = bac.ecrire(u"dest/a.con"_s, "ancien");
        if (err > 0)
            sf::injecterPanne(sf::Operation::Copie, u"/dest/"_s, err, 70000);
        else if (err == 0)
            QVERIFY(QFile::setPermissions(destination, QFile::ReadOwner));
        QCOMPARE(echecDe([&] { sf::copierFichier(source, destination); }).numero(), numero);
        QCOMPARE(Bac::lire(destination), numero ? QByteArray("ancien") : octets);
        if (numero == 0)
            QCOMPARE(QFileInfo(destination).lastModified().toUTC(), date);
        if (!dos.isNull())
            QCOMPARE(sf::lireAttributs(destination), sf::Cache | sf::Systeme | sf::Archive);
        QCOMPARE(QDir(QFileInfo(destination).absolutePath())
                     .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
                 QStringList{u"a.con"_s});
    }

    // No dialog without a current entry (it would be given the consist folder
    // itself) nor for a consist deleted since the scan. Then the entry with
    // the focus, not the selected one, shown as it is; closing changes nothing.
    void ouverture()
    {
        Scene s;
        const QString chemin = s.ecrireConsist(u"Mon train é.con"_s, QByteArray(1234, 'x'));
        sf::definirAttributs(chemin, sf::LectureSeule | sf::Archive);
        Bac::dater(chemin, QDateTime(QDate(2003, 5, 1), QTime(10, 20, 30)));
        s.ecrireConsist(u"B.con"_s, "SIMISA");
        s.listerAvecFocus({u"Mon train é.con"_s, u"B.con"_s, u"parti.con"_s}, -1);
        s.f->lstLFI->item(1)->setSelected(true);
        s.f->mnuProprietesFichier->setEnabled(true);
        s.f->mnuProprietesFichier_Click();
        QVERIFY(s.seam.messages.isEmpty());
        s.f->lstLFI->setCurrentRow(2, QItemSelectionModel::NoUpdate);
        s.f->mnuProprietesFichier->trigger();
        QCOMPARE(s.seam.dialoguesMontres, 0);
        QCOMPARE(s.seam.messages,
                 QList<Message>{s.critique(texteEchec(DossierConsists + u"parti.con"_s, ErreurExecution(53)))});
        s.seam.messages.clear();
        s.f->lstLFI->setCurrentRow(0, QItemSelectionModel::NoUpdate);

        s.ouvrir([&](frmProprietesFichier &d) {
            QCOMPARE(d.lblNom->text(), s.L("Label", "Label09") + u" Mon train é.con"_s);
            QCOMPARE(d.lblTaille->text(), remplacer(s.L("Label", "Label11"), u"[size]", u"1234"));
            // With its seconds, as the overwrite question shows it.
            QVERIFY2(d.lblModif->text().contains(u"10:20:30"_s), qPrintable(d.lblModif->text()));
            QCOMPARE(QList<bool>({d.chkLectureSeule->isChecked(), d.chkCache->isChecked(), d.chkArchive->isChecked(),
                                  d.cmdAppliquer->isEnabled()}),
                     QList<bool>({true, false, true, false}));
            for (QPushButton *b : d.findChildren<QPushButton *>())
                QVERIFY2(b->fontMetrics().horizontalAdvance(QString(b->text()).remove(u'&')) < b->width(),
                         qPrintable(b->text()));
            for (QCheckBox *c : d.findChildren<QCheckBox *>())
                QVERIFY2(c->sizeHint().width() <= c->width(), qPrintable(c->text()));
            cliquer(d.cmdFermer);
            QVERIFY(!d.isVisible());
        });
        QCOMPARE(s.seam.dialoguesMontres, 1);
        QVERIFY(s.seam.messages.isEmpty());
        QCOMPARE(sf::lireAttributs(chemin), sf::LectureSeule | sf::Archive);
    }

    void appliquer_data()
    {
        // clics: l: read-only, c: hidden, a: archive; sansXattr: a file system without extended attributes
        colonnes<QString, int, QString, bool, int>("nom", "depart", "clics", "sansXattr", "attendu");
        QTest::newRow("33, caché coché") << "a.con" << 33 << "c" << false << 35;
        QTest::newRow("35, tout décoché") << "a.con" << 35 << "lca" << false << 0;
        QTest::newRow("2, archive au lieu de caché") << "a.con" << 2 << "ca" << false << 32;
        QTest::newRow("nom en point décoché") << ".a.con" << 2 << "c" << false << 0;
        QTest::newRow("caché refusé") << "a.con" << 0 << "c" << true << 0;
        // Nothing can say a "." name is not hidden: told, not passed over.
        QTest::newRow("nom en point décoché refusé") << ".a.con" << 2 << "c" << true << 2;
    }

    // Where the attributes cannot be stored the failure is shown and Apply
    // stays enabled; the dialog stays open either way.
    void appliquer()
    {
        auto [nom, depart, clics, sansXattr, attendu] =
            donnees<QString, int, QString, bool, int>("nom", "depart", "clics", "sansXattr", "attendu");
        Scene s;
        const QString chemin = s.ecrireConsist(nom, "SIMISA");
        sf::definirAttributs(chemin, depart);
        if (sansXattr)
            sf::injecterPanne(sf::Operation::Attributs, chemin, ENOTSUP);
        s.listerAvecFocus({nom}, 0);

        s.ouvrir([&](frmProprietesFichier &d) {
            for (const QChar c : clics)
                cliquer(c == u'l' ? d.chkLectureSeule : c == u'c' ? d.chkCache : d.chkArchive);
            cliquer(d.cmdAppliquer);
            QCOMPARE(d.cmdAppliquer->isEnabled(), sansXattr);
            QVERIFY(d.isVisible());
        });
        QCOMPARE(s.seam.messages,
                 QList<Message>(sansXattr, s.critique(texteEchec(chemin, sf::erreurSysteme(ENOTSUP)))));
        QCOMPARE(sf::lireAttributs(chemin), attendu);
    }
};

QTEST_MAIN(TstSystemeFichiers)
#include "tst_systemefichiers.moc"
