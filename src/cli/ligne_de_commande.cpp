#include "cli/ligne_de_commande.h"

#include "class_reports/bilan.h"
#include "class_reports/dossier_classe.h"
#include "class_reports/rapport.h"
#include "cli/commands.h"
#include "platform/controls.h"
#include "storyboard/storyboard.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QSet>
#include <QStyleFactory>
#include <cerrno>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace cli {

namespace {

// A refusal of the command line: a reason, written as "seance1 : <raison> (seance1 --help pour l'aide).",
// or a text written as it is.
struct Refus {
    QString raison;
    QString texte;
    bool Vide() const { return raison.isEmpty() && texte.isEmpty(); }
};

bool EstPdf(const QString& s) { return s.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive); }

Refus EnTrop(const QStringList& positionnels, qsizetype permis, const Demande& d) {
    if (positionnels.size() <= permis) return {};
    return {QStringLiteral("argument en trop « %1 » pour --%2").arg(positionnels[permis], d.commande), {}};
}

// Each command's positional arguments, read into the request.
Refus PositionnelsResultats(const QStringList& p, Demande& d) {
    d.dossier = p.value(0);
    if (Refus r = EnTrop(p, 1, d); !r.Vide()) return r;
    if (d.lrs && !d.dossier.isEmpty())
        return {{}, QStringLiteral("--lrs lit le LRS des réglages : ne nommez pas de dossier avec.")};
    return {};
}

Refus PositionnelsRapport(const QStringList& p, Demande& d) {
    qsizetype permis = 1;
    if (d.csv) {
        if (EstPdf(p.value(0)))
            return {QStringLiteral("--class-report écrit FICHIER.pdf ou, avec --csv, sur la sortie standard : pas les deux"), {}};
        d.dossier = p.value(0);
    } else {
        if (p.isEmpty() || !EstPdf(p.last())) return {QStringLiteral("il manque FICHIER.pdf (ou --csv) après --class-report"), {}};
        permis = 2;
        d.fichier = p.last();
        if (p.size() == 2) d.dossier = p[0];
    }
    if (Refus r = EnTrop(p, permis, d); !r.Vide()) return r;
    if (d.lrs && !d.dossier.isEmpty())
        return {{},
                QStringLiteral("Usage : seance1 --class-report [DOSSIER | --lrs] FICHIER.pdf [--all]\n"
                               "        seance1 --class-report [DOSSIER | --lrs] --csv [--all]")};
    return {};
}

Refus AucunPositionnel(const QStringList& p, Demande& d) { return EnTrop(p, 0, d); }

Refus PositionnelsNouvelleSeance(const QStringList& p, Demande& d) {
    if (d.source.isEmpty()) return {QStringLiteral("il manque --from FICHIER.pdf après --new-seance %1").arg(d.seance), {}};
    return EnTrop(p, 0, d);
}

// Where the option's value goes, for the commands whose option takes one.
enum class Valeur { Aucune, Fichier, Dossier, Seance };

struct Entree {
    Commande commande;
    void (*avant)();  // what must be set before the application object exists
    const char* valeur;  // the name of the option's value, when it takes one
    Valeur destination;
    Refus (*positionnels)(const QStringList&, Demande&);
};

const std::vector<Entree>& Table() {
    static const std::vector<Entree> table{
        {{"results", "[DOSSIER] [--csv] [--lrs]", "Résultats de la classe, une ligne par séance.",
          "Lit les journaux du dossier des résultats (ou, avec --lrs, le LRS des réglages) et écrit une ligne par "
          "séance suivie : date, numéro de la séance du cours, apprenant, compte, note sur 20, temps passé, questions "
          "répondues, terminée ou non. Avec --seance N, les seules séances N.",
          false, Results},
         nullptr, nullptr, Valeur::Aucune, PositionnelsResultats},
        {{"class-report", "[DOSSIER | --lrs] FICHIER.pdf | --csv [--all]", "Rapport de la classe, en PDF ou en CSV.",
          "Écrit le rapport de la classe dans FICHIER.pdf, ou en CSV sur la sortie standard ; --all y met "
          "toutes les séances, --seance N le fait sur la séance N du cours (1 par défaut). Dans un cours de "
          "plusieurs séances, une fois la séance 1 dépassée, il s'achève sur la progression de la classe : une "
          "ligne par apprenant, une colonne par séance (meilleure note, réussie ou non, tentatives).",
          true, ClassReport},
         nullptr, nullptr, Valeur::Aucune, PositionnelsRapport},
        {{"storyboard", "FICHIER.pdf", "Toute la leçon sur papier, depuis le cours du dossier courant.",
          "Déroule la leçon sans écran et écrit chacune de ses étapes dans FICHIER.pdf, pour l'enseignant ou "
          "l'auteur du cours.",
          true, Storyboard},
         storyboard::PrepareForPaper, "FICHIER.pdf", Valeur::Fichier, AucunPositionnel},
        {{"prepare-class-folder", "DOSSIER [--group GROUPE]",
          "Prépare le dossier des résultats : chacun y dépose son fichier, seul l'enseignant lit tout.",
          "À lancer une fois par l'enseignant. Crée DOSSIER au besoin et le rend boîte de dépôt (mode 3733) : il "
          "appartient à l'enseignant et à son groupe (ou à GROUPE), chaque apprenant peut y créer son fichier mais "
          "ne peut ni lister le dossier, ni lire, modifier ou supprimer le fichier d'un autre. GROUPE ne doit "
          "compter aucun apprenant.",
          false, PrepareClassFolder},
         nullptr, "DOSSIER", Valeur::Dossier, AucunPositionnel},
        {{"export-questions", "FICHIER.gift", "Les questions de la leçon en GIFT, pour Moodle.",
          "Écrit les vingt questions que la leçon pose (SeanceN/questions.gift du dossier courant, N donné par "
          "--seance, 1 par défaut ; pour la séance 1 sans ce fichier, les questions d'origine) dans FICHIER.gift, "
          "au format GIFT que Moodle importe tel quel.",
          false, ExportQuestions},
         nullptr, "FICHIER.gift", Valeur::Fichier, AucunPositionnel},
        {{"new-seance", "N --from FICHIER.pdf", "Une nouvelle séance N depuis une présentation exportée en PDF.",
          "À lancer dans le dossier du cours. Écrit SeanceN/ : le PDF (SeanceN.pdf), le script seance.toml (la "
          "première page du PDF en page de titre, puis une page par page du PDF, l'évaluation et la page de "
          "clôture) et questions.gift, vingt questions « À compléter ». Ne remplace jamais une séance qui existe. "
          "Tant que les questions ne sont pas écrites, check_content et --check disent ce qui reste à faire.",
          true, NewSeance},
         nullptr, "N", Valeur::Seance, PositionnelsNouvelleSeance},
        {{"check", "", "Vérifie ce poste et ce compte avant la classe : cours, résultats, LRS, son.",
          "Dit ce qui va et ce qui ne va pas : le cours du dossier courant, le dossier des résultats et le droit "
          "d'y écrire, le LRS et ses identifiants s'il est configuré, la sortie son (un simple avertissement : "
          "la leçon se déroule sans son). Code de retour 0 seulement si tout va.",
          true, Check},
         nullptr, nullptr, Valeur::Aucune, AucunPositionnel},
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
        {"from", "FICHIER.pdf", "la présentation, exportée en PDF, dont la séance est faite", {"new-seance"}},
        {"group", "GROUPE", "le groupe du dossier (par défaut celui de l'enseignant)", {"prepare-class-folder"}},
        // The empty command is the lesson itself.
        {"seance", "N", "la séance N du cours (SeanceN/). Sans elle : la séance 1 ; le menu du cours pour la leçon d'un cours de plusieurs séances ; toutes les séances pour --results",
         {"storyboard", "export-questions", "results", "class-report", ""}},
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

QString TexteRefus(const QString& raison) { return QStringLiteral("seance1 : %1 (seance1 --help pour l'aide).").arg(raison); }

QString Tirets(const QString& nom) { return (nom.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + nom; }

QString Version() {
    return QStringLiteral("%1.%2.%3").arg(SEANCE_VERSION_MAJOR).arg(SEANCE_VERSION_MINOR).arg(SEANCE_VERSION_PATCH);
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

namespace {

// The parser's options: help, version, the manual page, the commands and their modifiers.
QList<QCommandLineOption> Options() {
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

// The command asked for (at most one), its modifiers checked: the entry, or null for the lesson.
const Entree* CommandeDemandee(const QCommandLineParser& p, QString& refus) {
    const Entree* demandee = nullptr;
    for (const Entree& e : Table()) {
        if (!p.isSet(QString::fromLatin1(e.commande.option))) continue;
        if (demandee) {
            refus = QStringLiteral("une seule commande à la fois, pas --%1 et --%2").arg(QLatin1String(demandee->commande.option), QLatin1String(e.commande.option));
            return nullptr;
        }
        demandee = &e;
    }
    const QString commande = demandee ? QString::fromLatin1(demandee->commande.option) : QString();
    for (const Modificateur& m : Modificateurs()) {
        const QString nom = QString::fromLatin1(m.option);
        if (p.isSet(nom) && !m.commandes.contains(commande)) {
            refus = QStringLiteral("--%1 ne va qu'avec %2").arg(nom, Avec(m, QStringLiteral(" ou ")));
            return nullptr;
        }
    }
    return demandee;
}

// The request for entry e: its modifiers, its option's value and its positional arguments.
Refus LireDemande(const QCommandLineParser& p, const Entree& e, Demande& d) {
    d.commande = QString::fromLatin1(e.commande.option);
    d.csv = p.isSet(QStringLiteral("csv"));
    d.lrs = p.isSet(QStringLiteral("lrs"));
    d.tout = p.isSet(QStringLiteral("all"));
    d.groupe = p.value(QStringLiteral("group"));
    if (e.destination == Valeur::Fichier) d.fichier = p.value(d.commande);
    if (e.destination == Valeur::Dossier) d.dossier = p.value(d.commande);
    d.source = p.value(QStringLiteral("from"));
    if (e.destination == Valeur::Seance) {
        bool nombre = false;
        d.seance = p.value(d.commande).toInt(&nombre);
        if (!nombre || d.seance < 1 || d.seance > 99)
            return {QStringLiteral("--%1 attend un numéro de séance de 1 à 99, pas « %2 »").arg(d.commande, p.value(d.commande)), {}};
    }
    return e.positionnels(p.positionalArguments(), d);
}

}  // namespace

Analyse Analyser(const QStringList& arguments) {
    Analyse a;
    const auto refuser = [&a](const Refus& r) {
        a.issue = Issue::Erreur;
        a.erreur = r.texte.isEmpty() ? TexteRefus(r.raison) : r.texte;
        return a;
    };
    const QStringList args = SansOptionsDuToolkit(arguments);
    const QList<QCommandLineOption> options = Options();
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
    const Entree* e = CommandeDemandee(p, raison);
    if (!raison.isEmpty()) return refuser({raison, {}});
    if (p.isSet(QStringLiteral("seance"))) {
        bool nombre = false;
        a.demande.seance = p.value(QStringLiteral("seance")).toInt(&nombre);
        a.demande.seanceDonnee = true;
        if (!nombre || a.demande.seance < 1 || a.demande.seance > 99)
            return refuser({QStringLiteral("--seance attend un numéro de séance de 1 à 99, pas « %1 »").arg(p.value(QStringLiteral("seance"))), {}});
    }
    if (!e) {
        if (!p.positionalArguments().isEmpty())
            return refuser({QStringLiteral("argument inattendu « %1 » : la leçon se lance sans argument").arg(p.positionalArguments()[0]), {}});
        return a;  // the lesson
    }
    if (const Refus r = LireDemande(p, *e, a.demande); !r.Vide()) return refuser(r);
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
        "photographies de Seance1/ (de SeanceN/ avec \\-\\-seance N), les sons Bravo.wav et SonMCM.wav. Chaque réponse à l'évaluation est écrite "
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
    for (const Entree& e : Table()) {
        if (analyse.demande.commande != QLatin1String(e.commande.option)) continue;
        if (e.avant) e.avant();
        if (!e.commande.graphique) {
            QCoreApplication app(argc, argv);
            return Emit(e.commande.executer(analyse.demande));
        }
        // Nothing is shown, whatever the session's platform: pictures are decoded or painted onto paper.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        DossierDExecution();
        QApplication app(argc, argv);
        PreparerApplication();
        return Emit(e.commande.executer(analyse.demande));
    }
    return Emit(o.Fail(QString(), 2));
}

}  // namespace cli
