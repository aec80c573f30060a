// results_session
//
// One session of the lesson's results side, as the account that runs it: three right answers and
// the end (four statements), written where the account's own settings, folders and name say, the
// way the lesson writes them. No window: scripts/results-loss-check.sh runs it as real accounts to
// see where the statements land whatever state the class folder is in. The notice the learner
// would see, if any, is printed on the standard output as "avis : TEXT".

#include "platform/real_platform.h"
#include "settings/reglages.h"
#include "recording/suivi.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    platform::RealPlatform realPlatform;
    platform::SetPlatform(&realPlatform);
    {
        resultats::Suivi suivi(resultats::Reglages::Lire());
        suivi.SurResultatsPerdus([](const QString& text) { std::printf("avis : %s\n", text.toUtf8().constData()); });
        for (int q = 1; q <= 3; ++q) suivi.ReponseValidee(q, 0, true, q);
        suivi.LeconFermee();
        QCoreApplication::processEvents();
    }
    platform::SetPlatform(nullptr);
    return 0;
}
