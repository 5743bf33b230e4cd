#pragma once
// Run-time failures, numbered as Corvanel's messages have always numbered
// them ("Erreur n° 70"), so users and the FAQ keep speaking of the same codes,
// and the fatal-error report by which a command answers one.
#include <QFileDevice>
#include <QString>

#include <exception>

namespace corvanel {

// Classic run-time error numbers.
namespace NumErreur {
inline constexpr int AppelIncorrect = 5;
inline constexpr int Depassement = 6;
inline constexpr int IncompatibiliteType = 13;
inline constexpr int NomFichierIncorrect = 52;
inline constexpr int ErreurES = 57;
inline constexpr int FichierExiste = 58;
inline constexpr int DisquePlein = 61;
inline constexpr int FichierIntrouvable = 53;
inline constexpr int PermissionRefusee = 70;
inline constexpr int AccesChemin = 75;
inline constexpr int CheminIntrouvable = 76;
} // namespace NumErreur

// A failure of a statement, as a command's error handler receives it.
class ErreurExecution : public std::exception {
public:
    ErreurExecution(int numero, QString description);
    // The number's usual French description.
    explicit ErreurExecution(int numero);

    // From a C errno value; cheminAbsent picks 76 over 53 for ENOENT when the
    // folder that should hold the file is missing.
    static ErreurExecution depuisErrno(int err, bool cheminAbsent = false);
    static ErreurExecution depuisFichier(const QFileDevice &f);

    int numero() const { return m_numero; }
    const QString &description() const { return m_description; }
    const char *what() const noexcept override;

    static QString descriptionFrancaise(int numero);

private:
    int m_numero;
    QString m_description;
    QByteArray m_what;
};

// The first word and final full stop of the report differ by procedure.
enum class VarianteRapport {
    ErreurNo,          // "Erreur n° ", full stop: text lookup, scan, delete, move
    ErreurNoSansPoint, // "Erreur n° ", no full stop: editor, report refresh
    ErreurNoColle,     // "Erreur n°", no blank, no full stop: start-up
};

// The report's text; app/Interaction.h shows it (rapportFatal).
QString texteRapportFatal(VarianteRapport v, const ErreurExecution &e);

} // namespace corvanel
