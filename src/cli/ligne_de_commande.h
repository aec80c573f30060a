#pragma once
// The program's command line. Each command declares, in its own file, its option and the options it
// goes with; the parser, the French help and the manual page are built from what they declare. Read
// without any application object, so that no command needs a display; the lesson starts only when
// no command is given.

#include "cli/output.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace cli {

// What the command line asks for, once read.
struct Demande {
    QString commande;  // the command's option without its dashes ("results", "check"...); empty: the lesson
    QString dossier;   // the folder named on the command line, empty for the settings' one
    QString fichier;   // the file to write (storyboard, class report)
    QString groupe;    // --group
    QString source;    // --from: the presentation a new séance is made from
    bool csv = false;
    bool lrs = false;
    bool tout = false;  // --all
    int seance = 1;     // --seance N: the séance of the course played, drawn or exported
    bool seanceDonnee = false;  // --seance given: the lesson plays that séance, not the course's menu;
                                // --results keeps that séance only
};

enum class Issue {
    Lecon,    // no command: the lesson starts
    Commande, // run demande.commande
    Aide,
    Version,
    PageDeManuel,  // the manual page in roff, for the build
    Erreur,        // refused: erreur says why; exit status 2
};

struct Analyse {
    Issue issue = Issue::Lecon;
    Demande demande;
    QString erreur;  // written on the standard error, without its last newline
};

// Deviation: the lesson took no arguments at all and ignored any it was given; now the teacher's
// commands are read here, and anything else (a typo included) is refused rather than starting the
// lesson, so that a mistaken command never opens a full-screen lesson on a server.
// Reads the arguments (the program's name first). The toolkit's own options (-platform, -style…)
// are left for the lesson's application object.
Analyse Analyser(const QStringList& arguments);
QStringList Arguments(int argc, char** argv);

// Takes an option's value (empty for an option that takes none) into the request. Returns what is
// wrong with it, as said after the option's name ("attend …"), or nothing.
using Lecteur = QString (*)(const QString& valeur, Demande& d);

// An option that goes with one command or more: --nom [VALEUR].
struct Option {
    const char* nom;     // without its dashes
    const char* valeur;  // the value's name, as the help shows it; null when it takes none
    const char* aide;    // its line of help
    Lecteur lire;
};

// A refusal of the command line: a reason, written as "seance1 : <raison> (seance1 --help pour l'aide).",
// or a text written as it is.
struct Refus {
    QString raison;
    QString texte;
    bool Vide() const { return raison.isEmpty() && texte.isEmpty(); }
};

struct Commande {
    const char* option;    // without its dashes
    const char* syntaxe;   // what follows the option, as the help shows it
    const char* resume;    // one line of help
    const char* detail;    // more for the manual page
    bool graphique;        // needs a (display-less) QApplication rather than a QCoreApplication
    Output (*executer)(const Demande&);
    const char* valeur = nullptr;  // the name of the option's own value, when it takes one
    Lecteur lireValeur = nullptr;  // takes that value into the request
    std::vector<const Option*> options = {};  // the options it goes with
    Refus (*positionnels)(const QStringList&, Demande&) = nullptr;  // reads its positional arguments; null: none
    void (*avant)() = nullptr;  // what must be set before the application object exists
};
// In the order the help lists them.
const std::vector<Commande>& Commandes();

QString TexteAide();
QString TexteVersion();
QString PageDeManuel();

// Runs what the analysis asks for, other than the lesson; returns the exit status.
int Executer(const Analyse& analyse, int argc, char** argv);

// The look shared by the lesson and the storyboard: name, style and font.
void PreparerApplication();

}  // namespace cli
