// Any bytes as a séance script: read, or refused with its mistakes, each with a line and a message,
// never a crash or a hang; a script that is read gives every place it holds, whatever the frames' sizes.

#include "content/script_seance.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const content::LectureScript lecture = content::LireScriptDonnees(bytes, QStringLiteral("Seance2/seance.toml"));
    if (!lecture.Reussie()) {
        if (lecture.erreurs.Vide()) std::abort();
        for (const content::Erreur& e : lecture.erreurs.liste)
            if (e.ligne < 1 || e.colonne < 0 || e.message.isEmpty()) std::abort();
        return 0;
    }
    const content::ScriptSeance& s = *lecture.script;
    if (s.pages.size() < 3 || s.PageEvaluation() < 1) std::abort();
    const auto lire = [](int cadre, content::Expression::Mesure m) { return cadre * 1000.0 + static_cast<int>(m) * 7.5; };
    const auto placer = [&](const content::Place& p) {
        if (p.gauche.Vide() || p.haut.Vide()) std::abort();
        (void)p.gauche.Evaluer(lire, 15.0f);
        (void)p.haut.Evaluer(lire, 15.0f);
    };
    for (const content::PageScript& page : s.pages) {
        int avant = 0;
        for (const content::EtapeScript& e : page.etapes) {
            if (e.instant < avant || e.instant < 1 || e.instant >= page.fin) std::abort();
            avant = e.instant;
            if (!e.diapositive) placer(e.place);
        }
        if (page.animation && page.animation->genre != content::AnimationScript::Genre::Courants) {
            placer(page.animation->place);
            if (page.animation->photo) placer(page.animation->photo->place);
        }
    }
    (void)s.Fichiers();
    return 0;
}
