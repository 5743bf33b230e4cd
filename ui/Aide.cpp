// The Help menu: the help, FAQ and history documents named by the language
// file, the web site, and the About box.
#include "ui/Aide.h"

#include "commun/Interaction.h"
#include "commun/modDeclarations.h"
#include "localisation/LireLangue.h"
#include "platform/Chemins.h"
#include "platform/Texte.h"
#include "ui/Commandes.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace corvanel {

namespace {

// Named as every other path read from a file: "\" or "/" between the
// parts, and a file written for Windows may not match the letter case on disk.
// A language file is passed from user to user: what it names must be one of
// the program's own documents, in its documents folder, never a path up and
// out of it. None otherwise.
std::optional<QString> document(const char *cle)
{
    const QString relatif = texte(QStringLiteral("Language"), QString::fromLatin1(cle));
    const QStringList parties = QString(relatif).replace(u'\\', u'/').split(u'/');
    if (parties.size() < 2 || parties[0].compare(u"doc", Qt::CaseInsensitive) != 0 || parties.contains(u"..") ||
        relatif.contains(u':'))
        return std::nullopt;
    return trouverSansCasse(DossierAppli, relatif).value_or(DossierAppli + relatif);
}

// Opens a document that ships with the program; a missing one, or a request
// the system refuses, shows the command's error.
void ouvrirDocument(const char *cle, const char *erreur)
{
    const auto chemin = document(cle);
    const bool ouvert = chemin && interaction().ouvrirDocument(QUrl::fromLocalFile(*chemin));
    // The file is looked for again after the request, for the help, the FAQ
    // and the history alike, so a missing document is always reported.
    const bool present = QFileInfo(document(cle).value_or(QString())).isFile();
    if (!present)
        interaction().erreur(texte(QStringLiteral("Errors"), QString::fromLatin1(erreur)));
    // There, but no program would show it (no browser installed): the user
    // can still open it by its path.
    else if (!ouvert)
        interaction().erreur(remplacer(texte(QStringLiteral("Errors"), QStringLiteral("Error61")), u"[file]",
                                       QDir::toNativeSeparators(*chemin)));
}

} // namespace

void AfficherAide(frmCorvanel &)
{
    ouvrirDocument("HelpFile", "Error11");
}

void AfficherFAQ(frmCorvanel &)
{
    ouvrirDocument("FAQFile", "Error16");
}

void AfficherHistorique(frmCorvanel &)
{
    ouvrirDocument("HisFile", "Error15");
}

void AfficherSiteInternet(frmCorvanel &)
{
    if (!interaction().ouvrirDocument(QUrl(SiteInternet)))
        interaction().erreur(texte(QStringLiteral("Errors"), QStringLiteral("Error14")));
}

QString ligneCopyright()
{
    return QStringLiteral("Copyright © 2002-2003 ") + texte(QStringLiteral("Language"), QStringLiteral("Author"));
}

QString texteAPropos()
{
    const bool parDefaut = NomFichierLangue == LangueParDefaut;
    const QString L = QStringLiteral("Label");
    QStringList lignes = {TitreFenetre,
                          ligneCopyright(),
                          texte(L, QStringLiteral("Label01")),
                          QString(),
                          texte(L, QStringLiteral("Label07")),
                          SiteInternet,
                          QString(),
                          texte(L, QStringLiteral("Label06")),
                          AdresseAuteur};
    if (!parDefaut) {
        lignes << QString();
        lignes << texte(L, QStringLiteral("Label08")) + u' ' +
                      texte(QStringLiteral("Language"), QStringLiteral("Author"));
        lignes << texte(L, QStringLiteral("Label06")) + u' ' +
                      texte(QStringLiteral("Language"), QStringLiteral("EMail"));
    }
    return lignes.join(QStringLiteral("\r\n"));
}

void AfficherAPropos(frmCorvanel &)
{
    const QString t = texteAPropos();
    interaction().information(t, texte(QStringLiteral("Form"), QStringLiteral("Form04")));
}

} // namespace corvanel
