#pragma once
// The class's results folder as a drop box, made once by the teacher: the teacher owns it and its
// group is the teacher's (or one the teacher names), setgid so that every learner's file takes that
// group, sticky so that only a file's owner (or the teacher) can remove or rename it, and open to
// others only for going in and creating files (mode 3733). A learner adds a file but can neither
// list the folder nor read, change or remove another's file; the teacher reads each file through
// the group, since the lesson creates it readable by the group (0640).

#include <QString>

namespace resultats {

// Owner rwx; group and others -wx: no one but the owner lists it. The group gets no more than the
// others, since its members already read every file through the file's group bits.
constexpr unsigned kModeDossierClasse = 03733;

struct Preparation {
    bool ok = false;
    QString message;  // French: what was done, or why nothing was
};

// Creates dossier if missing, checks that the caller owns it and belongs to groupe (empty: the
// caller's own group), then sets its group and mode and reads them back.
Preparation PreparerDossierClasse(const QString& dossier, const QString& groupe = {});

}  // namespace resultats
