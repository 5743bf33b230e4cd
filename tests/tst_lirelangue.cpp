// Text lookup: what every caption and message of the program goes through.
#include "app/ErreurExecution.h"
#include "app/Texte.h"
#include "app/modDeclarations.h"
#include "localisation/FichierIni.h"
#include "localisation/LireLangue.h"
#include "support/Bac.h"
#include "support/InteractionScriptee.h"

#include <QtTest>

using namespace corvanel;
using namespace corvanel::test;

class TstLireLangue : public QObject {
    Q_OBJECT

private slots:
    void lecture_data();
    void lecture();
    void ansiAllerRetour();
    void texteManquantTermine_data();
    void texteManquantTermine();
    void fichierAbsentTermine();
    void rapportsFatals();
    void sansObligationRendVide();
};

void TstLireLangue::lecture_data()
{
    QTest::addColumn<QByteArray>("fichier");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("cle");
    QTest::addColumn<QString>("attendu");

    QTest::newRow("simple") << QByteArray("[Messages]\r\nMsg01=Recherche en cours\r\n") << "Messages"
                            << "Msg01"
                            << "Recherche en cours";
    QTest::newRow("une coupure") << QByteArray("[M]\r\nK=Un%nDeux\r\n") << "M"
                                 << "K"
                                 << "Un\r\nDeux";
    QTest::newRow("deux coupures font une ligne vide") << QByteArray("[M]\nK=Un%n%nDeux\n") << "M"
                                                       << "K"
                                                       << "Un\r\n\r\nDeux";
    QTest::newRow("casse des noms ignoree") << QByteArray("[bUTTON]\r\nbutton01=&Rechercher\r\n") << "Button"
                                            << "Button01"
                                            << "&Rechercher";
    QTest::newRow("texte apres le premier egal") << QByteArray("[M]\r\nK = a=b = c \r\n") << "M"
                                                 << "K"
                                                 << "a=b = c";
    QTest::newRow("guillemets enlevés") << QByteArray("[M]\r\nK=\"  entre guillemets  \"\r\n") << "M"
                                        << "K"
                                        << "entre guillemets";
    QTest::newRow("apostrophes enlevées") << QByteArray("[M]\r\nK='dit'\r\n") << "M"
                                          << "K"
                                          << "dit";
    QTest::newRow("guillemet seul gardé") << QByteArray("[M]\r\nK=\"ouvert\r\n") << "M"
                                          << "K"
                                          << "\"ouvert";
    QTest::newRow("marque intacte") << QByteArray("[M]\r\nK=[num] fichiers\r\n") << "M"
                                    << "K"
                                    << "[num] fichiers";
    QTest::newRow("windows-1252") << QByteArray("[M]\r\nK=Propri\xe9t\xe9s \x80 \x9c\r\n") << "M"
                                  << "K" << QString::fromUtf8("Propriétés € œ");
    QTest::newRow("autre section") << QByteArray("[A]\r\nK=a\r\n[B]\r\nK=b\r\n") << "B"
                                   << "K"
                                   << "b";
    QTest::newRow("commentaire") << QByteArray("[M]\r\n;K=non\r\nK=oui\r\n") << "M"
                                 << "K"
                                 << "oui";
    QTest::newRow("fin de ligne CR seul") << QByteArray("[M]\rK=a\rL=b\r") << "M"
                                          << "L"
                                          << "b";
    QTest::newRow("tabulations autour") << QByteArray("[M]\r\n\tK\t=\tx\t\r\n") << "M"
                                        << "K"
                                        << "x";
    QTest::newRow("254 caractères au plus") << (QByteArray("[M]\r\nK=") + QByteArray(300, 'a') + "\r\n") << "M"
                                            << "K" << QString(254, u'a');
    QTest::newRow("coupé avant les blancs de fin")
        << (QByteArray("[M]\r\nK=") + QByteArray(250, 'a') + "     b\r\n") << "M"
        << "K" << QString(250, u'a');
}

void TstLireLangue::lecture()
{
    QFETCH(QByteArray, fichier);
    QFETCH(QString, section);
    QFETCH(QString, cle);
    QFETCH(QString, attendu);

    Bac bac;
    InteractionScriptee seam;
    const QString chemin = bac.ecrire(QStringLiteral("t.lng"), fichier);
    NomFichierLangue = QStringLiteral("t.lng");
    QCOMPARE(LireLangue(chemin, section, cle, true), attendu);
    QVERIFY(seam.messages.isEmpty());
}

void TstLireLangue::ansiAllerRetour()
{
    QByteArray tous;
    for (int i = 1; i < 256; ++i)
        tous.append(static_cast<char>(i));
    QCOMPARE(versAnsi(depuisAnsi(tous)), tous);
    QCOMPARE(versAnsi(u"Ωx€"), QByteArray("?x\x80"));
    QCOMPARE(versAnsi(QStringLiteral("a\U0001F682b")), QByteArray("a?b"));
}

void TstLireLangue::texteManquantTermine_data()
{
    QTest::addColumn<QByteArray>("fichier");
    QTest::newRow("clé absente") << QByteArray("[Button]\r\nButton02=b\r\n");
    QTest::newRow("section absente") << QByteArray("[Menu]\r\nButton01=b\r\n");
    QTest::newRow("texte vide") << QByteArray("[Button]\r\nButton01=\r\n");
    QTest::newRow("blancs seulement") << QByteArray("[Button]\r\nButton01=     \r\n");
    QTest::newRow("guillemets vides") << QByteArray("[Button]\r\nButton01=\"\"\r\n");
}

void TstLireLangue::texteManquantTermine()
{
    QFETCH(QByteArray, fichier);
    Bac bac;
    InteractionScriptee seam;
    const QString chemin = bac.ecrire(QStringLiteral("autre-nom.lng"), fichier);
    NomFichierLangue = QStringLiteral("crv-1.0.7-french.lng");

    QCOMPARE(codeDeFin([&] { LireLangue(chemin, QStringLiteral("Button"), QStringLiteral("Button01"), true); }), 1);
    QCOMPARE(seam.messages.size(), 1);
    const Message m = seam.messages.first();
    QCOMPARE(m.texte, QString::fromUtf8("La section [Button] ou la clé \"Button01\" n'existe pas dans le fichier de "
                                        "langue \"crv-1.0.7-french.lng\".\r\n\r\nVeuillez corriger le problème, puis "
                                        "relancer Corvanel."));
    QCOMPARE(m.boutons, Boutons::OK);
    QCOMPARE(m.icone, Icone::Critique);
    QCOMPARE(m.titre, QStringLiteral("Corvanel"));
}

void TstLireLangue::fichierAbsentTermine()
{
    Bac bac;
    InteractionScriptee seam;
    NomFichierLangue = QStringLiteral("crv-1.0.7-english.lng");
    // A folder of that name is no language file either.
    const QString dossier = bac.creerDossier(QStringLiteral("lang/x.lng"));
    for (const QString &chemin : {bac.chemin(QStringLiteral("absent.lng")), dossier}) {
        seam.messages.clear();
        QCOMPARE(codeDeFin([&] { texte(QStringLiteral("A"), QStringLiteral("B")); }), 1);
        QCOMPARE(codeDeFin([&] { LireLangue(chemin, QStringLiteral("A"), QStringLiteral("B")); }), 1);
        QCOMPARE(seam.messages.size(), 2);
        QCOMPARE(seam.messages.last().texte,
                 QString::fromUtf8("Le fichier de langue suivant n'existe pas : crv-1.0.7-english.lng\r\n\r\n"
                                   "Impossible de continuer."));
        QCOMPARE(seam.messages.last().icone, Icone::Critique);
    }
}

void TstLireLangue::rapportsFatals()
{
    const ErreurExecution e(NumErreur::FichierIntrouvable);
    const QString fin = QString::fromUtf8("\r\n\r\nSi le problème persiste, veuillez contacter l'auteur du programme.");
    QCOMPARE(texteRapportFatal(VarianteRapport::ErreurNo, e),
             QString::fromUtf8("Erreur n° 53. Fichier introuvable.") + fin);
    QCOMPARE(texteRapportFatal(VarianteRapport::ErreurNoSansPoint, e),
             QString::fromUtf8("Erreur n° 53. Fichier introuvable") + fin);
    QCOMPARE(texteRapportFatal(VarianteRapport::ErreurNoColle, e),
             QString::fromUtf8("Erreur n°53. Fichier introuvable") + fin);
    QCOMPARE(texteRapportFatal(VarianteRapport::Erreur, e), QString::fromUtf8("Erreur 53. Fichier introuvable.") + fin);

    QCOMPARE(ErreurExecution::depuisErrno(ENOENT).numero(), 53);
    QCOMPARE(ErreurExecution::depuisErrno(ENOENT, true).numero(), 76);
    QCOMPARE(ErreurExecution::depuisErrno(EACCES).numero(), 70);
    QCOMPARE(ErreurExecution::depuisErrno(EROFS).numero(), 70);
    QCOMPARE(ErreurExecution::depuisErrno(ENOSPC).numero(), 61);
    QCOMPARE(ErreurExecution::depuisErrno(EEXIST).numero(), 58);
    QCOMPARE(ErreurExecution::depuisErrno(EIO).numero(), 57);
    QCOMPARE(ErreurExecution::depuisErrno(ELOOP).numero(), 75);

    Bac bac;
    InteractionScriptee seam;
    QCOMPARE(codeDeFin([&] { rapportFatal(VarianteRapport::ErreurNo, ErreurExecution(70)); }), 1);
    QCOMPARE(seam.messages.size(), 1);
    QCOMPARE(seam.messages[0].texte, QString::fromUtf8("Erreur n° 70. Permission refusée.") + fin);
    QCOMPARE(seam.messages[0].icone, Icone::Critique);
    QCOMPARE(seam.messages[0].titre, QStringLiteral("Corvanel"));
}

void TstLireLangue::sansObligationRendVide()
{
    Bac bac;
    InteractionScriptee seam;
    const QString chemin = bac.ecrire(QStringLiteral("t.lng"), "[M]\r\nK=  \r\n");
    QCOMPARE(LireLangue(chemin, QStringLiteral("M"), QStringLiteral("K"), false), QString());
    QCOMPARE(LireLangue(chemin, QStringLiteral("M"), QStringLiteral("Absente"), false), QString());
    QVERIFY(seam.messages.isEmpty());
}

QTEST_GUILESS_MAIN(TstLireLangue)
#include "tst_lirelangue.moc"
