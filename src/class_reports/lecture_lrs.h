#pragma once
// Reads the lesson's statements back from a Learning Record Store, for the teacher's views of a
// class: GET …/statements on the lesson's activity and every activity under it, oldest first,
// following "more" to the last page, with the credentials of the settings.

#include "settings/reglages.h"

#include <QJsonObject>
#include <QList>
#include <QString>
#include <functional>

namespace resultats {

struct LectureLrs {
    int declarations = 0;  // handed over, each id once
    int pages = 0;
    QString erreur;  // in French, empty when every page was read
};

// What the teacher's commands ask per page: an LRS's own page is often 100 statements, and each
// page is a round trip (bench_lrs_lecture: 7 700 statements/s at 100, 22 000 at 1 000).
inline constexpr int kParPageCommandes = 1000;

// Hands each statement to recevoir as the pages come. Synchronous: runs its own event loop, each
// request bounded by config.delaiMaxMs. parPage: the "limit" asked of the LRS, 0 for its own.
// Needs a Qt application object.
// seance: the séance whose activity, and those under it, are asked for.
LectureLrs LireLrs(const ConfigLrs& config, const std::function<void(const QJsonObject&)>& recevoir, int parPage = 0,
                   int seance = 1);

struct LectureSeances {
    int lues = 0;    // how many of the séances asked were read to the end, the first ones
    QString erreur;  // why the next one could not be, in French; empty when all were
};

// The LRS asked séance by séance, as it is asked by activity: each of seances in turn, its
// statements handed to recevoir(séance, statement), up to the first that cannot be read to the end.
LectureSeances LireLrsSeances(const ConfigLrs& config, const QList<int>& seances,
                              const std::function<void(int, const QJsonObject&)>& recevoir, int parPage = 0);

}  // namespace resultats
