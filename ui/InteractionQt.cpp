#include "ui/InteractionQt.h"

#include "fileops/Echecs.h"
#include "fileops/SystemeFichiers.h"
#include "platform/ErreurExecution.h"
#include "platform/Lancement.h"
#include "platform/Texte.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

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

// Texts carry CR LF line breaks, as the language files write them; Qt wants LF.
QString pourAffichage(QString t)
{
    return t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

} // namespace

QString extensionDuFiltre(const QString &filtre, const QString &defaut)
{
    // "Fichier CSV (*.csv)" gives "csv"; "*.*", "*" or no pattern the default.
    const qsizetype ouvre = filtre.lastIndexOf(u'(');
    const qsizetype ferme = filtre.lastIndexOf(u')');
    const QString motifs = ouvre >= 0 && ferme > ouvre ? filtre.mid(ouvre + 1, ferme - ouvre - 1) : filtre;
    const QString premier = motifs.simplified().section(u' ', 0, 0);
    if (!premier.startsWith(QStringLiteral("*.")))
        return defaut;
    const QString extension = premier.mid(2);
    return extension.isEmpty() || extension.contains(u'*') || extension.contains(u'?') ? defaut : extension;
}

namespace {

bool lectureSeule(const QString &fichier)
{
    try {
        return sf::existe(fichier) && (sf::lireAttributs(fichier) & sf::LectureSeule) != 0;
    } catch (const ErreurExecution &) {
        return false;
    }
}

// A read-only file, or a folder nobody may write to: said, and true.
bool refuse(const QString &fichier)
{
    const QFileInfo info(fichier);
    if (lectureSeule(fichier)) {
        interaction().erreur(QFileDialog::tr("%1 is write protected.").arg(info.fileName()));
        return true;
    }
    return refuserDossierSansEcriture(info.absolutePath());
}

// The save dialog as the game's platform has it: a bare name takes the
// extension of the filter chosen, and a read-only file or a folder nobody may
// write to is refused while the user can still choose another.
class DialogueFichier : public QFileDialog {
public:
    DialogueFichier(const ChoixFichier &c, bool enregistrer)
        : QFileDialog(QApplication::activeWindow(), pourAffichage(c.titre), c.dossierInitial, filtreQt(c.filtre)),
          m_choix(c)
    {
        setAcceptMode(enregistrer ? AcceptSave : AcceptOpen);
        setDefaultSuffix(c.extensionParDefaut);
        setFileMode(!enregistrer && c.doitExister ? ExistingFile : AnyFile);
        setOption(DontConfirmOverwrite, !c.confirmerEcrasement);
    }

    void accept() override
    {
        if (acceptMode() == AcceptSave) {
            // Before the toolkit completes the name and asks about replacing.
            setDefaultSuffix(extensionDuFiltre(selectedNameFilter(), m_choix.extensionParDefaut));
            const QStringList choisis = selectedFiles();
            if (m_choix.refuserLectureSeule && choisis.size() == 1 && !QFileInfo(choisis.first()).isDir() &&
                refuse(choisis.first()))
                return;
        }
        QFileDialog::accept();
    }

private:
    ChoixFichier m_choix;
};

Choix executer(const ChoixFichier &c, bool enregistrer)
{
    for (;;) {
        const std::unique_ptr<QFileDialog> d = dialogueFichier(c, enregistrer);
        if (d->exec() != QDialog::Accepted || d->selectedFiles().isEmpty())
            return std::nullopt;
        const QString choisi = d->selectedFiles().constFirst();
        // A dialog of the system's own closes before accept() can refuse:
        // it opens again.
        if (enregistrer && c.refuserLectureSeule && refuse(choisi))
            continue;
        return choisi;
    }
}

} // namespace

std::unique_ptr<QFileDialog> dialogueFichier(const ChoixFichier &c, bool enregistrer)
{
    return std::make_unique<DialogueFichier>(c, enregistrer);
}

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
    QMessageBox::StandardButtons boutons = QMessageBox::Ok;
    if (m.boutons == Boutons::OuiNon)
        boutons = QMessageBox::Yes | QMessageBox::No;
    else if (m.boutons == Boutons::OuiTousNon)
        boutons = QMessageBox::Yes | QMessageBox::YesToAll | QMessageBox::No;
    auto boite = std::make_unique<QMessageBox>(iconeQt(m.icone), pourAffichage(m.titre), pourAffichage(m.texte),
                                               boutons, QApplication::activeWindow());
    if (m.boutons != Boutons::OK) {
        const bool non = m.nonParDefaut || m.boutons == Boutons::OuiTousNon;
        boite->setDefaultButton(non ? QMessageBox::No : QMessageBox::Yes);
        boite->setEscapeButton(QMessageBox::No);
    }
    return boite;
}

Reponse InteractionQt::message(const Message &m)
{
    const int r = boiteMessage(m)->exec();
    if (m.boutons == Boutons::OK)
        return Reponse::OK;
    if (r == QMessageBox::YesToAll)
        return Reponse::OuiATous;
    return r == QMessageBox::Yes ? Reponse::Oui : Reponse::Non;
}

Choix InteractionQt::ouvrirFichier(const ChoixFichier &c)
{
    return executer(c, false);
}

Choix InteractionQt::enregistrerFichier(const ChoixFichier &c)
{
    return executer(c, true);
}

int InteractionQt::montrerModal(QDialog &dialogue)
{
    return dialogue.exec();
}

bool InteractionQt::demarrerProgramme(const QString &programme, const QStringList &arguments, ErreurExecution *erreur)
{
    const int numero = demarrerDetache(programme, arguments);
    if (numero != 0 && erreur)
        *erreur = ErreurExecution::depuisErrno(numero);
    return numero == 0;
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
    // Ends at once: nothing else runs, no window closing step, so a fatal
    // error cannot be followed by a write on the user's files.
    if (avantFin)
        avantFin();
    std::fflush(nullptr);
    std::_Exit(code);
}

} // namespace corvanel
