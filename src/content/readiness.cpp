#include "content/readiness.h"

#include <QStringList>
#include <algorithm>

namespace content {

namespace {

bool AEcrire(const EntreeQuestion& e, int numero) {
    if (e.question == QuestionACompleter(numero)) return true;
    for (const QString& r : e.reponses)
        if (std::find(ReponsesACompleter().begin(), ReponsesACompleter().end(), r) != ReponsesACompleter().end()) return true;
    return false;
}

// "3", "3 et 7", "3, 7 et 12"; a run of three or more as "1 à 20".
QString Numeros(const QList<int>& n) {
    QStringList parts;
    for (qsizetype i = 0; i < n.size();) {
        qsizetype j = i;
        while (j + 1 < n.size() && n[j + 1] == n[j] + 1) ++j;
        if (j - i >= 2) {
            parts << QStringLiteral("%1 à %2").arg(n[i]).arg(n[j]);
        } else {
            for (qsizetype k = i; k <= j; ++k) parts << QString::number(n[k]);
        }
        i = j + 1;
    }
    if (parts.size() == 1) return parts[0];
    const QString last = parts.takeLast();
    return parts.join(QStringLiteral(", ")) + QStringLiteral(" et ") + last;
}

}  // namespace

QString QuestionACompleter(int numero) { return QStringLiteral("%1 : la question %2 ?").arg(kACompleter).arg(numero); }

const std::array<QString, 4>& ReponsesACompleter() {
    static const std::array<QString, 4> r{kACompleter + QStringLiteral(" : sa bonne réponse"),
                                          kACompleter + QStringLiteral(" : une mauvaise réponse"),
                                          kACompleter + QStringLiteral(" : une autre mauvaise réponse"),
                                          kACompleter + QStringLiteral(" : une dernière mauvaise réponse")};
    return r;
}

QString QuestionsLeft(const BanqueQuestions& banque) {
    QList<int> left;
    for (int n = 1; n <= banque.Nombre(); ++n)
        if (AEcrire(banque.Entree(n), n)) left << n;
    if (left.isEmpty()) return {};
    return QStringLiteral("%1 encore à écrire (question%2 %3) : remplacez chaque « %4 » par la question, la "
                          "bonne réponse après « = » et trois mauvaises après « ~ »")
        .arg(left.size() == 1 ? QStringLiteral("une question") : QStringLiteral("%1 questions").arg(left.size()),
             left.size() == 1 ? QString() : QStringLiteral("s"), Numeros(left), kACompleter);
}

}  // namespace content
