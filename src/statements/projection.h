#pragma once
// A fast reading of one journal line for the results: checks that the line is one JSON value by the
// JSON grammar (stricter than Qt's parser, which lets "1." or "\x" through), but keeps only the few fields a session's summary needs. A class folder of a
// hundred thousand statements is read several times faster than by building every statement whole.

#include <QJsonObject>

namespace resultats {

struct Projection {
    bool json = false;        // the line is one JSON value
    bool objet = false;       // … and an object
    bool verbeObjet = false;  // … whose "verb" is an object
    // id, timestamp, verb.id, object.id, actor.name, actor.account.{name,homePage}, context.registration,
    // result.{success,duration,response}, result.score.raw,
    // object.definition.description.fr-FR, the bank's identity in context.extensions: those present,
    // in a statement of the same shape; and object.definition.choices, each answer's id and
    // description.fr-FR when strings (answers with neither left out).
    QJsonObject declaration;
};

Projection Projeter(const char* debut, const char* fin);

}  // namespace resultats
