#pragma once
// Reading consists: the one reader the scan, the report and the command line
// share. A consist is text in the Windows-1252 code page, or, as the game and
// its editors save most of them, UTF-16 with a byte-order mark (UTF-8 with a
// mark is read too). CR LF, a lone LF and a lone CR each end a line.
#include <QByteArray>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <functional>

class QIODevice;

namespace corvanel {

enum class Codage { Ansi, Utf8, Utf16LE, Utf16BE };

// Called once per line read and once per block of a long line: where long
// work lets window events through.
using Battement = std::function<void()>;

// The longest line kept, in characters. A consist's lines are short; a longer
// one (a damaged or foreign file, one line of megabytes) is cut there, the
// rest of it read and dropped, so memory stays bounded whatever the file.
inline constexpr qsizetype LongueurLigneMax = 1024 * 1024;

class LecteurConsist {
public:
    // Reads from an open device, from its current position.
    explicit LecteurConsist(QIODevice &source, Battement battement = {});

    // The next line, without its end and cut to LongueurLigneMax; false when
    // no line is left. The view holds until the next call. A read failure throws ErreurExecution.
    bool lire(QStringView &ligne);
    // Number of the line last read, counting from 1.
    std::int64_t numeroLigne() const { return m_numero; }
    Codage codage() const { return m_codage; }

private:
    bool remplir();
    void decoder(QByteArrayView vue);

    QIODevice &m_source;
    Battement m_battement;
    Codage m_codage = Codage::Ansi;
    bool m_codageConnu = false;
    QByteArray m_reste;  // the start of a character the last read cut in two
    QByteArray m_octets; // the bytes of one read
    QString m_tampon;
    qsizetype m_pos = 0;
    bool m_finSource = false;
    bool m_crEnAttente = false; // the last line ended on CR: skip an LF that follows
    std::int64_t m_numero = 0;
};

// Whole-text helpers (tests, small files).
QString decoderConsist(QByteArrayView octets);

// A vehicle line taken apart by the game's rules. The names are views into
// the line: they hold as long as the line does.
struct LigneVehicule {
    bool vehicule = false; // holds "EngineData" or "WagonData" (case-sensitive)
    bool saine = false;    // could be taken apart
    QStringView nom;       // vehicle file name, without extension
    QStringView dossier;   // vehicle folder under the trainset folder
    QStringView extension; // ".eng" (EngineData, also when both appear) or ".wag"
};

LigneVehicule analyserLigne(QStringView ligne);

// A consist name ends in ".con" in any letter case (".CON", ".Con"...):
// the one rule every command follows.
bool estNomConsist(QStringView nom);

} // namespace corvanel
