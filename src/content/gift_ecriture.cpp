// Writing a bank as GIFT that Moodle imports as it is: each text escaped, the whole in UTF-8.

#include "content/banque.h"

#include <QRegularExpression>
#include <QStringList>

namespace content {

namespace {

QString Echapper(const QString& texte) {
    QString out;
    out.reserve(texte.size() + 8);
    for (QChar c : texte) {
        if (c == u'\n') {
            out += QStringLiteral("\\n");
        } else if (c == u'\r') {
            continue;
        } else {
            if (QStringView(u"~=#{}:\\").contains(c)) out += u'\\';
            out += c;
        }
    }
    return out;
}

// "Q07 Deux charges de même signe que l'on": the number keeps the order in Moodle's lists; the
// first words, without the characters GIFT reserves, tell the questions apart.
QString Titre(int numero, const QString& question) {
    QString mots;
    for (QString mot : question.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts)) {
        mot.remove(QRegularExpression(QStringLiteral(R"([~=#{}:\\\[\]])")));
        if (mot.isEmpty()) continue;
        if (mots.size() + mot.size() + 1 > 40) break;
        mots += (mots.isEmpty() ? QString() : QStringLiteral(" ")) + mot;
    }
    const QString numero2 = QStringLiteral("Q%1").arg(numero, 2, 10, QLatin1Char('0'));
    return mots.isEmpty() ? numero2 : numero2 + u' ' + mots;
}

}  // namespace

QByteArray EcrireGift(const BanqueQuestions& banque, const QString& titreLecon) {
    QString titre = titreLecon.simplified();
    QString out;
    out += QStringLiteral("// %1 : %2 de l'évaluation (banque %3).\n").arg(titre, LesQuestions(banque.Nombre()), banque.Identite());
    out += QStringLiteral("// La bonne réponse est précédée de « = », les autres de « ~ ».\n");
    // In a category path "/" separates levels; Moodle reads "//" as a slash in a name.
    out += QStringLiteral("$CATEGORY: ") + titre.replace(u'/', QStringLiteral("//")) + QStringLiteral("\n\n");
    for (int n = 1; n <= banque.Nombre(); ++n) {
        const EntreeQuestion& e = banque.Entree(n);
        // Plain text: Moodle shows it as it is, where its default format would read HTML in it.
        out += QStringLiteral("::") + Titre(n, e.question) + QStringLiteral("::[plain]") + Echapper(e.question) +
               QStringLiteral(" {\n");
        for (size_t k = 0; k < e.reponses.size(); ++k) {
            // A leading "%" would read as a weight, a leading "[" perhaps as a format: a format first
            // keeps them text.
            const QString& r = e.reponses[k];
            const bool ambigu = r.startsWith(u'%') || r.startsWith(u'[');
            out += (k == 0 ? u'=' : u'~') + (ambigu ? QStringLiteral("[plain]") : QString()) + Echapper(r) + u'\n';
        }
        out += QStringLiteral("}\n\n");
    }
    return out.toUtf8();
}

}  // namespace content
