#include "analysis/LecteurRoutes.h"

#include "platform/Texte.h"

#include <QStringDecoder>

#include <optional>

namespace corvanel {

namespace {

// A character no text file of the game holds: bytes of a compressed or
// foreign file, or UTF-16 without its mark read as single bytes.
bool controle(QChar c)
{
    const char16_t u = c.unicode();
    return u < 0x20 && u != u'\t' && u != u'\n' && u != u'\r' && u != u'\v' && u != u'\f' && u != 0x1A;
}

bool blanc(QChar c)
{
    const char16_t u = c.unicode();
    return u == u' ' || u == u'\t' || u == u'\n' || u == u'\r' || u == u'\v' || u == u'\f' || u == 0x1A;
}

// A word or a string: a view into the text read, or, for a string holding
// escapes or joined from pieces, its own copy. Activities hold tens of
// thousands of them, nearly all plain views.
struct Jeton {
    enum class Genre { Ouvre, Ferme, Mot };
    Genre genre = Genre::Mot;
    QStringView vue;
    QString propre;
    bool copie = false;  // the text is `propre`
    qsizetype debut = 0; // where it starts in the text read
    QStringView texte() const { return copie ? QStringView(propre) : vue; }
};

// The game's structured text: words, quoted strings ("\"" and "\\" inside
// them; "a" + "b" joined), and brackets.
class Decoupeur {
public:
    explicit Decoupeur(QStringView texte) : m_t(texte) {}

    std::optional<Jeton> suivant()
    {
        while (m_i < m_t.size() && blanc(m_t[m_i]))
            ++m_i;
        if (m_i >= m_t.size())
            return std::nullopt;
        const QChar c = m_t[m_i];
        if (controle(c)) {
            m_erreur = true;
            return std::nullopt;
        }
        const qsizetype debut = m_i;
        if (c == u'(' || c == u')') {
            ++m_i;
            return Jeton{c == u'(' ? Jeton::Genre::Ouvre : Jeton::Genre::Ferme, {}, {}, false, debut};
        }
        if (c != u'"') {
            while (m_i < m_t.size() && !blanc(m_t[m_i]) && m_t[m_i] != u'(' && m_t[m_i] != u')' && m_t[m_i] != u'"' &&
                   !controle(m_t[m_i]))
                ++m_i;
            return Jeton{Jeton::Genre::Mot, m_t.sliced(debut, m_i - debut), {}, false, debut};
        }
        Jeton j{Jeton::Genre::Mot, {}, {}, false, debut};
        for (;;) {
            const std::optional<QStringView> simple = chaine(j);
            if (m_erreur)
                return std::nullopt;
            if (simple)
                j.vue = *simple;
            // "a" + "b": one string, as the game joins them.
            qsizetype k = m_i;
            while (k < m_t.size() && blanc(m_t[k]))
                ++k;
            if (k >= m_t.size() || m_t[k] != u'+')
                break;
            ++k;
            while (k < m_t.size() && blanc(m_t[k]))
                ++k;
            if (k >= m_t.size() || m_t[k] != u'"')
                break;
            if (!j.copie) {
                j.propre = j.vue.toString();
                j.copie = true;
            }
            m_i = k;
        }
        return j;
    }

    bool erreur() const { return m_erreur; }

private:
    // One quoted string at m_i: its content as a view when it holds no
    // escape and nothing is copied yet, else appended to the token's copy.
    // Sets m_erreur when it is not closed.
    std::optional<QStringView> chaine(Jeton &j)
    {
        const qsizetype debut = ++m_i;
        qsizetype fin = debut;
        while (fin < m_t.size() && m_t[fin] != u'"' && m_t[fin] != u'\\' && !controle(m_t[fin]))
            ++fin;
        if (!j.copie && fin < m_t.size() && m_t[fin] == u'"') {
            m_i = fin + 1;
            return m_t.sliced(debut, fin - debut);
        }
        j.copie = true;
        QString &copie = j.propre;
        while (m_i < m_t.size()) {
            const QChar c = m_t[m_i++];
            if (c == u'"')
                return std::nullopt;
            if (controle(c))
                break;
            if (c == u'\\' && m_i < m_t.size() && (m_t[m_i] == u'"' || m_t[m_i] == u'\\')) {
                copie += m_t[m_i++];
                continue;
            }
            copie += c;
        }
        m_erreur = true;
        return std::nullopt;
    }

    QStringView m_t;
    qsizetype m_i = 0;
    bool m_erreur = false;
};

bool est(QStringView a, QStringView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Blocks whose content the game passes over.
bool ignore(QStringView mot)
{
    return est(mot, u"comment") || est(mot, u"skip") || mot.startsWith(u'_') || mot.startsWith(u'#');
}

struct Bloc {
    QStringView mot;
    QString garde; // the keyword's own copy, where it has one
    int valeurs = 0;
    bool vehicule = false; // EngineData or WagonData: its first value is kept
    QString premiere;
    qsizetype debut = 0; // where its keyword starts in the text
};

// Walks the blocks of `texte`, handing each value to `valeur` with the open
// blocks (innermost last). False when the brackets or quotes do not close,
// or the text holds no block at all.
template <typename Fonction> bool parcourir(QStringView texte, Fonction valeur)
{
    Decoupeur d(texte);
    QList<Bloc> pile;
    int ignores = 0; // open blocks the game passes over
    bool blocs = false;
    std::optional<Jeton> j = d.suivant();
    while (j) {
        if (j->genre == Jeton::Genre::Ferme) {
            if (pile.isEmpty())
                return false;
            if (ignore(pile.constLast().mot))
                --ignores;
            pile.removeLast();
            j = d.suivant();
            continue;
        }
        if (j->genre == Jeton::Genre::Ouvre) {
            pile.append(Bloc{});
            blocs = true;
            j = d.suivant();
            continue;
        }
        std::optional<Jeton> apres = d.suivant();
        if (apres && apres->genre == Jeton::Genre::Ouvre) {
            const QStringView mot = j->texte();
            if (ignore(mot))
                ++ignores;
            Bloc b{j->copie ? QStringView() : mot, j->propre, 0, false, {}, j->debut};
            b.vehicule = est(mot, u"EngineData") || est(mot, u"WagonData");
            pile.append(std::move(b));
            if (j->copie)
                pile.last().mot = pile.constLast().garde;
            blocs = true;
            j = d.suivant();
            continue;
        }
        if (!pile.isEmpty() && ignores == 0) {
            Bloc &b = pile.last();
            ++b.valeurs;
            valeur(pile, j->texte());
            if (b.valeurs == 1 && b.vehicule)
                b.premiere = j->texte().toString();
        }
        j = std::move(apres);
    }
    return !d.erreur() && pile.isEmpty() && blocs;
}

bool parent(const QList<Bloc> &pile, QStringView mot)
{
    return pile.size() >= 2 && est(pile[pile.size() - 2].mot, mot);
}

bool dans(const QList<Bloc> &pile, QStringView mot)
{
    for (const Bloc &b : pile) {
        if (est(b.mot, mot))
            return true;
    }
    return false;
}

// The folder `v` of a vehicle of a loose consist, its name already kept:
// the vehicles the route check looks up and the replacement may change.
bool vehiculeLibre(const QList<Bloc> &pile, QStringView v)
{
    const Bloc &b = pile.constLast();
    return b.valeurs == 2 && b.vehicule && !b.premiere.isEmpty() && !v.isEmpty() && dans(pile, u"ActivityObjects");
}

// The extension test of the game's platform: a dot in the last component,
// not at its end.
bool sansExtension(QStringView nom)
{
    const qsizetype separateur = std::max(nom.lastIndexOf(u'/'), nom.lastIndexOf(u'\\'));
    const qsizetype point = nom.lastIndexOf(u'.');
    return point <= separateur || point == nom.size() - 1;
}

QString avecExtension(QStringView nom, QStringView extension)
{
    if (!sansExtension(nom))
        return nom.toString();
    return nom.toString() + (nom.endsWith(u'.') ? extension.sliced(1) : extension).toString();
}

QList<QStringView> lignes(QStringView texte)
{
    QList<QStringView> l;
    qsizetype debut = 0;
    for (qsizetype i = 0; i < texte.size(); ++i) {
        if (texte[i] != u'\n' && texte[i] != u'\r')
            continue;
        l.append(texte.sliced(debut, i - debut));
        if (texte[i] == u'\r' && i + 1 < texte.size() && texte[i + 1] == u'\n')
            ++i;
        debut = i + 1;
    }
    if (debut < texte.size())
        l.append(texte.sliced(debut));
    return l;
}

// The path of a #path cell: the qualifiers ("/binary", "$endatlastsignal")
// are not part of the file name.
QString cheminDeCellule(QStringView cellule)
{
    QStringView c = cellule.trimmed();
    const qsizetype barre = c.indexOf(u'/');
    if (barre >= 0)
        c = c.first(barre);
    const qsizetype dollar = c.indexOf(u'$');
    if (dollar >= 0)
        c = c.first(dollar);
    c = c.trimmed();
    return c.isEmpty() ? QString() : avecExtension(c, u".pat");
}

} // namespace

QString decoderTexte(QByteArrayView octets)
{
    if (octets.startsWith("\xEF\xBB\xBF")) {
        // The mark was taken off the file's start; one further on is text.
        QStringDecoder utf8(QStringConverter::Utf8,
                            QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
        return utf8.decode(octets.sliced(3));
    }
    const bool le = octets.startsWith("\xFF\xFE");
    if (!le && !octets.startsWith("\xFE\xFF"))
        return depuisAnsi(octets);
    // Code units as they stand (a lone surrogate reads as itself); an odd
    // last byte is no character.
    const auto *o = reinterpret_cast<const unsigned char *>(octets.data());
    QString texte((octets.size() - 2) / 2, Qt::Uninitialized);
    QChar *sortie = texte.data();
    for (qsizetype k = 2; k + 1 < octets.size(); k += 2)
        *sortie++ = QChar(char16_t(le ? (o[k] | (o[k + 1] << 8)) : ((o[k] << 8) | o[k + 1])));
    return texte;
}

ContenuActivite lireActivite(QStringView texte)
{
    ContenuActivite a;
    a.lisible = parcourir(texte, [&a](const QList<Bloc> &pile, QStringView v) {
        const Bloc &b = pile.constLast();
        if (v.isEmpty())
            return;
        if (b.valeurs == 1) {
            if (est(b.mot, u"PathID") && parent(pile, u"Tr_Activity_Header") && a.chemin.isEmpty())
                a.chemin = v.toString();
            else if (est(b.mot, u"Player_Service_Definition") && a.servicePrincipal.isEmpty())
                a.servicePrincipal = v.toString();
            else if (est(b.mot, u"Service_Definition") && parent(pile, u"Traffic_Definition"))
                a.services.append(v.toString());
        } else if (vehiculeLibre(pile, v)) {
            a.vehiculesLibres.append({b.premiere, v.toString(), est(b.mot, u"EngineData")});
        }
    });
    return a;
}

QList<qsizetype> lignesVehiculesLibres(QStringView texte)
{
    QList<qsizetype> debuts;
    const bool lisible = parcourir(texte, [&debuts](const QList<Bloc> &pile, QStringView v) {
        if (vehiculeLibre(pile, v))
            debuts.append(pile.constLast().debut);
    });
    QList<qsizetype> lignes;
    if (!lisible)
        return lignes;
    // Met in the text's order: one walk counts the line ends before each.
    qsizetype ligne = 0;
    qsizetype i = 0;
    for (const qsizetype debut : std::as_const(debuts)) {
        for (; i < debut; ++i) {
            if (texte[i] == u'\r' || texte[i] == u'\n')
                ++ligne;
        }
        if (lignes.isEmpty() || lignes.constLast() != ligne)
            lignes.append(ligne);
    }
    return lignes;
}

ContenuService lireService(QStringView texte)
{
    ContenuService s;
    s.lisible = parcourir(texte, [&s](const QList<Bloc> &pile, QStringView v) {
        const Bloc &b = pile.constLast();
        if (b.valeurs != 1 || v.isEmpty())
            return;
        if (est(b.mot, u"Train_Config") && s.consist.isEmpty())
            s.consist = v.toString();
        else if (est(b.mot, u"PathID") && s.chemin.isEmpty())
            s.chemin = v.toString();
    });
    return s;
}

QStringList consistsDeCellule(QStringView cellule)
{
    QStringList noms;
    QStringView reste = cellule.trimmed();
    while (!reste.isEmpty()) {
        if (reste.front() == u'<') {
            // Kept whole: such a name may hold "+" or "$".
            const qsizetype fin = reste.indexOf(u'>');
            noms.append((fin < 0 ? reste.sliced(1) : reste.sliced(1, fin - 1)).toString());
            reste = fin < 0 ? QStringView() : reste.sliced(fin + 1).trimmed();
        } else if (reste.front() == u'$') {
            // Open Rails knows "$reverse" alone here, and reads no further
            // after any other command.
            if (!reste.startsWith(u"$reverse"))
                break;
            reste = reste.sliced(8).trimmed();
        } else if (reste.front() == u'+') {
            reste = reste.sliced(1).trimmed();
        } else {
            qsizetype fin = 0;
            while (fin < reste.size() && reste[fin] != u'+' && reste[fin] != u'$')
                ++fin;
            noms.append(reste.first(fin).trimmed().toString());
            reste = reste.sliced(fin).trimmed();
        }
    }
    noms.removeAll(QString());
    return noms;
}

ContenuHoraire lireHoraire(QStringView texte)
{
    ContenuHoraire h;
    if (texte.isEmpty())
        return h;
    const QChar separateur = texte.front();
    if (separateur != u',' && separateur != u';' && separateur != u'\t')
        return h;
    for (const QChar c : texte) {
        if (controle(c))
            return h;
    }
    h.lisible = true;

    QList<QList<QStringView>> rangees;
    for (const QStringView l : lignes(texte))
        rangees.append(l.split(separateur));
    const auto cellule = [&rangees](qsizetype r, qsizetype c) {
        return r >= 0 && r < rangees.size() && c < rangees[r].size() ? rangees[r][c] : QStringView();
    };

    // Columns: a train under each name; an empty heading continues the
    // column before it; "#..." headings are comments or not understood.
    enum class Colonne { Autre, Train, Suite };
    const QList<QStringView> entete = rangees.value(0);
    QList<Colonne> colonnes(entete.size(), Colonne::Autre);
    for (qsizetype c = 1; c < entete.size(); ++c) {
        if (entete[c].isEmpty()) {
            if (colonnes[c - 1] != Colonne::Autre)
                colonnes[c] = Colonne::Suite;
        } else if (!entete[c].startsWith(u'#')) {
            colonnes[c] = Colonne::Train;
        }
    }

    // The last #consist and #path rows count, as Open Rails keeps the last.
    qsizetype rangConsist = -1;
    qsizetype rangChemin = -1;
    for (qsizetype r = 1; r < rangees.size(); ++r) {
        QStringView def = rangees[r].value(0);
        const qsizetype barre = def.indexOf(u'/');
        if (barre >= 0)
            def = def.first(barre);
        def = def.trimmed();
        if (def.compare(u"#consist", Qt::CaseInsensitive) == 0)
            rangConsist = r;
        else if (def.compare(u"#path", Qt::CaseInsensitive) == 0)
            rangChemin = r;
    }
    if (rangConsist < 0 || rangChemin < 0)
        return h;

    // A train's cell with its continuation columns' cells after a blank.
    // Open Rails joins them on every row but the last one.
    const auto joint = [&](qsizetype r, qsizetype c) {
        QString t = cellule(r, c).toString();
        if (r >= rangees.size() - 1)
            return t;
        for (qsizetype s = c + 1; s < colonnes.size() && colonnes[s] == Colonne::Suite; ++s) {
            if (!cellule(r, s).isEmpty())
                t += u' ' + cellule(r, s).toString();
        }
        return t;
    };
    for (qsizetype c = 1; c < colonnes.size(); ++c) {
        if (colonnes[c] != Colonne::Train)
            continue;
        TrainHoraire t;
        t.nom = entete[c].trimmed().toString();
        for (const QString &n : consistsDeCellule(joint(rangConsist, c)))
            t.consists.append(avecExtension(n, u".con"));
        t.chemin = cheminDeCellule(joint(rangChemin, c));
        h.trains.append(std::move(t));
    }
    return h;
}

} // namespace corvanel
