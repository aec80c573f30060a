// Grading an answer as Moodle's question engine does, each kind by its documented rule.

#include "content/question.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace content {

namespace {

QStringList SansRepetition(QStringList liste) {
    liste.removeDuplicates();
    return liste;
}

// Typed and written texts are compared in one Unicode form, so that an "é" typed as e and its
// accent matches the "é" of the file.
QString Normal(const QString& s) { return s.normalized(QString::NormalizationForm_KC).trimmed(); }

bool DansIntervalle(double x, const ReponseGift& r) {
    // Bounds computed as answer ± tolerance carry binary rounding ("0.1:0.2" gives 0.30000000000000004).
    const double marge = 1e-12 * std::max({1.0, std::abs(r.minimum), std::abs(r.maximum)});
    return x >= r.minimum - marge && x <= r.maximum + marge;
}

const ReponseGift* PremiereQuiCorrespond(const QuestionGift& q, const QString& tape) {
    if (q.genre == GenreQuestion::Numerique) {
        const std::optional<double> x = LireNombre(tape);
        if (!x) return nullptr;
        for (const ReponseGift& r : q.reponses)
            if (DansIntervalle(*x, r)) return &r;
        return nullptr;
    }
    for (const ReponseGift& r : q.reponses)
        if (Correspond(tape, r.texte)) return &r;
    return nullptr;
}

}  // namespace

QStringList QuestionGift::Enonces() const {
    QStringList out;
    for (const PaireGift& p : paires)
        if (!p.gauche.isEmpty()) out << p.gauche;
    return out;
}

QStringList QuestionGift::ChoixDroite() const {
    QStringList out;
    for (const PaireGift& p : paires) out << p.droite;
    return SansRepetition(out);
}

std::optional<double> LireNombre(const QString& tape) {
    QString t = tape.trimmed();
    // Spaces group thousands in French: "1 000", with a plain, non-breaking or narrow space.
    static const QRegularExpression groupes(QStringLiteral(R"((?<=\d)[ \x{00A0}\x{202F}](?=\d{3}))"));
    t.remove(groupes);
    if (t.contains(u',') && t.contains(u'.')) return std::nullopt;
    t.replace(u',', u'.');
    static const QRegularExpression nombre(QStringLiteral(R"(^[+-]?(\d+(\.\d*)?|\.\d+)([eE][+-]?\d+)?$)"));
    if (!nombre.match(t).hasMatch()) return std::nullopt;
    bool ok = false;
    const double x = t.toDouble(&ok);
    if (!ok || !std::isfinite(x)) return std::nullopt;
    return x;
}

bool Correspond(const QString& tape, const QString& motif) {
    const QString t = Normal(tape);
    const QString m = Normal(motif);
    if (t.isEmpty()) return false;
    if (!m.contains(u'*')) return t.toCaseFolded() == m.toCaseFolded();
    // "\*" is an asterisk; any other "*" stands for any characters.
    QString motifRe;
    QString litteral;
    for (qsizetype i = 0; i < m.size(); ++i) {
        if (m[i] == u'\\' && i + 1 < m.size() && m[i + 1] == u'*') {
            litteral += u'*';
            ++i;
        } else if (m[i] == u'*') {
            motifRe += QRegularExpression::escape(litteral) + QStringLiteral(".*");
            litteral.clear();
        } else {
            litteral += m[i];
        }
    }
    motifRe += QRegularExpression::escape(litteral);
    const QRegularExpression re(QRegularExpression::anchoredPattern(motifRe),
                                QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption |
                                    QRegularExpression::UseUnicodePropertiesOption);
    return re.match(t).hasMatch();
}

std::vector<const ReponseGift*> ReponsesRetenues(const QuestionGift& q, const Saisie& s) {
    std::vector<const ReponseGift*> out;
    switch (q.genre) {
    case GenreQuestion::ChoixUnique:
    case GenreQuestion::VraiFaux:
    case GenreQuestion::ChoixMultiple:
        for (int i : s.choix)
            if (i >= 0 && i < static_cast<int>(q.reponses.size())) out.push_back(&q.reponses[static_cast<size_t>(i)]);
        if (q.genre != GenreQuestion::ChoixMultiple && out.size() > 1) out.resize(1);
        break;
    case GenreQuestion::ReponseCourte:
    case GenreQuestion::Numerique:
        if (const ReponseGift* r = PremiereQuiCorrespond(q, s.texte)) out.push_back(r);
        break;
    case GenreQuestion::Appariement:
        break;
    }
    return out;
}

double Fraction(const QuestionGift& q, const Saisie& s) {
    if (q.genre == GenreQuestion::Appariement) {
        const QStringList enonces = q.Enonces();
        const QStringList choix = q.ChoixDroite();
        if (enonces.isEmpty()) return 0;
        int justes = 0;
        int k = 0;
        for (const PaireGift& p : q.paires) {
            if (p.gauche.isEmpty()) continue;
            const int i = k < static_cast<int>(s.choix.size()) ? s.choix[static_cast<size_t>(k)] : -1;
            if (i >= 0 && i < choix.size() && choix[i] == p.droite) ++justes;
            ++k;
        }
        return static_cast<double>(justes) / static_cast<double>(enonces.size());
    }
    double somme = 0;
    for (const ReponseGift* r : ReponsesRetenues(q, s)) somme += r->fraction;
    // Several answers never take the question below 0, nor above full credit.
    // Deviation: a single choice's negative weight gives 0 here, where Moodle would give a negative
    // mark: the lesson's own penalty for a wrong answer already takes its share of the score.
    return std::clamp(somme, 0.0, 1.0);
}

}  // namespace content
