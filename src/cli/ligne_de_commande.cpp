#include "cli/ligne_de_commande.h"

#include "cli/commands.h"
#include "platform/controls.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QSet>
#include <QStyleFactory>
#include <algorithm>
#include <cerrno>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace cli {

const std::vector<Commande>& Commandes() {
    static const std::vector<Commande> liste{kResults,         kClassReport, kStoryboard, kPrepareClassFolder,
                                             kExportQuestions, kNewSeance,   kCheck};
    return liste;
}

namespace {

// The options the lesson itself goes with.
const std::vector<const Option*> kOptionsDeLaLecon{&kSeance};

// The order the help and the manual page list the options in, and the one in which an option names
// the commands it goes with ("" the lesson), there and in a refusal. One missing here comes last.
const QStringList kOrdreDesOptions{"csv", "lrs", "all", "from", "group", "seance"};
const QStringList kOrdreDesCommandes{"storyboard", "export-questions", "results", "class-report", "prepare-class-folder",
                                     "new-seance",  "check",            ""};

qsizetype Rang(const QStringList& ordre, const QString& nom) {
    const qsizetype i = ordre.indexOf(nom);
    return i < 0 ? ordre.size() : i;
}

bool VaAvec(const std::vector<const Option*>& options, const Option& o) {
    return std::any_of(options.begin(), options.end(), [&](const Option* p) { return qstrcmp(p->nom, o.nom) == 0; });
}

// Every option the commands and the lesson go with, once each, in the help's order.
const std::vector<const Option*>& Options() {
    static const std::vector<const Option*> toutes = [] {
        std::vector<const Option*> l;
        const auto ajouter = [&l](const std::vector<const Option*>& options) {
            for (const Option* o : options)
                if (!VaAvec(l, *o)) l.push_back(o);
        };
        for (const Commande& c : Commandes()) ajouter(c.options);
        ajouter(kOptionsDeLaLecon);
        std::stable_sort(l.begin(), l.end(), [](const Option* a, const Option* b) {
            return Rang(kOrdreDesOptions, QString::fromLatin1(a->nom)) < Rang(kOrdreDesOptions, QString::fromLatin1(b->nom));
        });
        return l;
    }();
    return toutes;
}

// The commands option o goes with, as the help says them: "--storyboard ou la leçon".
QString Avec(const Option& o, const QString& entre) {
    QStringList commandes;
    for (const Commande& c : Commandes())
        if (VaAvec(c.options, o)) commandes << QString::fromLatin1(c.option);
    if (VaAvec(kOptionsDeLaLecon, o)) commandes << QString();
    std::stable_sort(commandes.begin(), commandes.end(), [](const QString& a, const QString& b) {
        return Rang(kOrdreDesCommandes, a) < Rang(kOrdreDesCommandes, b);
    });
    QStringList noms;
    for (const QString& c : commandes) noms << (c.isEmpty() ? QStringLiteral("la leçon") : QStringLiteral("--") + c);
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

QString TexteRefus(const QString& raison) { return QStringLiteral("seance1 : %1 (seance1 --help pour l'aide).").arg(raison); }

QString Tirets(const QString& nom) { return (nom.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + nom; }

QString Version() {
    return QStringLiteral("%1.%2.%3").arg(SEANCE_VERSION_MAJOR).arg(SEANCE_VERSION_MINOR).arg(SEANCE_VERSION_PATCH);
}

QCommandLineOption OptionDuParseur(const char* nom, const char* valeur) {
    QCommandLineOption o(QString::fromLatin1(nom));
    if (valeur) o.setValueName(QString::fromUtf8(valeur));
    return o;
}

// The parser's options: help, version, the manual page, the commands and the options they go with.
QList<QCommandLineOption> OptionsDuParseur() {
    QList<QCommandLineOption> options{QCommandLineOption(QStringList{"h", "help", "?"}), QCommandLineOption(QStringList{"v", "version"})};
    QCommandLineOption man(QStringLiteral("help-man"));
    man.setFlags(QCommandLineOption::HiddenFromHelp);
    options << man;
    for (const Commande& c : Commandes()) options << OptionDuParseur(c.option, c.valeur);
    for (const Option* o : Options()) options << OptionDuParseur(o->nom, o->valeur);
    return options;
}

bool PrendValeur(const QCommandLineOption& o) { return !o.valueName().isEmpty(); }

// Why the parser refused args: an unknown option (as it was written), or a value missing at the end.
QString RaisonDuRefus(const QCommandLineParser& p, const QList<QCommandLineOption>& options, const QStringList& args) {
    if (!p.unknownOptionNames().isEmpty()) {
        const QString nom = p.unknownOptionNames().first();
        QString tel = Tirets(nom);
        for (const QString& s : args.mid(1))
            if (s.startsWith(QLatin1Char('-')) && s.mid(s.startsWith(QLatin1String("--")) ? 2 : 1).section(QLatin1Char('='), 0, 0) == nom) {
                tel = s;
                break;
            }
        return QStringLiteral("option inconnue « %1 »").arg(tel);
    }
    // Otherwise an option that takes a value came last.
    for (const QCommandLineOption& o : options)
        if (PrendValeur(o) && args.size() > 1 && args.last() == Tirets(o.names().first()))
            return QStringLiteral("il manque %1 après %2").arg(o.valueName(), args.last());
    return p.errorText();
}

// An option that takes a value given another option instead ("--storyboard --csv").
QString ValeurManquante(const QCommandLineParser& p, const QList<QCommandLineOption>& options) {
    for (const QCommandLineOption& o : options)
        if (PrendValeur(o) && p.isSet(o) && p.value(o).startsWith(QLatin1Char('-')))
            return QStringLiteral("il manque %1 après --%2").arg(o.valueName(), o.names().first());
    return {};
}

// The command asked for (at most one), each option given going with it: the command, or null for
// the lesson.
const Commande* CommandeDemandee(const QCommandLineParser& p, QString& refus) {
    const Commande* demandee = nullptr;
    for (const Commande& c : Commandes()) {
        if (!p.isSet(QString::fromLatin1(c.option))) continue;
        if (demandee) {
            refus = QStringLiteral("une seule commande à la fois, pas --%1 et --%2").arg(QLatin1String(demandee->option), QLatin1String(c.option));
            return nullptr;
        }
        demandee = &c;
    }
    const std::vector<const Option*>& permises = demandee ? demandee->options : kOptionsDeLaLecon;
    for (const Option* o : Options()) {
        if (p.isSet(QString::fromLatin1(o->nom)) && !VaAvec(permises, *o)) {
            refus = QStringLiteral("--%1 ne va qu'avec %2").arg(QLatin1String(o->nom), Avec(*o, QStringLiteral(" ou ")));
            return nullptr;
        }
    }
    return demandee;
}

// The options given, read into d: the first refusal, if any.
QString LireOptions(const QCommandLineParser& p, Demande& d) {
    for (const Option* o : Options()) {
        const QString nom = QString::fromLatin1(o->nom);
        if (!p.isSet(nom)) continue;
        // A flag has no value to ask for: Qt 6.8's parser warns on stderr when asked.
        const QString valeur = o->valeur ? p.value(nom) : QString();
        if (const QString faute = o->lire(valeur, d); !faute.isEmpty()) return QStringLiteral("--%1 %2").arg(nom, faute);
    }
    return {};
}

// The request for command c: its option's value and its positional arguments.
Refus LireDemande(const QCommandLineParser& p, const Commande& c, Demande& d) {
    d.commande = QString::fromLatin1(c.option);
    if (c.lireValeur)
        if (const QString faute = c.lireValeur(p.value(d.commande), d); !faute.isEmpty())
            return {QStringLiteral("--%1 %2").arg(d.commande, faute), {}};
    return c.positionnels ? c.positionnels(p.positionalArguments(), d) : AucunPositionnel(p.positionalArguments(), d);
}

}  // namespace

QStringList Arguments(int argc, char** argv) {
    QStringList l;
    for (int i = 0; i < argc; ++i) l << QString::fromLocal8Bit(argv[i]);
    return l;
}

Analyse Analyser(const QStringList& arguments) {
    Analyse a;
    const auto refuser = [&a](const Refus& r) {
        a.issue = Issue::Erreur;
        a.erreur = r.texte.isEmpty() ? TexteRefus(r.raison) : r.texte;
        return a;
    };
    const QStringList args = SansOptionsDuToolkit(arguments);
    const QList<QCommandLineOption> options = OptionsDuParseur();
    QCommandLineParser p;
    p.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    p.addOptions(options);
    if (!p.parse(args)) return refuser({RaisonDuRefus(p, options, args), {}});
    if (const QString raison = ValeurManquante(p, options); !raison.isEmpty()) return refuser({raison, {}});

    if (p.isSet(QStringLiteral("help"))) {
        a.issue = Issue::Aide;
        return a;
    }
    if (p.isSet(QStringLiteral("version"))) {
        a.issue = Issue::Version;
        return a;
    }
    if (p.isSet(QStringLiteral("help-man"))) {
        a.issue = Issue::PageDeManuel;
        return a;
    }

    QString raison;
    const Commande* c = CommandeDemandee(p, raison);
    if (!raison.isEmpty()) return refuser({raison, {}});
    if (const QString faute = LireOptions(p, a.demande); !faute.isEmpty()) return refuser({faute, {}});
    if (!c) {
        if (!p.positionalArguments().isEmpty())
            return refuser({QStringLiteral("argument inattendu « %1 » : la leçon se lance sans argument").arg(p.positionalArguments()[0]), {}});
        return a;  // the lesson
    }
    if (const Refus r = LireDemande(p, *c, a.demande); !r.Vide()) return refuser(r);
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
    for (const Option* o : Options())
        ligne(QStringLiteral("--%1 %2").arg(QString::fromLatin1(o->nom), o->valeur ? QString::fromUtf8(o->valeur) : QString()).trimmed(),
              QString::fromUtf8(o->aide));
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
        "photographies de Seance1/ (de SeanceN/ avec \\-\\-seance N), les sons Bravo.wav et SonMCM.wav. Chaque réponse à l'évaluation est écrite "
        "dans le journal du dossier des résultats et, si un LRS est configuré, lui est envoyée.\n"
        ".PP\nLes commandes ci\\-dessous n'ont besoin d'aucun écran.\n"
        ".SH COMMANDES\n");
    for (const Commande& c : Commandes())
        t += QStringLiteral(".TP\n.B \\-\\-%1 %2\n%3\n%4\n")
                 .arg(roff(QString::fromLatin1(c.option)), roff(QString::fromUtf8(c.syntaxe)), roff(QString::fromUtf8(c.resume)),
                      roff(QString::fromUtf8(c.detail)));
    t += QStringLiteral(".SH OPTIONS\n");
    for (const Option* o : Options())
        t += QStringLiteral(".TP\n.B \\-\\-%1 %2\n%3 ; avec %4.\n")
                 .arg(roff(QString::fromLatin1(o->nom)), o->valeur ? roff(QString::fromUtf8(o->valeur)) : QString(),
                      roff(QString::fromUtf8(o->aide)), roff(Avec(*o, QStringLiteral(", "))));
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

namespace {

// A teacher's terminal (ssh, su, cron) often has no session runtime folder, which a graphical
// application asks for: Qt would warn on the terminal and fall back to its own folder. The same
// folder, made as Qt makes it and named up front, without the warning.
void DossierDExecution() {
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) return;
    const passwd* compte = ::getpwuid(::getuid());
    const QByteArray dossier = QFile::encodeName(QDir::tempPath()) + "/runtime-" +
                               (compte ? QByteArray(compte->pw_name) : QByteArray::number(::getuid()));
    if (::mkdir(dossier.constData(), 0700) != 0 && errno != EEXIST) return;
    qputenv("XDG_RUNTIME_DIR", dossier);
}

}  // namespace

int Executer(const Analyse& analyse, int argc, char** argv) {
    Output o;
    switch (analyse.issue) {
    case Issue::Aide: return Emit(o.Out(TexteAide()));
    case Issue::Version: return Emit(o.Out(TexteVersion()));
    case Issue::PageDeManuel: return Emit(o.Out(PageDeManuel()));
    case Issue::Erreur: return Emit(o.Fail(analyse.erreur + QLatin1Char('\n'), 2));
    case Issue::Lecon:
    case Issue::Commande: break;
    }
    for (const Commande& c : Commandes()) {
        if (analyse.demande.commande != QLatin1String(c.option)) continue;
        if (c.avant) c.avant();
        if (!c.graphique) {
            QCoreApplication app(argc, argv);
            return Emit(c.executer(analyse.demande));
        }
        // Nothing is shown, whatever the session's platform: pictures are decoded or painted onto paper.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        DossierDExecution();
        QApplication app(argc, argv);
        PreparerApplication();
        return Emit(c.executer(analyse.demande));
    }
    return Emit(o.Fail(QString(), 2));
}

}  // namespace cli
