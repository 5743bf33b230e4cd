#include "ui/InteractionQt.h"

#include "app/Texte.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace corvanel {

namespace {

QMessageBox::Icon iconeQt(Icone i)
{
    switch (i) {
    case Icone::Critique:
        return QMessageBox::Critical;
    case Icone::Question:
        return QMessageBox::Question;
    case Icone::Exclamation:
        return QMessageBox::Warning;
    case Icone::Information:
        return QMessageBox::Information;
    }
    return QMessageBox::NoIcon;
}

// Texts carry CR LF line breaks, as the original's did; Qt wants LF.
QString pourAffichage(QString t)
{
    return t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

} // namespace

std::unique_ptr<QFileDialog> dialogueFichier(const ChoixFichier &c, bool enregistrer)
{
    const QFileDialog::AcceptMode mode = enregistrer ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen;
    auto d = std::make_unique<QFileDialog>(QApplication::activeWindow(), pourAffichage(c.titre), c.dossierInitial,
                                           filtreQt(c.filtre));
    d->setAcceptMode(mode);
    d->setDefaultSuffix(c.extensionParDefaut);
    d->setFileMode(mode == QFileDialog::AcceptOpen && c.doitExister ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    d->setOption(QFileDialog::DontConfirmOverwrite, !c.confirmerEcrasement);
    return d;
}

namespace {

Choix executer(const ChoixFichier &c, QFileDialog::AcceptMode mode)
{
    for (;;) {
        const std::unique_ptr<QFileDialog> d = dialogueFichier(c, mode == QFileDialog::AcceptSave);
        if (d->exec() != QDialog::Accepted || d->selectedFiles().isEmpty())
            return std::nullopt;
        const QString choisi = d->selectedFiles().constFirst();
        const QFileInfo info(choisi);
        if (mode == QFileDialog::AcceptSave && c.refuserLectureSeule && info.exists() && !info.isWritable()) {
            QMessageBox::warning(QApplication::activeWindow(), pourAffichage(c.titre),
                                 QFileDialog::tr("%1 is write protected.").arg(info.fileName()));
            continue;
        }
        return choisi;
    }
}

} // namespace

QString filtreQt(const QString &filtreOriginal)
{
    const QStringList parts = filtreOriginal.split(u'|');
    QStringList filtres;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i];
        const QString motif = QString(parts[i + 1]).replace(u';', u' ');
        filtres << (description.contains(u'(') ? description : description + QStringLiteral(" (") + motif + u')');
    }
    return filtres.join(QStringLiteral(";;"));
}

std::unique_ptr<QMessageBox> boiteMessage(const Message &m)
{
    auto boite = std::make_unique<QMessageBox>(iconeQt(m.icone), pourAffichage(m.titre), pourAffichage(m.texte),
                                               m.boutons == Boutons::OuiNon ? QMessageBox::Yes | QMessageBox::No
                                                                            : QMessageBox::Ok,
                                               QApplication::activeWindow());
    if (m.boutons == Boutons::OuiNon) {
        boite->setDefaultButton(m.nonParDefaut ? QMessageBox::No : QMessageBox::Yes);
        boite->setEscapeButton(QMessageBox::No);
    }
    return boite;
}

Reponse InteractionQt::message(const Message &m)
{
    const int r = boiteMessage(m)->exec();
    if (m.boutons == Boutons::OK)
        return Reponse::OK;
    return r == QMessageBox::Yes ? Reponse::Oui : Reponse::Non;
}

Choix InteractionQt::ouvrirFichier(const ChoixFichier &c)
{
    return executer(c, QFileDialog::AcceptOpen);
}

Choix InteractionQt::enregistrerFichier(const ChoixFichier &c)
{
    return executer(c, QFileDialog::AcceptSave);
}

int InteractionQt::montrerModal(QDialog &dialogue)
{
    return dialogue.exec();
}

bool InteractionQt::demarrerProgramme(const QString &programme, const QStringList &arguments, QString *erreur)
{
    QProcess p;
    p.setProgram(programme);
    p.setArguments(arguments);
    if (p.startDetached())
        return true;
    if (erreur)
        *erreur = p.errorString();
    return false;
}

bool InteractionQt::ouvrirDocument(const QUrl &adresse)
{
    return QDesktopServices::openUrl(adresse);
}

void InteractionQt::laisserPasserEvenements()
{
    QCoreApplication::processEvents();
}

void InteractionQt::terminer(int code)
{
    // The original's End: nothing else runs, no window closing step.
    if (avantFin)
        avantFin();
    std::fflush(nullptr);
    std::_Exit(code);
}

} // namespace corvanel
