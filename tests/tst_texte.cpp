#include <QtTest>
class TstTexte : public QObject { Q_OBJECT private slots: void vide() {} };
QTEST_GUILESS_MAIN(TstTexte)
#include "tst_texte.moc"
