#pragma once
// The xAPI vocabulary of the lesson's statements, written here once for the writer and every
// reader: verbs, activity types and IRIs, the keys of the context's extensions, the answers' ids.

#include <string_view>

namespace resultats {

inline constexpr char kVerbeRepondu[] = "http://adlnet.gov/expapi/verbs/answered";
inline constexpr char kVerbeComplete[] = "http://adlnet.gov/expapi/verbs/completed";
inline constexpr char kVerbeTermine[] = "http://adlnet.gov/expapi/verbs/terminated";
inline constexpr char kVerbeReussi[] = "http://adlnet.gov/expapi/verbs/passed";
inline constexpr char kVerbeEchoue[] = "http://adlnet.gov/expapi/verbs/failed";

inline constexpr char kTypeLecon[] = "http://adlnet.gov/expapi/activities/lesson";
inline constexpr char kTypeQuestion[] = "http://adlnet.gov/expapi/activities/cmi.interaction";

// A séance's activity is this followed by its number (1 to 99, no leading zero); its questions are
// under it, at kSousQuestion followed by their number.
inline constexpr char kIriSeances[] = "https://www.korvane.fr/xapi/seance";
inline constexpr char kSousQuestion[] = "/question/";

// Context extensions. Séance 1's IRIs whatever the séance: the keys stay what earlier journals hold.
inline constexpr char kIriBanque[] = "https://www.korvane.fr/xapi/seance1/banque";
inline constexpr char kIriSeuil[] = "https://www.korvane.fr/xapi/seance1/seuil";
inline constexpr char kIriScoreMaitrise[] = "https://w3id.org/xapi/cmi5/context/extensions/masteryscore";
static_assert(std::string_view(kIriBanque).starts_with(kIriSeances) && std::string_view(kIriSeuil).starts_with(kIriSeances));

// An answer's id is this followed by its number in the bank, 1 to 4 (1 the right one).
inline constexpr char kIdChoix[] = "reponse";

}  // namespace resultats
