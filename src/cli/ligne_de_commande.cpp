#include "cli/ligne_de_commande.h"

#include "class_reports/bilan.h"
#include "class_reports/dossier_classe.h"
#include "class_reports/rapport.h"
#include "cli/verification.h"
#include "content/export_questions.h"
#include "platform/controls.h"
#include "storyboard/storyboard.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QSet>
#include <QStyleFactory>
#include <cstdio>

namespace cli {

namespace {

int Rapport(const Demande& d) { return resultats::CommandeRapport(d.dossier, d.fichier, d.csv, d.tout, d.lrs); }

int Resultats(const Demande& d) { return resultats::CommandeResultats(d.dossier, d.csv, d.lrs, d.seance); }
int Deroule(const Demande& d) {
    return storyboard::Main({QStringLiteral("seance1"), QStringLiteral("--storyboard"), d.fichier}, d.seance);
}
int Preparer(const Demande& d) { return resultats::CommandePreparerDossierClasse(d.dossier, d.groupe); }
int Verifier(const Demande&) { return CommandeVerifier(); }
int ExporterQuestions(const Demande& d) { return content::CommandeExportQuestions(d.fichier, d.seance); }

// Settings the storyboard needs before the application object exists.
void AvantDeroule() {
    char nom[] = "seance1";
    char option[] = "--storyboard";
    char* arguments[] = {nom, option, nullptr};
    storyboard::Requested(2, arguments);
}

struct Entree {
    Commande commande;
    void (*avant)();
    const char* valeur;  // the name of the option's value, when it takes one
};

const std::vector<Entree>& Table() {
    static const std::vector<Entree> table{
        {{"results", "[DOSSIER] [--csv] [--lrs]", "Résultats de la classe, une ligne par séance.",
          "Lit les journaux du dossier des résultats (ou, avec --lrs, le LRS des réglages) et écrit une ligne par "
          "séance : date, apprenant, compte, note sur 20, temps passé, questions répondues, terminée ou non.",
          false, Resultats},
         nullptr, nullptr},
        {{"class-report", "[DOSSIER | --lrs] FICHIER.pdf | --csv [--all]", "Rapport de la classe, en PDF ou en CSV.",
          "Écrit le rapport de la classe dans FICHIER.pdf, ou en CSV sur la sortie standard ; --all y met "
          "toutes les séances.",
          true, Rapport},
         nullptr, nullptr},
        {{"storyboard", "FICHIER.pdf", "Toute la leçon sur papier, depuis le cours du dossier courant.",
          "Déroule la leçon sans écran et écrit chacune de ses étapes dans FICHIER.pdf, pour l'enseignant ou "
          "l'auteur du cours.",
          true, Deroule},
         AvantDeroule, "FICHIER.pdf"},
        {{"prepare-class-folder", "DOSSIER [--group GROUPE]",
          "Prépare le dossier des résultats : chacun y dépose son fichier, seul l'enseignant lit tout.",
          "À lancer une fois par l'enseignant. Crée DOSSIER au besoin et le rend boîte de dépôt (mode 3733) : il "
          "appartient à l'enseignant et à son groupe (ou à GROUPE), chaque apprenant peut y créer son fichier mais "
          "ne peut ni lister le dossier, ni lire, modifier ou supprimer le fichier d'un autre. GROUPE ne doit "
          "compter aucun apprenant.",
          false, Preparer},
         nullptr, "DOSSIER"},
        {{"export-questions", "FICHIER.gift", "Les questions de la leçon en GIFT, pour Moodle.",
          "Écrit les vingt questions que la leçon pose (Seance1/questions.gift du dossier courant, sinon les "
          "questions d'origine) dans FICHIER.gift, au format GIFT que Moodle importe tel quel.",
          false, ExporterQuestions},
         nullptr, "FICHIER.gift"},
        {{"check", "", "Vérifie ce poste et ce compte avant la classe : cours, résultats, LRS, son.",
          "Dit ce qui va et ce qui ne va pas : le cours du dossier courant, le dossier des résultats et le droit "
          "d'y écrire, le LRS et ses identifiants s'il est configuré, la sortie son (un simple avertissement : "
          "la leçon se déroule sans son). Code de retour 0 seulement si tout va.",
          true, Verifier},
         nullptr, nullptr},
    };
    return table;
}

struct Modificateur {
    const char* option;
    const char* valeur;
    const char* resume;
    QStringList commandes;  // the commands it goes with
};

const std::vector<Modificateur>& Modificateurs() {
    static const std::vector<Modificateur> liste{
        {"csv", nullptr, "en CSV pour un tableur (UTF-8, « ; » entre les champs)", {"results", "class-report"}},
        {"lrs", nullptr, "lit les résultats dans le LRS des réglages plutôt que dans le dossier", {"results", "class-report"}},
        {"all", nullptr, "toutes les séances", {"class-report"}},
        {"group", "GROUPE", "le groupe du dossier (par défaut celui de l'enseignant)", {"prepare-class-folder"}},
        // The empty command is the lesson itself.
        {"seance", "N", "la séance N du cours (SeanceN/, par défaut 1)", {"storyboard", "export-questions", "results", ""}},
    };
    return liste;
}

// The commands a modifier goes with, as the help says them: "--storyboard ou la leçon".
QString Avec(const Modificateur& m, const QString& entre) {
    QStringList noms;
    for (const QString& c : m.commandes) noms << (c.isEmpty() ? QStringLiteral("la leçon") : QStringLiteral("--") + c);
    return noms.join(entre);
}

// Options QGuiApplication reads itself, with one or two dashes; they are the lesson's business.
QStringList SansOptionsDuToolkit(const QStringList& arguments) {
    static const QSet<QString> avecValeur{"platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
                                          "qwindowicon", "qwindowtitle", "session", "display", "geometry", "style",
                                          "stylesheet", "qmljsdebugger"};
    static const QSet<QString> seules{"reverse", "nograb", "dograb", "sync", "widgetcount", "testability"};
    QStringList restent = arguments.mid(0, 1);
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a == QLatin1String("--")) {
            restent << arguments.mid(i);
            break;
        }
        if (!a.startsWith(QLatin1Char('-'))) {
            restent << a;
            continue;
        }
        const QString nom = a.mid(a.startsWith(QLatin1String("--")) ? 2 : 1);
        const qsizetype egal = nom.indexOf(QLatin1Char('='));
        const QString base = egal < 0 ? nom : nom.left(egal);
        if (avecValeur.contains(base)) {
            if (egal < 0) ++i;
        } else if (!seules.contains(base)) {
            restent << a;
        }
    }
    return restent;
}

QString Refus(const QString& raison) { return QStringLiteral("seance1 : %1 (seance1 --help pour l'aide).").arg(raison); }

QString Tirets(const QString& nom) { return (nom.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + nom; }

bool EstPdf(const QString& s) { return s.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive); }

QString Version() {
    return QStringLiteral("%1.%2.%3").arg(SEANCE_VERSION_MAJOR).arg(SEANCE_VERSION_MINOR).arg(SEANCE_VERSION_PATCH);
}

void Ecrire(FILE* f, const QString& texte) {
    const QByteArray octets = texte.toUtf8();
    std::fwrite(octets.constData(), 1, static_cast<size_t>(octets.size()), f);
    std::fflush(f);
}

}  // namespace

const std::vector<Commande>& Commandes() {
    static const std::vector<Commande> liste = [] {
        std::vector<Commande> l;
        for (const Entree& e : Table()) l.push_back(e.commande);
        return l;
    }();
    return liste;
}

QStringList Arguments(int argc, char** argv) {
    QStringList l;
    for (int i = 0; i < argc; ++i) l << QString::fromLocal8Bit(argv[i]);
    return l;
}

Analyse Analyser(const QStringList& arguments) {
    const QStringList args = SansOptionsDuToolkit(arguments);
    QCommandLineParser p;
    p.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    QList<QCommandLineOption> options{QCommandLineOption(QStringList{"h", "help", "?"}), QCommandLineOption(QStringList{"v", "version"})};
    QCommandLineOption man(QStringLiteral("help-man"));
    man.setFlags(QCommandLineOption::HiddenFromHelp);
    options << man;
    for (const Entree& e : Table()) {
        QCommandLineOption o(QString::fromLatin1(e.commande.option));
        if (e.valeur) o.setValueName(QString::fromUtf8(e.valeur));
        options << o;
    }
    for (const Modificateur& m : Modificateurs()) {
        QCommandLineOption o(QString::fromLatin1(m.option));
        if (m.valeur) o.setValueName(QString::fromUtf8(m.valeur));
        options << o;
    }
    p.addOptions(options);

    Analyse a;
    const auto refuser = [&a](const QString& raison) {
        a.issue = Issue::Erreur;
        a.erreur = Refus(raison);
        return a;
    };
    const auto prendValeur = [&](const QCommandLineOption& o) { return !o.valueName().isEmpty(); };

    if (!p.parse(args)) {
        if (!p.unknownOptionNames().isEmpty()) {
            const QString nom = p.unknownOptionNames().first();
            QString tel = Tirets(nom);
            for (const QString& s : args.mid(1))
                if (s.startsWith(QLatin1Char('-')) && s.mid(s.startsWith(QLatin1String("--")) ? 2 : 1).section(QLatin1Char('='), 0, 0) == nom) {
                    tel = s;
                    break;
                }
            return refuser(QStringLiteral("option inconnue « %1 »").arg(tel));
        }
        // Otherwise an option that takes a value came last.
        for (const QCommandLineOption& o : options)
            if (prendValeur(o) && args.size() > 1 && args.last() == Tirets(o.names().first()))
                return refuser(QStringLiteral("il manque %1 après %2").arg(o.valueName(), args.last()));
        return refuser(p.errorText());
    }
    for (const QCommandLineOption& o : options)
        if (prendValeur(o) && p.isSet(o) && p.value(o).startsWith(QLatin1Char('-')))
            return refuser(QStringLiteral("il manque %1 après --%2").arg(o.valueName(), o.names().first()));

    if (p.isSet(QStringLiteral("help"))) {
        a.issue = Issue::Aide;
        return a;
    }
    if (p.isSet(QStringLiteral("version"))) {
        a.issue = Issue::Version;
        return a;
    }
    if (p.isSet(man)) {
        a.issue = Issue::PageDeManuel;
        return a;
    }

    QStringList demandees;
    for (const Entree& e : Table())
        if (p.isSet(QString::fromLatin1(e.commande.option))) demandees << QString::fromLatin1(e.commande.option);
    if (demandees.size() > 1)
        return refuser(QStringLiteral("une seule commande à la fois, pas --%1 et --%2").arg(demandees[0], demandees[1]));
    const QString commande = demandees.value(0);
    for (const Modificateur& m : Modificateurs()) {
        const QString nom = QString::fromLatin1(m.option);
        if (p.isSet(nom) && !m.commandes.contains(commande))
            return refuser(QStringLiteral("--%1 ne va qu'avec %2").arg(nom, Avec(m, QStringLiteral(" ou "))));
    }
    if (p.isSet(QStringLiteral("seance"))) {
        bool nombre = false;
        a.demande.seance = p.value(QStringLiteral("seance")).toInt(&nombre);
        if (!nombre || a.demande.seance < 1 || a.demande.seance > 99)
            return refuser(QStringLiteral("--seance attend un numéro de séance de 1 à 99, pas « %1 »").arg(p.value(QStringLiteral("seance"))));
    }
    const QStringList positionnels = p.positionalArguments();
    if (commande.isEmpty()) {
        if (!positionnels.isEmpty())
            return refuser(QStringLiteral("argument inattendu « %1 » : la leçon se lance sans argument").arg(positionnels[0]));
        return a;  // the lesson
    }

    Demande& d = a.demande;
    d.commande = commande;
    d.csv = p.isSet(QStringLiteral("csv"));
    d.lrs = p.isSet(QStringLiteral("lrs"));
    d.tout = p.isSet(QStringLiteral("all"));
    d.groupe = p.value(QStringLiteral("group"));
    qsizetype permis = 0;
    if (commande == QLatin1String("results")) {
        permis = 1;
        d.dossier = positionnels.value(0);
    } else if (commande == QLatin1String("class-report")) {
        if (d.csv) {
            permis = 1;
            if (EstPdf(positionnels.value(0)))
                return refuser(QStringLiteral("--class-report écrit FICHIER.pdf ou, avec --csv, sur la sortie standard : pas les deux"));
            d.dossier = positionnels.value(0);
        } else {
            if (positionnels.isEmpty() || !EstPdf(positionnels.last()))
                return refuser(QStringLiteral("il manque FICHIER.pdf (ou --csv) après --class-report"));
            permis = 2;
            d.fichier = positionnels.last();
            if (positionnels.size() == 2) d.dossier = positionnels[0];
        }
    } else if (commande == QLatin1String("storyboard") || commande == QLatin1String("export-questions")) {
        d.fichier = p.value(commande);
    } else if (commande == QLatin1String("prepare-class-folder")) {
        d.dossier = p.value(commande);
    }
    if (positionnels.size() > permis)
        return refuser(QStringLiteral("argument en trop « %1 » pour --%2").arg(positionnels[permis], commande));
    a.issue = Issue::Commande;
    return a;
}

QString TexteAide() {
    const auto syntaxe = [](const Commande& c) {
        return QStringLiteral("--%1 %2").arg(QString::fromLatin1(c.option), QString::fromUtf8(c.syntaxe)).trimmed();
    };
    qsizetype largeur = 0;
    for (const Commande& c : Commandes()) largeur = std::max(largeur, syntaxe(c).size());
    QString t = QStringLiteral(
                    "Séance 1 %1 — leçon interactive d'électricité.\n\n"
                    "Usage : seance1 [COMMANDE]\n"
                    "Sans commande, la leçon commence, sur le cours du dossier courant.\n\n"
                    "Commandes :\n")
                    .arg(Version());
    for (const Commande& c : Commandes())
        t += QStringLiteral("  %1  %2\n").arg(syntaxe(c).leftJustified(largeur), QString::fromUtf8(c.resume));
    t += QStringLiteral("\nOptions :\n");
    const auto ligne = [&](const QString& gauche, const QString& texte) {
        t += QStringLiteral("  %1  %2\n").arg(gauche.leftJustified(largeur), texte);
    };
    for (const Modificateur& m : Modificateurs())
        ligne(QStringLiteral("--%1 %2").arg(QString::fromLatin1(m.option), m.valeur ? QString::fromUtf8(m.valeur) : QString()).trimmed(),
              QString::fromUtf8(m.resume));
    ligne(QStringLiteral("-h, --help"), QStringLiteral("affiche cette aide"));
    ligne(QStringLiteral("-v, --version"), QStringLiteral("affiche la version"));
    t += QStringLiteral(
        "\nDOSSIER : le dossier des résultats de la classe ; par défaut celui de la variable SEANCE1_RESULTATS,\n"
        "sinon celui des réglages (~/.config/seance1/seance1.ini).\n"
        "Code de retour : 0 si tout va, 1 si la commande échoue, 2 si la ligne de commande est fautive.\n");
    return t;
}

QString TexteVersion() { return QStringLiteral("seance1 %1\n").arg(Version()); }

QString PageDeManuel() {
    const auto roff = [](QString s) {
        s.replace(QLatin1Char('\\'), QStringLiteral("\\e")).replace(QLatin1Char('-'), QStringLiteral("\\-"));
        if (s.startsWith(QLatin1Char('.')) || s.startsWith(QLatin1Char('\''))) s.prepend(QStringLiteral("\\&"));
        return s;
    };
    QString t = QStringLiteral(
                    ".TH SEANCE1 1 \"\" \"Séance 1 %1\" \"Commandes utilisateur\"\n"
                    ".SH NOM\nseance1 \\- leçon interactive d'électricité\n"
                    ".SH SYNOPSIS\n.B seance1\n")
                    .arg(Version());
    for (const Commande& c : Commandes())
        t += QStringLiteral(".br\n.B seance1 \\-\\-%1\n%2").arg(roff(QString::fromLatin1(c.option)), *c.syntaxe ? roff(QString::fromUtf8(c.syntaxe)) + QLatin1Char('\n') : QString());
    t += QStringLiteral(".br\n.B seance1 \\-\\-help\n.br\n.B seance1 \\-\\-version\n");
    t += QStringLiteral(
        ".SH DESCRIPTION\n"
        "Sans commande, la leçon commence en plein écran, sur le cours du dossier courant : les diapositives et "
        "photographies de Seance1/, les sons Bravo.wav et SonMCM.wav. Chaque réponse à l'évaluation est écrite "
        "dans le journal du dossier des résultats et, si un LRS est configuré, lui est envoyée.\n"
        ".PP\nLes commandes ci\\-dessous n'ont besoin d'aucun écran.\n"
        ".SH COMMANDES\n");
    for (const Commande& c : Commandes())
        t += QStringLiteral(".TP\n.B \\-\\-%1 %2\n%3\n%4\n")
                 .arg(roff(QString::fromLatin1(c.option)), roff(QString::fromUtf8(c.syntaxe)), roff(QString::fromUtf8(c.resume)),
                      roff(QString::fromUtf8(c.detail)));
    t += QStringLiteral(".SH OPTIONS\n");
    for (const Modificateur& m : Modificateurs())
        t += QStringLiteral(".TP\n.B \\-\\-%1 %2\n%3 ; avec %4.\n")
                 .arg(roff(QString::fromLatin1(m.option)), m.valeur ? roff(QString::fromUtf8(m.valeur)) : QString(),
                      roff(QString::fromUtf8(m.resume)), roff(Avec(m, QStringLiteral(", "))));
    t += QStringLiteral(
        ".TP\n.B \\-h, \\-\\-help\nAffiche l'aide.\n"
        ".TP\n.B \\-v, \\-\\-version\nAffiche la version.\n"
        ".SH FICHIERS\n"
        ".TP\n.I ~/.config/seance1/seance1.ini\n"
        "Les réglages : le dossier des résultats, l'identité de l'apprenant, l'adresse et les identifiants du LRS. "
        "Créé au premier lancement, tout en commentaires, lisible par son seul propriétaire. "
        "Avec \\fB[affichage]\\fP \\fBajuster=oui\\fP, une leçon dont les diapositives dépassent l'écran est "
        "dessinée plus petite, tout entière à la même échelle, pour qu'elles s'y voient en entier.\n"
        ".SH ENVIRONNEMENT\n"
        ".TP\n.B SEANCE1_RESULTATS\nLe dossier des résultats ; l'emporte sur les réglages.\n"
        ".SH \"CODE DE RETOUR\"\n"
        "0 si tout va, 1 si la commande échoue, 2 si la ligne de commande est fautive.\n");
    return t;
}

void PreparerApplication() {
    QApplication::setApplicationName(QStringLiteral("Séance 1"));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setFont(platform::UiFont(9.75));
}

int Executer(const Analyse& analyse, int argc, char** argv) {
    switch (analyse.issue) {
    case Issue::Aide: Ecrire(stdout, TexteAide()); return 0;
    case Issue::Version: Ecrire(stdout, TexteVersion()); return 0;
    case Issue::PageDeManuel: Ecrire(stdout, PageDeManuel()); return 0;
    case Issue::Erreur: Ecrire(stderr, analyse.erreur + QLatin1Char('\n')); return 2;
    case Issue::Lecon:
    case Issue::Commande: break;
    }
    for (const Entree& e : Table()) {
        if (analyse.demande.commande != QLatin1String(e.commande.option)) continue;
        if (e.avant) e.avant();
        if (!e.commande.graphique) {
            QCoreApplication app(argc, argv);
            return e.commande.executer(analyse.demande);
        }
        // Nothing is shown, whatever the session's platform: pictures are decoded or painted onto paper.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QApplication app(argc, argv);
        PreparerApplication();
        return e.commande.executer(analyse.demande);
    }
    return 2;
}

}  // namespace cli
