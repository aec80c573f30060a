#pragma once
// Where the results go, who the learner is and how the lesson fits the screen: the settings file (an
// INI file the teacher edits), the environment, and what the system knows of the account. The one
// reader of that file. The file may hold an LRS secret, so
// it is created readable by its owner only.

#include <QString>
#include <QUrl>

namespace resultats {

struct ConfigLrs {
    QUrl adresse;  // the LRS's xAPI endpoint; statements go to adresse + "statements"
    QString cle;
    QString secret;
    int delaiMaxMs = 30000;       // a request with no answer for this long has failed
    int premiereRelanceMs = 15000;  // the first retry after a failure; doubles up to ten minutes
    bool Active() const { return adresse.isValid() && !adresse.isRelative(); }
};

// The LRS's statement resource (adresse + "statements"), without credentials.
QUrl AdresseDeclarations(const ConfigLrs& config);
// The Basic authorization header: the key and secret, else those written in the address.
QByteArray Autorisation(const ConfigLrs& config);

// Who answers: an xAPI account agent.
struct Identite {
    QString compte;      // account name
    QString nomComplet;  // may be empty
    QString machine;     // host name, part of the journal's file name
    QString pageAccueil; // the account's home page: the machine or the school's domain
};

struct Reglages {
    QString dossier;  // the journal folder (the class's), empty when none can be found
    // The account's own folder: takes what the class folder cannot, until it can. Empty when the
    // account has no home.
    QString dossierPropre;
    Identite identite;
    ConfigLrs lrs;
    // [affichage] ajuster: a course whose slides are larger than the screen is drawn smaller.
    bool ajuster = false;
    // A [progression] section, as older versions read it: ignored, the course's own file holds its
    // rules now; --check says so.
    bool progressionIgnoree = false;
    // The compte= the file gives, when it names another than this computer's account while the
    // results go to a class folder: refused there (identite keeps the account), and --check says it.
    QString compteRefuse;

    // The settings file's usual place: $XDG_CONFIG_HOME/seance1/seance1.ini.
    static QString CheminParDefaut();
    // Reads the file (creating it, owner-only, with every setting commented out, when it is missing),
    // then SEANCE1_RESULTATS and the system's account. Never fails: what is missing falls back.
    // In a class folder a learner's results are theirs alone: the account is the one the computer
    // knows, whose journal file it owns; compte= only names the learner in their own folder.
    static Reglages Lire(const QString& chemin = CheminParDefaut());
};

// The folder used when neither the environment nor the settings name one.
QString DossierParDefaut();
Identite IdentiteDuSysteme();

}  // namespace resultats
